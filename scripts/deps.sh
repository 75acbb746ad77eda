#!/usr/bin/env bash
# Installs the Debian packages that building (and, with "test", testing)
# Keyloom needs, when any is missing. Run as root on Debian 12.
#   deps.sh [build|run|test|windows]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

build=(cmake ninja-build g++ pkg-config libwxgtk3.2-dev libxtst-dev libxi-dev
       libxkbcommon-dev libglib2.0-dev libxres-dev libwayland-dev libwayland-bin wayland-protocols
       libevdev-dev)
run=(xvfb openbox x11-utils imagemagick xterm xdotool)
test=(googletest libgtest-dev xvfb openbox xdotool x11-utils x11-xkb-utils xterm libgtk-3-dev shared-mime-info
      imagemagick clang libclang-rt-14-dev
      dpkg-dev file desktop-file-utils appstream libglib2.0-bin
      sway foot wtype gnome-shell mutter pipewire pipewire-bin kwin-wayland wl-clipboard gcovr)
# The Windows build (scripts/windows/): MinGW-w64 for 32-bit Windows (the
# build Windows users get) and dpkg-dev for building wxMSW from Debian's
# source packages; then the Wine that this machine can run, with its own
# MinGW where that is 64-bit (scripts/windows/wine-arch.sh).
windows=(g++-mingw-w64-i686 mingw-w64-i686-dev dpkg-dev xvfb openbox xdotool)
wine32=(wine wine32:i386)
wine64=(g++-mingw-w64-x86-64 mingw-w64-x86-64-dev wine wine64)

wanted=("${build[@]}")
case "${1:-build}" in
  build) ;;
  run) wanted+=("${run[@]}") ;;
  test) wanted+=("${test[@]}" "${windows[@]}") ;;
  windows) wanted+=("${windows[@]}") ;;
  *) echo "usage: deps.sh [build|run|test|windows]" >&2; exit 2 ;;
esac
if [[ "${1:-build}" == test || "${1:-build}" == windows ]]; then
  if [[ $(bash "$here/windows/wine-arch.sh") == 32 ]]; then
    wanted+=("${wine32[@]}")
  else
    wanted+=("${wine64[@]}")
  fi
fi

# A deb-src twin of the machine's own entry for the Debian archive (the one
# whose suites hold this release and whose components hold main), in the
# format the machine uses, so that apt-get source fetches from the same
# mirror with the same key. Prints nothing when there is no such entry.
source_entry() {
  local codename=$1 file
  for file in /etc/apt/sources.list.d/*.sources; do
    [[ -f "$file" ]] || continue
    awk -v codename="$codename" '
      BEGIN { RS = ""; FS = "\n" }
      function has(list, word) { return index(" " list " ", " " word " ") > 0 }
      {
        delete field; name = ""
        for (i = 1; i <= NF; i++) {
          line = $i
          if (line ~ /^#/) continue
          if (line ~ /^[ \t]/) { if (name != "") field[name] = field[name] "\n" line; continue }
          colon = index(line, ":")
          if (!colon) continue
          name = tolower(substr(line, 1, colon - 1))
          value = substr(line, colon + 1)
          sub(/^[ \t]+/, "", value); sub(/[ \t]+$/, "", value)
          field[name] = value
        }
        if (tolower(field["enabled"]) == "no") next
        if (has(field["types"], "deb") && has(field["suites"], codename) && has(field["components"], "main")) {
          print "Types: deb-src"
          print "URIs: " field["uris"]
          print "Suites: " codename
          print "Components: main"
          if ("signed-by" in field) print "Signed-By: " field["signed-by"]
          found = 1
          exit
        }
      }
      END { exit !found }' "$file" && return 0
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f "$file" ]] || continue
    # deb [options] URI SUITE COMPONENT...
    awk -v codename="$codename" '
      $1 == "deb" {
        i = 2
        if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
        options = ""
        for (j = 2; j < i; j++) options = options $j " "
        if ($(i + 1) != codename) next
        for (j = i + 2; j <= NF; j++)
          if ($j == "main") { print "deb-src " options $i " " codename " main"; found = 1; exit }
      }
      END { exit !found }' "$file" && return 0
  done
  return 1
}

# 32-bit Wine needs the i386 architecture; wxMSW is built from the source
# packages (apt-get source), which need a deb-src entry.
update=0
if [[ " ${wanted[*]} " == *" wine32:i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  update=1
fi
if [[ " ${wanted[*]} " == *" dpkg-dev "* ]] &&
   ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  if entry=$(source_entry "$codename") && grep -q '^Types:' <<<"$entry"; then
    printf '%s\n' "$entry" >/etc/apt/sources.list.d/keyloom-src.sources
    update=1
  elif [[ -n "$entry" ]]; then
    printf '%s\n' "$entry" >/etc/apt/sources.list.d/keyloom-src.list
    update=1
  else
    echo "deps.sh: no apt entry for Debian $codename main to take the source packages from" >&2
  fi
fi

missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing+=("$pkg")
done
if ((${#missing[@]})) || ((update)); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update -q
fi
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
fi
