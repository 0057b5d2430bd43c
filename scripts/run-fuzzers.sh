#!/usr/bin/env bash
# Runs every libFuzzer target of a build for a bounded time each, starting
# from its seed corpus in fuzz/corpus/<target>.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?build directory}
seconds=${2:-30}
shopt -s nullglob
status=0
for target in "$build"/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=$(basename "$target")
  work=$(mktemp -d)
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  echo "fuzzing $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 "$work" "${seeds[@]}" >"$work.log" 2>&1; then
    tail -50 "$work.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units' "$work.log" || true
  fi
  rm -rf "$work" "$work.log"
done
exit $status
