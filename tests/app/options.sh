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
# A scenario goes with --simulate; one that cannot be read ends the start with its line.
"$exe" --scenario /dev/null 2>/dev/null; rc=$?
[ $rc -eq 2 ] || { echo "--scenario without --simulate: exit $rc"; exit 1; }
printf '1s unplug receiver\n2s unplugg receiver\n' > /tmp/q840-options.$$.scenario
QT_QPA_PLATFORM=offscreen "$exe" --simulate --scenario /tmp/q840-options.$$.scenario \
  2>/tmp/q840-options.$$; rc=$?
[ $rc -eq 2 ] || { echo "bad scenario: exit $rc"; exit 1; }
grep -q 'line 2: unknown event "unplugg"' /tmp/q840-options.$$ ||
  { echo "bad scenario: $(cat /tmp/q840-options.$$)"; exit 1; }
rm -f /tmp/q840-options.$$ /tmp/q840-options.$$.scenario
echo "options checked"
