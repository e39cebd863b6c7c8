#!/usr/bin/env bash
# Takes a screenshot of the running program on a virtual X display with a tray (trayer), as a
# user would see it: the main window and its tray icon. Needs xvfb, trayer and imagemagick.
#   tools/screenshot-xvfb.sh OUT.png [program options...]
set -euo pipefail
out=${1:?output file}
shift
here=$(cd "$(dirname "$0")/.." && pwd)
display=:${Q840_XVFB_DISPLAY:-97}
Xvfb "$display" -screen 0 ${Q840_XVFB_SIZE:-1280x800}x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $prog $tray $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1
tray=""
if command -v trayer >/dev/null; then
  trayer --edge top --align right --widthtype pixel --width 120 --height 28 --tint 0x202020 \
         --transparent false >/dev/null 2>&1 &
  tray=$!
  sleep 1
fi
"$here/build/q840vex" "$@" &
prog=$!
sleep "${Q840_SHOT_DELAY:-3}"
import -window root "$out"
echo "wrote $out"
