#!/usr/bin/env bash
# Screenshots of the mouse page as a user sees it: the program with the simulated mouse on a
# virtual X display, one picture per editor tab that has content, in the given language.
#   [Q840_XVFB_SIZE=1920x1080] tools/screenshot-mouse-page.sh en|zh OUT_PREFIX [program options...]
# Writes OUT_PREFIX-dpi.png, OUT_PREFIX-buttons.png, OUT_PREFIX-power.png. Needs xvfb, xdotool
# and imagemagick.
set -euo pipefail
lang=${1:?en or zh}
prefix=${2:?output prefix}
shift 2
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
display=:${Q840_XVFB_DISPLAY:-96}
size=${Q840_XVFB_SIZE:-1280x800}
Xvfb "$display" -screen 0 "${size}x24" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $prog $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY=$display XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME/Halvorn Q840-VEX GAMING MOUSE"
case $lang in
  en) id=1033 ;;
  zh) id=2052 ;;
  *) echo "language: en or zh" >&2; exit 2 ;;
esac
printf '[General]\nLANGUAGE=%s\n' "$id" > "$XDG_CONFIG_HOME/Halvorn Q840-VEX GAMING MOUSE/settings.conf"
sleep 1
"$here/build/q840vex" --simulate "$@" >/dev/null 2>&1 &
prog=$!
sleep 3
win=$(xdotool search --onlyvisible --name "Halvorn Q840-VEX GAMING MOUSE" | head -1)
# The window takes scale 144 on a screen wider than 1500 and higher than 960.
w=${size%x*}; h=${size#*x}
scale=2; [ "$w" -gt 1500 ] && [ "$h" -gt 960 ] && scale=3
shoot() {  # tab x y (window coordinates at scale 96) and the picture's name
  xdotool mousemove --window "$win" $(($1 * scale / 2)) $(($2 * scale / 2)) click 1
  sleep 1
  import -window "$win" "$prefix-$3.png"
  echo "wrote $prefix-$3.png"
}
shoot 436 168 dpi
shoot 620 168 buttons
shoot 896 168 power
