#!/usr/bin/env bash
# Builds the benchmarks optimised and runs each one on a virtual display
# (scripts/with-display.sh), printing their tables one after the other.
# Record the figures in docs/PERFORMANCE.md.
#
#   bash bench/run-all.sh [BUILD_DIR]        (default: build/bench)
#
# A benchmark whose target is not met exits non-zero; the script runs the
# others all the same and exits non-zero at the end.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}

# Add a benchmark: one line, its target (a program in $build/bench) and its
# arguments.
benchmarks=(
  "key-throughput 10000 9"
  "wait-precision 50"
  "engine-dry-run 1000000 3"
  "startup-bench 40"
  "idle-bench 20"
  "load-bench 100000 7"
  "typing-bench 5000 500 5"
  "recorder-bench"
)

targets=()
for entry in "${benchmarks[@]}"; do targets+=("${entry%% *}"); done
cmake --preset ci -B "$build" -DKEYLOOM_WERROR=OFF >/dev/null || exit 1
cmake --build "$build" -j2 --target "${targets[@]}" keyloom-play || exit 1

failed=0
for entry in "${benchmarks[@]}"; do
  read -r program args <<<"$entry"
  echo "== $program $args"
  # shellcheck disable=SC2086
  if ! bash scripts/with-display.sh "$build/bench/$program" $args; then
    failed=1
  fi
  echo
done

# How fast `keyloom-play --stop` ends a run, beside SIGINT, on X11.
echo "== stop latency (bench/stopLatency.sh), X11"
bash scripts/with-display.sh bash bench/stopLatency.sh "$build/app/keyloom-play" 20 || failed=1
echo

# The Wayland desktops, each under its headless compositor where it is
# installed: typing beside that desktop's raw sender, and the stop latency.
wayland_bench() {  # NAME WRAPPER...
  local name=$1
  shift
  echo "== wayland-typing-bench 5000 500 5 (under a headless $name)"
  "$@" "$build/bench/wayland-typing-bench" 5000 500 5 || failed=1
  echo
  echo "== stop latency (bench/stopLatency.sh), $name"
  "$@" bash bench/stopLatency.sh "$build/app/keyloom-play" 20 || failed=1
  echo
}
if command -v sway >/dev/null || command -v gnome-shell >/dev/null || command -v kwin_wayland >/dev/null; then
  cmake --build "$build" -j2 --target wayland-typing-bench || exit 1
fi
if command -v sway >/dev/null; then wayland_bench sway bash scripts/with-sway.sh; fi
if command -v gnome-shell >/dev/null; then wayland_bench gnome-shell bash scripts/with-gnome.sh; fi
if command -v kwin_wayland >/dev/null; then
  wayland_bench KWin env KEYLOOM_BUILD="$build" bash scripts/with-kwin.sh
fi

# The Windows build's benchmark under Wine, where Wine is installed.
if command -v wine >/dev/null; then
  echo "== windows-key-throughput 10000 9 (bench/windows/run.sh, under Wine)"
  bash bench/windows/run.sh 10000 9 || failed=1
  echo
fi
exit "$failed"
