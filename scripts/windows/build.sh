#!/usr/bin/env bash
# Builds Keyloom for Windows (MinGW-w64, static) with KEYLOOM_WINDOWS_ARCH
# (32 or 64; default 32) into build/win32 or build/win64, with its test
# tiers, GoogleTest and wxMSW coming from the cache outside the clone (built
# there when missing; wxMSW takes about 6 minutes).
#   build.sh [--programs]   --programs: keyloom.exe and keyloom-play.exe only
#   HOST_PLAYER=PATH  the Linux keyloom-play that the Windows player's dry
#                     runs are compared with (default: built in build/windows-host)
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/windows/common.sh

if [[ "${1:-}" == --programs ]]; then
  bash scripts/windows/build-wx.sh
  cmake --preset "$WINDOWS_PRESET" -DKEYLOOM_TESTS=OFF -DKEYLOOM_BENCH=OFF >/dev/null
  cmake --build --preset "$WINDOWS_PRESET" -j2 --target keyloom keyloom-play
  exit 0
fi

bash scripts/windows/build-gtest.sh
bash scripts/windows/build-wx.sh
host=${HOST_PLAYER:-}
if [[ -z "$host" ]]; then
  cmake --preset dev -B build/windows-host -DKEYLOOM_GUI=OFF -DKEYLOOM_TESTS=OFF \
    -DKEYLOOM_BENCH=OFF >/dev/null
  cmake --build build/windows-host --target keyloom-play -j2
  host=$PWD/build/windows-host/app/keyloom-play
fi
cmake --preset "$WINDOWS_PRESET" -DKEYLOOM_TESTS=ON -DKEYLOOM_BENCH=ON \
  -DKEYLOOM_HOST_PLAYER="$host" >/dev/null
cmake --build --preset "$WINDOWS_PRESET" -j2
