# Shared settings of the Windows scripts (sourced, not run).
# The cache of libraries built for 32-bit Windows lives outside the clone.
KEYLOOM_WIN32_PREFIX=${KEYLOOM_WIN32_PREFIX:-/var/cache/keyloom/win32}
export KEYLOOM_WIN32_PREFIX
MINGW_HOST=i686-w64-mingw32
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
