#!/usr/bin/env bash
# Builds the Windows benchmarks (MinGW-w64, optimised; the build of the Wine
# this machine runs, scripts/windows/wine-arch.sh) and runs them under Wine
# on a virtual display, in a fresh Wine prefix.
#   bash bench/windows/run.sh [TAPS] [ROUNDS]      (default: 10000 9)
set -euo pipefail
cd "$(dirname "$0")/../.."
KEYLOOM_WINDOWS_ARCH=${KEYLOOM_WINDOWS_ARCH:-$(bash scripts/windows/wine-arch.sh)}
export KEYLOOM_WINDOWS_ARCH
source scripts/windows/common.sh
bash scripts/windows/build-gtest.sh
cmake --preset "$WINDOWS_PRESET" >/dev/null
cmake --build --preset "$WINDOWS_PRESET" -j2 --target windows-key-throughput keyloom-winprobe
bash scripts/with-display.sh bash scripts/windows/wine-env.sh \
  wine "build/$WINDOWS_PRESET/bench/windows/windows-key-throughput.exe" "${1:-10000}" "${2:-9}"
