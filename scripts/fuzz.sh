#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for N seconds (default 15)
# on its corpus under fuzz/corpus/. Every target runs; a crash fails its
# target and the script, and its inputs are kept. Ends with the line
# "fuzz targets: N passed, N failed".
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-15}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
passed=0 failed=0
for target in build/fuzz/fuzz/fuzz_*; do
  name=$(basename "$target")
  corpus="fuzz/corpus/${name#fuzz_}"
  mkdir -p "$corpus"
  work=$(mktemp -d)
  echo "== $name for ${seconds}s"
  status=0
  "$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$work/" "$work" "$corpus" >"$work/log" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|ERROR|SUMMARY' "$work/log" || true
  if [[ $status -ne 0 ]]; then
    tail -n 40 "$work/log"
    echo "$name failed (status $status); inputs kept in $work"
    failed=$((failed + 1))
  else
    passed=$((passed + 1))
    rm -rf "$work"
  fi
done
echo "fuzz targets: $passed passed, $failed failed"
((failed == 0))
