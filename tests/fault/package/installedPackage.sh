#!/usr/bin/env bash
# The Debian package as a user gets it: built from BUILD_DIR, unpacked into a
# clean folder tree, its metadata checked with the desktop's own tools, the
# installed player run dry, and the installed program started and its help
# book opened.
#
#   bash tests/fault/package/installedPackage.sh BUILD_DIR
#
# Needs $DISPLAY (a virtual one when there is none: scripts/with-display.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../../.." && pwd)
build=$(cd "${1:?usage: installedPackage.sh BUILD_DIR}" && pwd)

if [[ -z "${DISPLAY:-}" ]]; then
  exec bash "$source_dir/scripts/with-display.sh" bash "$0" "$build"
fi

work=$(mktemp -d)
program_pid=
cleanup() {
  if [[ -n "$program_pid" ]] && kill "$program_pid" 2>/dev/null; then
    eventually bash -c '! kill -0 "$1" 2>/dev/null' _ "$program_pid" || kill -KILL "$program_pid"
  fi
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
eventually() {  # eventually COMMAND...: true once it succeeds, tried for twenty seconds
  for _ in $(seq 200); do "$@" && return 0; sleep 0.1; done
  return 1
}
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@" >"$work/out" 2>&1; then
    echo "ok   $what"
  else
    echo "FAIL $what"
    sed 's/^/     /' "$work/out" | tail -n 20
    failures=$((failures + 1))
  fi
}

deb=$(bash "$source_dir/scripts/package.sh" "$build" 2>"$work/cpack.log") || {
  cat "$work/cpack.log"
  exit 1
}
echo "package: $deb"
root=$work/root
dpkg-deb -x "$deb" "$root"
usr=$root/usr

# The package's own description and dependencies.
check "package name and version" \
  bash -c '[[ "$(dpkg-deb -f "$1" Package Version)" == "$(printf "Package: keyloom\nVersion: %s" "$2")" ]]' \
  _ "$deb" "$(sed -n 's/^project(keyloom VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")"
check "depends on the toolkit and X libraries" \
  bash -c 'd=$(dpkg-deb -f "$1" Depends); [[ $d == *libwxgtk3.2* && $d == *libxtst6* && $d == *libxkbcommon0* ]]' _ "$deb"

# Every file a desktop looks for (its metadata files: the checks below).
for file in bin/keyloom bin/keyloom-play share/icons/hicolor/scalable/apps/keyloom.svg \
    share/keyloom/help/Loomhlp.hhp share/keyloom/help/commands.html \
    share/gnome-shell/extensions/keyloom@keyloom.org/metadata.json \
    share/gnome-shell/extensions/keyloom@keyloom.org/extension.js; do
  check "installs /usr/$file" test -s "$usr/$file"
done
check "programs are executable and stripped" \
  bash -c 'for p in "$1"/bin/*; do [[ -x $p ]] && ! file "$p" | grep -q "not stripped"; done' _ "$usr"
check "installs the icons in their sizes" bash -c '
  for s in 16 32 48 64 128 256; do
    identify -format "%wx%h" "$1/share/icons/hicolor/${s}x${s}/apps/keyloom.png" | grep -qx "${s}x${s}" || exit 1
  done' _ "$usr"

# The desktop's tools accept the metadata.
check "desktop entry is valid" desktop-file-validate "$usr/share/applications/org.keyloom.Keyloom.desktop"
check "KWin's input entries are valid" desktop-file-validate \
  "$usr/share/applications/org.keyloom.Keyloom.input.desktop" \
  "$usr/share/applications/org.keyloom.KeyloomPlay.input.desktop"
check "AppStream metadata is valid" appstreamcli validate --no-net "$usr/share/metainfo/org.keyloom.Keyloom.metainfo.xml"
check "manual page renders without warnings" bash -c '
  out=$(zcat "$1" | groff -man -Tutf8 -ww 2>&1 >/dev/null); [[ -z $out ]] || { echo "$out"; exit 1; }
  zcat "$1" | groff -man -Tutf8 2>/dev/null | grep -q "dry" ' _ "$usr/share/man/man1/keyloom-play.1.gz"

# .tkl files are macro files, and Keyloom opens them.
mkdir -p "$work/data"
cp -r "$usr/share/mime" "$usr/share/applications" "$work/data/"
update-mime-database "$work/data/mime" >/dev/null 2>&1 || true
update-desktop-database "$work/data/applications" >/dev/null 2>&1 || true
printf 'Press_Tab\r\n' >"$work/sample.tkl"
check ".tkl is the macro file type" bash -c '
  XDG_DATA_DIRS="$1:/usr/share" XDG_DATA_HOME="$1" gio info -a standard::content-type "$2" |
    grep -q "application/x-keyloom-macro"' _ "$work/data" "$work/sample.tkl"
# (GIO offers an application only when its program is on the PATH.)
check "Keyloom opens macro files" bash -c '
  PATH="$2:$PATH" XDG_DATA_DIRS="$1:/usr/share" XDG_DATA_HOME="$1" XDG_CONFIG_HOME="$1" \
    gio mime application/x-keyloom-macro | grep -q "^Default application.*org.keyloom.Keyloom.desktop"' \
  _ "$work/data" "$usr/bin"

# The installed player.
check "player plays the example dry" bash -c '
  "$1/bin/keyloom-play" --dry-run "$1/share/doc/keyloom/examples/hello.tkl" | head -n 3 |
    diff - <(printf "wait 0.500\ntype Hello from Keyloom!\nkey 13 down\n")' _ "$usr"

# The installed program: it finds its help book under share/keyloom. (That
# the program loads a macro file it is given and runs it with its Run button
# is the fault tier's, tests/fault/support/faultSupport.cpp's MacroRun.)
export HOME=$work/home XDG_RUNTIME_DIR=$work/home GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
mkdir -p "$HOME"
"$usr/bin/keyloom" 2>"$work/keyloom.log" &
program_pid=$!
windows() { xdotool search --onlyvisible --pid "$program_pid" --name "${1:-.}" 2>/dev/null; }
eventually windows "^Tervel's Keyloom\$" >/dev/null || true
window=$(windows "^Tervel's Keyloom\$" | head -n1) || true
check "installed program shows its main window" test -n "$window"
if [[ -n "$window" ]]; then
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  # Help, Contents. Keys before the toolkit has set up the window are lost:
  # pressed again.
  help_shown() {
    for _ in 1 2 3; do
      xdotool key alt+h
      eventually bash -c '(( $(xdotool search --onlyvisible --pid "$1" --name . | wc -l) > 1 ))' \
        _ "$program_pid" || continue
      xdotool key m
      eventually windows "^Help" >/dev/null && return 0
    done
    return 1
  }
  check "installed program opens its help book" help_shown
  kill "$program_pid"
  check "installed program ends on SIGTERM" \
    eventually bash -c '! kill -0 "$1" 2>/dev/null' _ "$program_pid"
fi

if ((failures)); then
  echo "$failures check(s) failed"
  cat "$work/keyloom.log"
  exit 1
fi
echo "installed package: every check passed"
