#!/usr/bin/env bash
# Runs every fuzz target of a libFuzzer build (make fuzz) for a while each and sums up.
#   tools/run-fuzz.sh BUILD_DIR SECONDS [RUNS]
# With RUNS, each target stops after that many executions (SECONDS is then only its upper bound).
# BUILD_DIR/fuzz_targets.txt lists the targets (name|corpus folder|dictionary|libFuzzer options),
# written by CMake.
# Each target starts from its seed corpus in the tree and keeps what it finds in
# BUILD_DIR/fuzz-found/<name>/ (reused by the next run); a failing input goes to
# BUILD_DIR/fuzz-failures/<name>-crash-* (or -timeout-, -leak-, -oom-). Exit status 1 when any
# target failed.
set -uo pipefail

build=${1:?build folder}
seconds=${2:-60}
runs=${3:-}
list="$build/fuzz_targets.txt"
if [ ! -s "$list" ]; then
  echo "no fuzz targets in $list" >&2
  exit 2
fi
mkdir -p "$build/fuzz-failures" "$build/fuzz-logs"
# What system libraries keep for the life of the process is not a leak of ours.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")/.." && pwd)/tests/support/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
summary=()
status=0
while IFS='|' read -r name corpus dict options; do
  [ -n "$name" ] || continue
  binary="$build/tests/$name"
  found="$build/fuzz-found/$name"
  log="$build/fuzz-logs/$name.log"
  mkdir -p "$found"
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$build/fuzz-failures/$name-")
  [ -n "$dict" ] && args+=(-dict="$dict")
  [ -n "$runs" ] && args+=(-runs="$runs")
  # shellcheck disable=SC2206  # options are words without spaces
  [ -n "${options:-}" ] && args+=($options)
  echo "== $name for $seconds s${runs:+ or $runs runs}${options:+ ($options)} (corpus $corpus, found inputs in $found)"
  QT_QPA_PLATFORM=offscreen "$binary" "${args[@]}" "$found" "$corpus" </dev/null >"$log" 2>&1
  rc=$?
  # The last status line carries the coverage; the final stats the executions and time.
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  secs=$(sed -n 's/.*Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  if [ $rc -eq 0 ]; then
    result="no failure"
  else
    status=1
    artifact=$(sed -n 's/.*Test unit written to \(.*\)/\1/p' "$log" | tail -1)
    result="FAILED (exit $rc${artifact:+, input in $artifact}; see $log)"
  fi
  summary+=("$(printf '%-16s %10s execs  cov: %-6s ft: %-7s %4s s  %s' "$name" "${execs:-?}" \
    "${cov:-?}" "${ft:-?}" "${secs:-?}" "$result")")
done <"$list"
echo
echo "== fuzz summary ($seconds s a target)"
printf '%s\n' "${summary[@]}"
exit $status
