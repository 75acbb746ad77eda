#!/usr/bin/env bash
# Builds the Windows benchmarks (the win32 preset: MinGW-w64, optimised) and
# runs them under Wine on a virtual display, in a fresh Wine prefix.
#   bash bench/windows/run.sh [TAPS] [ROUNDS]      (default: 10000 9)
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/windows/build-gtest.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 --target windows-key-throughput keyloom-winprobe
bash scripts/with-display.sh bash scripts/windows/wine-env.sh \
  wine build/win32/bench/windows/windows-key-throughput.exe "${1:-10000}" "${2:-9}"
