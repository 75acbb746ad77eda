# Shared settings of the Windows scripts (sourced, not run).
#   KEYLOOM_WINDOWS_ARCH  32 (the build Windows users get) or 64; default 32
#   KEYLOOM_WINDOWS_CACHE the cache of libraries built for Windows, outside
#                         the clone; one folder per architecture below it
KEYLOOM_WINDOWS_ARCH=${KEYLOOM_WINDOWS_ARCH:-32}
KEYLOOM_WINDOWS_CACHE=${KEYLOOM_WINDOWS_CACHE:-/var/cache/keyloom}
export KEYLOOM_WINDOWS_CACHE
case "$KEYLOOM_WINDOWS_ARCH" in
  32) MINGW_HOST=i686-w64-mingw32 ;;
  64) MINGW_HOST=x86_64-w64-mingw32 ;;
  *) echo "KEYLOOM_WINDOWS_ARCH must be 32 or 64, not '$KEYLOOM_WINDOWS_ARCH'" >&2; exit 2 ;;
esac
WINDOWS_PRESET=win$KEYLOOM_WINDOWS_ARCH
WINDOWS_PREFIX=$KEYLOOM_WINDOWS_CACHE/$WINDOWS_PRESET
WINDOWS_TOOLCHAIN=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../cmake" && pwd)/mingw-${MINGW_HOST%%-*}.cmake
MINGW_CC=$MINGW_HOST-gcc-posix
MINGW_CXX=$MINGW_HOST-g++-posix

# The installed version of a Debian package ("none" when missing).
package_version() {
  dpkg-query -W -f='${Version}' "$1" 2>/dev/null || echo none
}

# A short digest of its arguments: the key a cached build is stored under.
cache_key() {
  printf '%s\n' "$@" | sha256sum | cut -c1-16
}

# True when $1 (an install prefix) was built with key $2.
cache_fresh() {
  [[ -f "$1/.keyloom-key" && "$(cat "$1/.keyloom-key")" == "$2" ]]
}
