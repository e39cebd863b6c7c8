#!/usr/bin/env bash
# Runs inside a private session bus: the second start hands over to the first and exits 0, and
# the first receives the activation.
set -uo pipefail
exe=$1
work=$(mktemp -d)
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config Q840_DEBUG=1
first_log=$work/first.log
"$exe" --simulate 2>"$first_log" &
first=$!
cleanup() { kill "$first" 2>/dev/null; wait "$first" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

# Wait until the first instance owns the bus name.
for _ in $(seq 1 100); do
  if busctl --user status com.halvorn.Q840Vex >/dev/null 2>&1 || \
     gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
       --method org.freedesktop.DBus.NameHasOwner com.halvorn.Q840Vex 2>/dev/null | grep -q true; then
    break
  fi
  sleep 0.1
done

timeout 20 "$exe" --simulate
rc=$?
if [ $rc -ne 0 ]; then echo "second start exited $rc"; cat "$first_log"; exit 1; fi

# The first logs the activation with lParam 1 (a hand-over, not its own scan).
for _ in $(seq 1 50); do
  if grep -q '软件标示 [0-9]*，01' "$first_log"; then
    kill -0 "$first" || { echo "first instance died"; exit 1; }
    echo "second start handed over"
    exit 0
  fi
  sleep 0.1
done
echo "first instance never saw the activation"; cat "$first_log"; exit 1
