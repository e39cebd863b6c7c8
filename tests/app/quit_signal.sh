#!/usr/bin/env bash
# SIGTERM (log-out, shut-down) ends the program in order: exit code 0, and the simulated devices'
# state is saved as on "Exit".
set -uo pipefail
exe=$1
work=$(mktemp -d)
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config Q840_DEBUG=1
state=$work/state.json
"$exe" --simulate="$state" 2>"$work/log" &
pid=$!
trap 'kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT
# Wait until the mouse has been read (its state byte goes to 3 in the program's first read).
for _ in $(seq 1 100); do
  grep -q 'start-up to the shown window' "$work/log" && break
  sleep 0.1
done
sleep 2
kill -TERM $pid
for _ in $(seq 1 100); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
wait $pid
rc=$?
if [ $rc -ne 0 ]; then echo "exit code $rc after SIGTERM"; tail -20 "$work/log"; exit 1; fi
grep -q 'quit signal' "$work/log" || { echo "no orderly quit"; exit 1; }
python3 - "$state" <<'PY'
import json, sys
assert json.load(open(sys.argv[1]))["mouse"]["information"]["state"] == 3
PY
echo "SIGTERM ended the program in order and the state was saved"
