#!/usr/bin/env bash
# The soak: the program with a simulated mouse, its window hidden in the tray, for a long time
# while a scenario pulls the receiver out and plugs it in again every 10 s and changes the battery
# every 30 s (core/sim/scenarios/soak.scenario). Prints resident memory, CPU time and wake-ups
# (context switches of all its threads) at the start and every SOAK_REPORT_S seconds after it.
#   tools/soak.sh [SECONDS (3600)] [SCENARIO]
# Needs xvfb, trayer and xdotool; runs on its own X display (Q840_XVFB_DISPLAY, default 97).
# Q840_SOAK_EXE: the program (default build/q840vex; a copy beside it lets the build go on).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-3600}
scenario=${2:-$here/core/sim/scenarios/soak.scenario}
every=${SOAK_REPORT_S:-300}
display=:${Q840_XVFB_DISPLAY:-97}
exe=${Q840_SOAK_EXE:-$here/build/q840vex}
work=$(mktemp -d)
prog="" tray="" xvfb=""
cleanup() { kill $prog $tray $xvfb 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT INT TERM

Xvfb "$display" -screen 0 1280x720x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
trayer --edge top --align right --widthtype pixel --width 120 --height 28 >/dev/null 2>&1 &
tray=$!
sleep 1
XDG_RUNTIME_DIR=$work XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config \
  "$exe" --simulate --scenario "$scenario" >/dev/null 2>"$work/stderr" &
prog=$!
win=""
for _ in $(seq 1 100); do
  win=$(xdotool search --onlyvisible --name 'Halvorn Q840-VEX' 2>/dev/null | head -1) && [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "soak: the window did not show" >&2; cat "$work/stderr" >&2; exit 1; }
# The close button hides the window in the tray (1000 layout units wide; 24 from the right).
# A loaded machine may take a while to lay the window out: try a few times.
hidden=no
for _ in 1 2 3 4 5; do
  sleep 4
  eval "$(xdotool getwindowgeometry --shell "$win")"
  xdotool mousemove --window "$win" $((WIDTH - WIDTH * 24 / 1000)) $((WIDTH * 20 / 1000)) click 1
  sleep 2
  if ! xdotool search --onlyvisible --name 'Halvorn Q840-VEX' >/dev/null 2>&1; then
    hidden=yes
    break
  fi
done
echo "soak: window hidden in the tray: $hidden"
# From here on at low priority, if asked (SOAK_NICE), so that a long soak shares the machine.
[ -z "${SOAK_NICE:-}" ] || renice -n "$SOAK_NICE" -p $prog $xvfb $tray $$ >/dev/null

hz=$(getconf CLK_TCK)
sample() {  # elapsed-seconds: rss KiB, cpu ticks, context switches, threads
  local rss cpu cs threads
  rss=$(awk '$1 == "VmRSS:" { print $2 }' "/proc/$prog/status")
  cpu=$(awk '{ print $14 + $15 }' "/proc/$prog/stat")
  cs=$(cat /proc/$prog/task/*/status 2>/dev/null |
       awk '/^(voluntary|nonvoluntary)_ctxt_switches:/ { s += $2 } END { print s }')
  threads=$(ls /proc/$prog/task | wc -l)
  echo "$rss $cpu $cs $threads"
}
read -r rss0 cpu0 cs0 th0 < <(sample)
t0=$SECONDS
printf 'soak: %s for %d s, scenario %s\n' "$exe" "$seconds" "$scenario"
printf '%8s %10s %12s %14s %8s\n' elapsed "rss KiB" "cpu % since" "wake-ups/s" threads
printf '%8d %10d %12s %14s %8d\n' 0 "$rss0" - - "$th0"
prev_t=$t0 prev_cpu=$cpu0 prev_cs=$cs0
while [ $((SECONDS - t0)) -lt "$seconds" ]; do
  left=$((seconds - (SECONDS - t0)))
  sleep $((left < every ? left : every))
  kill -0 $prog 2>/dev/null || { echo "soak: the program ended" >&2; cat "$work/stderr" >&2; exit 1; }
  read -r rss cpu cs th < <(sample)
  dt=$((SECONDS - prev_t))
  [ "$dt" -gt 0 ] || dt=1
  printf '%8d %10d %12s %14s %8d\n' $((SECONDS - t0)) "$rss" \
    "$(awk -v c=$((cpu - prev_cpu)) -v hz="$hz" -v t="$dt" 'BEGIN { printf "%.2f", 100 * c / hz / t }')" \
    "$(awk -v c=$((cs - prev_cs)) -v t="$dt" 'BEGIN { printf "%.1f", c / t }')" "$th"
  prev_t=$SECONDS prev_cpu=$cpu prev_cs=$cs
done
echo "soak: resident memory $rss0 KiB at the start, $rss KiB at the end"
