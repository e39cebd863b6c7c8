#!/usr/bin/env bash
# Without a session bus a second start cannot hand over: it says so on stderr and ends with a
# non-zero code, and the first copy keeps running (two copies would interleave commands to the
# mouse).
set -uo pipefail
exe=$1
work=$(mktemp -d)
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
unset DBUS_SESSION_BUS_ADDRESS
"$exe" --simulate 2>"$work/first.log" &
first=$!
trap 'kill -9 $first 2>/dev/null; rm -rf "$work"' EXIT
lock=$work/run/halvorn-q840vex.lock
for _ in $(seq 1 100); do
  [ "$(cat "$lock" 2>/dev/null)" = "$first" ] && break
  sleep 0.1
done
[ "$(cat "$lock" 2>/dev/null)" = "$first" ] || { echo "the first copy never took the lock"; cat "$work/first.log"; exit 1; }

timeout 20 "$exe" --simulate 2>"$work/second.log"
rc=$?
[ $rc -ne 0 ] && [ $rc -ne 124 ] || { echo "second start exited $rc"; cat "$work/second.log"; exit 1; }
grep -q "already running (process $first)" "$work/second.log" || { echo "no message:"; cat "$work/second.log"; exit 1; }
kill -0 $first || { echo "the first copy died"; exit 1; }
echo "second start refused"
