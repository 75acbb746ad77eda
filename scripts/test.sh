#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test tier: unit, x11, gui
# and fault (with the Debian package built, unpacked and run) under a virtual
# display, the Windows build's unit and windows tiers under Wine, every tier
# but the package again under the sanitizers, and each fuzz target for a
# short while.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh test

cmake --preset ci >/dev/null
cmake --build --preset ci
bash scripts/with-display.sh ctest --preset ci --timeout 120

# The Windows build under Wine; its dry runs are compared with this player.
HOST_PLAYER=$PWD/build/ci/app/keyloom-play bash scripts/windows/test.sh

cmake --preset asan >/dev/null
cmake --build --preset asan
# What the system's libraries never free is not reported (tests/fault/lsan.supp).
LSAN_OPTIONS=suppressions=$PWD/tests/fault/lsan.supp \
  bash scripts/with-display.sh ctest --preset asan -LE package --timeout 300

bash scripts/fuzz.sh "${FUZZ_SECONDS:-15}"
