#!/usr/bin/env bash
# Builds wxMSW 3.2 (static, monolithic) for Windows (KEYLOOM_WINDOWS_ARCH) from Debian's
# wxwidgets3.2 source, with Debian's zlib and libpng sources placed where wx
# expects its built-in copies, into the cache ($WINDOWS_PREFIX/wx).
# Does nothing when the cached build matches the configure line and the
# package versions. Needs a deb-src entry (scripts/deps.sh windows adds one).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"

configure_args=(--host=$MINGW_HOST --build=x86_64-pc-linux-gnu --with-msw --disable-shared
  --enable-monolithic --disable-sys-libs --with-zlib=builtin --with-libpng=builtin
  --with-regex=builtin --without-libjpeg --without-libtiff --without-expat --without-liblzma
  --without-libcurl --without-opengl --disable-webview --disable-mediactrl --disable-stc
  --disable-ribbon --disable-propgrid --disable-aui --disable-richtext --disable-xrc
  --disable-webrequest)

# The source versions apt would fetch now.
source_version() {
  apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/ {print $2; exit}'
}

prefix=$WINDOWS_PREFIX/wx
versions=("$(source_version wxwidgets3.2)" "$(source_version zlib)" "$(source_version libpng1.6)")
if [[ -z "${versions[0]}" ]]; then
  echo "build-wx: no source package wxwidgets3.2 (run: bash scripts/deps.sh windows)" >&2
  exit 1
fi
key=$(cache_key "wx-1" "${configure_args[*]}" "${versions[*]}" "$($MINGW_CXX --version | head -n1)")
if cache_fresh "$prefix" "$key"; then
  exit 0
fi

echo "Building wxMSW ${versions[0]} for $WINDOWS_PRESET into $prefix (about 6 minutes on 2 cores)"
work=$WINDOWS_PREFIX/wx-build
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cd "$work"
apt-get source --download-only -q wxwidgets3.2 zlib libpng1.6 >/dev/null 2>&1
for dsc in wxwidgets3.2_*.dsc zlib_*.dsc libpng1.6_*.dsc; do
  dpkg-source --no-check -x "$dsc" >/dev/null
done
wx=$(find . -maxdepth 1 -type d -name 'wxwidgets3.2-*' | head -n1)
rm -rf "$wx/src/zlib" "$wx/src/png"
cp -a "$(find . -maxdepth 1 -type d -name 'zlib-*' | head -n1)" "$wx/src/zlib"
cp -a "$(find . -maxdepth 1 -type d -name 'libpng1.6-*' | head -n1)" "$wx/src/png"
cp "$wx/src/png/scripts/pnglibconf.h.prebuilt" "$wx/src/png/pnglibconf.h"

mkdir build && cd build
CC=$MINGW_CC CXX=$MINGW_CXX "../$wx/configure" --prefix="$prefix" "${configure_args[@]}" \
  >configure.log 2>&1 || { tail -n 30 configure.log; exit 1; }
make -j2 >make.log 2>&1 || { tail -n 40 make.log; exit 1; }
rm -rf "$prefix"
make install >/dev/null
echo "$key" >"$prefix/.keyloom-key"
