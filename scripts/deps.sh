#!/usr/bin/env bash
# Installs the Debian packages that building (and, with "test", testing)
# Keyloom needs, when any is missing. Run as root on Debian 12.
set -euo pipefail

build=(cmake ninja-build g++ pkg-config libwxgtk3.2-dev libxtst-dev libxi-dev
       libxkbcommon-dev libglib2.0-dev libxres-dev)
run=(xvfb openbox x11-utils imagemagick)
test=(googletest libgtest-dev xvfb openbox xdotool x11-utils x11-xkb-utils xterm
      imagemagick clang libclang-rt-14-dev)

wanted=("${build[@]}")
case "${1:-build}" in
  run) wanted+=("${run[@]}") ;;
  test) wanted+=("${test[@]}") ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing+=("$pkg")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
