#!/usr/bin/env bash
# Builds Keyloom with coverage (build/coverage), runs the unit, x11, gui and
# fault tiers (the display tiers under a virtual display) and prints the line
# and branch coverage of the product code, per folder and in total.
#   coverage.sh [--no-build] [--report-only]
# The report is also left in build/coverage/coverage.json.
set -uo pipefail
cd "$(dirname "$0")/.."
build=build/coverage
run=1 compile=1
for arg in "$@"; do
  case "$arg" in
    --no-build) compile=0 ;;
    --report-only) compile=0 run=0 ;;
    *) echo "usage: coverage.sh [--no-build] [--report-only]" >&2; exit 2 ;;
  esac
done

if ((compile)); then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKEYLOOM_GUI=ON -DKEYLOOM_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="--coverage -O0" -DCMAKE_C_FLAGS="--coverage -O0" \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage >/dev/null || exit 1
  cmake --build "$build" -j"${JOBS:-2}" || exit 1
fi

status=0
if ((run)); then
  find "$build" -name '*.gcda' -delete
  ctest --test-dir "$build" -L '^unit$' --timeout 300 || status=1
  for label in x11 gui fault; do
    bash scripts/with-display.sh ctest --test-dir "$build" -L "^$label\$" -LE '^package$' --timeout 300 ||
      status=1
  done
fi

folders=(engine actions platform files ui recorder app)
filters=()
for folder in "${folders[@]}"; do filters+=(--filter "$PWD/$folder/"); done
gcovr --root . --object-directory "$build" "${filters[@]}" --exclude-unreachable-branches \
  --exclude-throw-branches --gcov-ignore-parse-errors -j"${JOBS:-2}" \
  --json-summary "$build/coverage.json" >/dev/null || exit 1
python3 - "$build/coverage.json" "${folders[@]}" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
rows = {}
for f in report["files"]:
    parts = f["filename"].split("/")
    top = parts[0]
    # platform/ per backend folder; its shared files together.
    sub = top if top != "platform" else "platform/" + (parts[1] if len(parts) > 2 else "(shared)")
    for key in {top, sub, "total"}:
        r = rows.setdefault(key, [0, 0, 0, 0])
        r[0] += f["line_covered"]; r[1] += f["line_total"]
        r[2] += f["branch_covered"]; r[3] += f["branch_total"]
pct = lambda a, b: 100.0 * a / b if b else 100.0
print(f"{'folder':<20} {'lines':>16} {'branches':>18}")
order = [k for k in sorted(rows) if k != "total"] + ["total"]
for key in order:
    l, lt, b, bt = rows[key]
    print(f"{key:<20} {pct(l, lt):6.1f}% {l:>5}/{lt:<5} {pct(b, bt):6.1f}% {b:>6}/{bt:<6}")
PY
exit "$status"
