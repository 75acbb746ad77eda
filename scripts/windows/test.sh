#!/usr/bin/env bash
# Builds Keyloom for 32-bit Windows (MinGW-w64, static) and runs its unit and
# windows test tiers under Wine on a virtual display, in a fresh Wine prefix.
#   HOST_PLAYER=PATH  the Linux keyloom-play that the Windows player's dry
#                     runs are compared with (default: built in build/win32-host)
# GoogleTest and wxMSW come from the cache outside the clone and are built
# there when missing (wxMSW: about 6 minutes).
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/windows/common.sh

bash scripts/windows/build-gtest.sh
bash scripts/windows/build-wx.sh

host=${HOST_PLAYER:-}
if [[ -z "$host" ]]; then
  cmake --preset dev -B build/win32-host -DKEYLOOM_GUI=OFF -DKEYLOOM_TESTS=OFF \
    -DKEYLOOM_BENCH=OFF >/dev/null
  cmake --build build/win32-host --target keyloom-play -j2
  host=$PWD/build/win32-host/app/keyloom-play
fi

cmake --preset win32 -DKEYLOOM_HOST_PLAYER="$host" >/dev/null
cmake --build --preset win32 -j2
export LANG=${LANG:-C.UTF-8}
# Each tier in a Wine of its own: after many short programs Wine's desktop
# process has gone and, started again, holds up each new window for 10 s.
status=0
for tier in unit windows; do
  bash scripts/with-display.sh bash scripts/windows/wine-env.sh \
    ctest --preset win32 -L "^$tier\$" --timeout 180 "$@" || status=1
done
exit "$status"
