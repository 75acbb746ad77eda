#!/usr/bin/env bash
# Runs Keyloom's Windows test tiers (default: unit, then windows) under Wine
# on a virtual display, each in a fresh Wine prefix of its own, with the
# build of KEYLOOM_WINDOWS_ARCH (default: the Wine this machine runs,
# scripts/windows/wine-arch.sh). Builds first (scripts/windows/build.sh).
#   test.sh [--no-build] [TIER...] [-- CTEST-ARGUMENTS...]
set -euo pipefail
cd "$(dirname "$0")/../.."
KEYLOOM_WINDOWS_ARCH=${KEYLOOM_WINDOWS_ARCH:-$(bash scripts/windows/wine-arch.sh)}
export KEYLOOM_WINDOWS_ARCH
source scripts/windows/common.sh

build=1 tiers=() extra=()
while (($#)); do
  case "$1" in
    --no-build) build=0 ;;
    --) shift; extra=("$@"); break ;;
    *) tiers+=("$1") ;;
  esac
  shift
done
((${#tiers[@]})) || tiers=(unit windows)
((build)) && bash scripts/windows/build.sh

export LANG=${LANG:-C.UTF-8}
# Each tier in a Wine of its own: after many short programs Wine's desktop
# process has gone and, started again, holds up each new window for 10 s.
status=0
for tier in "${tiers[@]}"; do
  bash scripts/with-display.sh bash scripts/windows/wine-env.sh \
    ctest --preset "$WINDOWS_PRESET" -L "^$tier\$" --timeout 180 "${extra[@]}" || status=1
done
exit "$status"
