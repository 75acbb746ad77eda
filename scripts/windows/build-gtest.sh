#!/usr/bin/env bash
# Builds GoogleTest and GoogleMock for Windows (KEYLOOM_WINDOWS_ARCH) from
# Debian's /usr/src/googletest with the MinGW posix compilers, into the cache
# ($WINDOWS_PREFIX/gtest). Does nothing when the cached build is current.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"

prefix=$WINDOWS_PREFIX/gtest
key=$(cache_key "gtest-1" "$(package_version googletest)" "$($MINGW_CXX --version | head -n1)" \
        "$(cat "$WINDOWS_TOOLCHAIN" "$here/../../cmake/mingw.cmake")")
if cache_fresh "$prefix" "$key"; then
  exit 0
fi

echo "Building GoogleTest for $WINDOWS_PRESET into $prefix"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake -S /usr/src/googletest -B "$work" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$WINDOWS_TOOLCHAIN" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -Dgtest_disable_pthreads=OFF -DBUILD_GMOCK=ON >/dev/null
cmake --build "$work" -j2 >/dev/null
rm -rf "$prefix"
cmake --install "$work" >/dev/null
echo "$key" >"$prefix/.keyloom-key"
