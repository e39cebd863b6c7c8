#!/usr/bin/env bash
# Unknown options and a missing value are refused with exit code 2 and the usage text.
set -uo pipefail
exe=$1
"$exe" --frobnicate 2>/tmp/q840-options.$$; rc=$?
grep -q 'Usage: q840vex' /tmp/q840-options.$$ || { echo "no usage text"; exit 1; }
[ $rc -eq 2 ] || { echo "unknown option: exit $rc"; exit 1; }
"$exe" --screenshot 2>/dev/null; rc=$?
[ $rc -eq 2 ] || { echo "missing value: exit $rc"; exit 1; }
"$exe" --help | grep -q -- '--simulate' || { echo "help lacks --simulate"; exit 1; }
rm -f /tmp/q840-options.$$
echo "options checked"
