#!/usr/bin/env bash
# Installs the Debian packages that building (and, with "test", testing)
# Keyloom needs, when any is missing. Run as root on Debian 12.
set -euo pipefail

build=(cmake ninja-build g++ pkg-config libwxgtk3.2-dev libxtst-dev libxi-dev
       libxkbcommon-dev libglib2.0-dev libxres-dev)
run=(xvfb openbox x11-utils imagemagick xterm xdotool)
test=(googletest libgtest-dev xvfb openbox xdotool x11-utils x11-xkb-utils xterm libgtk-3-dev shared-mime-info
      imagemagick clang libclang-rt-14-dev
      dpkg-dev file desktop-file-utils appstream libglib2.0-bin)
# The Windows build (scripts/windows/): MinGW-w64, 32-bit Wine, and dpkg-dev
# for building wxMSW from Debian's source packages.
windows=(g++-mingw-w64-i686 mingw-w64-i686-dev wine wine32:i386 dpkg-dev xvfb openbox xdotool)

wanted=("${build[@]}")
case "${1:-build}" in
  run) wanted+=("${run[@]}") ;;
  test) wanted+=("${test[@]}" "${windows[@]}") ;;
  windows) wanted+=("${windows[@]}") ;;
esac

# 32-bit Wine needs the i386 architecture; wxMSW is built from the source
# packages (apt-get source), which need a deb-src entry.
update=0
if [[ " ${wanted[*]} " == *" wine32:i386 "* ]]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    update=1
  fi
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' "Suites: $codename" \
      'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' \
      >/etc/apt/sources.list.d/keyloom-src.sources
    update=1
  fi
fi

missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing+=("$pkg")
done
if ((${#missing[@]})) || ((update)); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
fi
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
