#!/usr/bin/env bash
# Resident memory of the program with a simulated mouse on a virtual X display with a tray,
# shown and then hidden in the tray: tools/measure-memory.sh [WIDTHxHEIGHT ...]
# (default 1280x720 1920x1080; the program picks its scale from the screen). Needs xvfb, trayer,
# xdotool. Prints one line per screen size and state; figures in MiB from /proc/PID/status.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1280x720 1920x1080)
display=:${Q840_XVFB_DISPLAY:-96}
work=$(mktemp -d)
cleanup() { kill $prog $tray $xvfb 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
prog="" tray="" xvfb=""
mib() { awk -v k="$1:" '$1 == k { printf "%.1f", $2 / 1024 }' "/proc/$prog/status"; }
report() {
  printf '%-10s %-7s rss %6s  anon %6s  file %6s  shmem %6s MiB\n' "$1" "$2" \
    "$(mib VmRSS)" "$(mib RssAnon)" "$(mib RssFile)" "$(mib RssShmem)"
}
for size in "${sizes[@]}"; do
  Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=$display
  for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
  trayer --edge top --align right --widthtype pixel --width 120 --height 28 >/dev/null 2>&1 &
  tray=$!
  sleep 1
  XDG_RUNTIME_DIR=$work XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config \
    "$here/build/q840vex" --simulate >/dev/null 2>&1 &
  prog=$!
  win=""
  for _ in $(seq 1 100); do
    win=$(xdotool search --onlyvisible --name 'Halvorn Q840-VEX' 2>/dev/null | head -1) && [ -n "$win" ] && break
    sleep 0.1
  done
  sleep 4
  report "$size" shown
  # The close button hides the window in the tray.
  eval "$(xdotool getwindowgeometry --shell "$win")"
  # The layout is 1000 units wide: the close button sits 24 units from the right, 20 down.
  xdotool mousemove --window "$win" $((WIDTH - WIDTH * 24 / 1000)) $((WIDTH * 20 / 1000)) click 1
  sleep 4
  if xdotool search --onlyvisible --name 'Halvorn Q840-VEX' >/dev/null 2>&1; then
    echo "the window did not go to the tray" >&2
  fi
  report "$size" hidden
  kill $prog $tray $xvfb 2>/dev/null || true
  wait 2>/dev/null || true
done
