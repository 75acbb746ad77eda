#!/usr/bin/env bash
# Builds the Debian package of Keyloom and prints its path.
#
#   bash scripts/package.sh [BUILD_DIR]
#
# Without BUILD_DIR it makes an optimised build of its own (the "release"
# preset, build/release); with it, it packages that build as it stands
# (building whatever is out of date first). The package is written to
# BUILD_DIR/packages/. Install it with `apt-get install ./keyloom_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ $# -ge 1 ]]; then
  build=$1
else
  bash scripts/deps.sh build >&2
  cmake --preset release >&2
  build=build/release
fi
cmake --build "$build" -j2 >&2
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB >&2)
deb=$(ls "$build"/packages/keyloom_*.deb)
echo "$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")"
