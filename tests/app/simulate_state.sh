#!/usr/bin/env bash
# --simulate=STATE_FILE: what the program wrote to the simulated mouse is in the state file after
# the run, and a second run starts from it.
set -euo pipefail
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
state=$work/state.json
"$exe" --simulate="$state" --screenshot "$work/one.png"
test -s "$work/one.png"
# A new mouse is marked as set up by the program (state byte 3) once it has been read.
python3 - "$state" <<'PY'
import json, sys
mouse = json.load(open(sys.argv[1]))["mouse"]
assert mouse["information"]["state"] == 3, mouse["information"]
PY
"$exe" --simulate="$state" --screenshot "$work/two.png"
test -s "$work/two.png"
echo "simulated state saved and loaded again"
