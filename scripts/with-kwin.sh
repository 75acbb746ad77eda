#!/usr/bin/env bash
# Runs a command on a new headless KWin (KDE Plasma's compositor, a virtual
# output of 1280x800 and no input devices), then stops it. The command's exit
# status is returned.
#   with-kwin.sh CMD...
# KEYLOOM_KWIN_LAYOUT=de gives KWin that keyboard layout (default: us);
# KEYLOOM_KWIN_XKB=none starts it without a folder ~/.config/xkb, so that
# keyboard options of the user's own cannot be loaded (text is pasted).
# The installed kwin_wayland carries a file capability that a container may
# refuse: a copy without it runs. Everything lives in a private folder: the
# runtime folder (0700), a session bus, the config, data and cache folders.
# KWin offers its fake input only to programs named in installed .desktop
# files: each program of the build (KEYLOOM_BUILD, default build/ci: app/,
# tests/, bench/) gets one under the private data folder.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${KEYLOOM_BUILD:-$here/build/ci}" && pwd)

home=$(mktemp -d /tmp/keyloom-kwin.XXXXXX)
runtime=$home/runtime
mkdir -p "$runtime" "$home/config" "$home/data/applications" "$home/cache"
[[ "${KEYLOOM_KWIN_XKB:-}" == none ]] || mkdir "$home/config/xkb"
chmod 0700 "$home" "$runtime"
cleanup() {
  # By the process group and the id of what we started, never by name.
  if [[ -n "${kwin_pid:-}" ]]; then
    kill -TERM -- "-$kwin_pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$kwin_pid" 2>/dev/null || break; sleep 0.05; done
    kill -KILL -- "-$kwin_pid" 2>/dev/null || true
  fi
  [[ -n "${bus_pid:-}" ]] && kill "$bus_pid" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT

cp /usr/bin/kwin_wayland "$home/kwin_wayland"
if [[ -n "${KEYLOOM_KWIN_LAYOUT:-}" ]]; then
  printf '[Layout]\nUse=true\nLayoutList=%s\n' "$KEYLOOM_KWIN_LAYOUT" >"$home/config/kxkbrc"
fi
n=0
while IFS= read -r program; do
  n=$((n + 1))
  printf '[Desktop Entry]\nType=Application\nName=Keyloom test %s\nNoDisplay=true\nExec=%s\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input,org_kde_kwin_keystate\n' \
    "$n" "$program" >"$home/data/applications/keyloom-test-$n.desktop"
done < <(find "$build/app" "$build/tests" "$build/bench" -maxdepth 1 -type f -perm -u+x 2>/dev/null)

session=(env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$runtime"
         XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache"
         DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus")
bus_pid=$("${session[@]}" dbus-daemon --session --address="unix:path=$runtime/bus" --fork --print-pid)
setsid "${session[@]}" "$home/kwin_wayland" --virtual --no-lockscreen --width 1280 --height 800 \
  --socket wayland-keyloom >"$home/kwin.log" 2>&1 </dev/null &
kwin_pid=$!

for _ in $(seq 200); do
  [[ -S "$runtime/wayland-keyloom" ]] && break
  kill -0 "$kwin_pid" 2>/dev/null || break
  sleep 0.05
done
if ! [[ -S "$runtime/wayland-keyloom" ]] ||
   ! "${session[@]}" gdbus wait --session --timeout 10 org.kde.KWin; then
  echo "KWin did not start:"; cat "$home/kwin.log"; exit 1
fi

export WAYLAND_DISPLAY=wayland-keyloom XDG_RUNTIME_DIR=$runtime HOME=$home
export XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache
export DBUS_SESSION_BUS_ADDRESS=unix:path=$runtime/bus
unset DISPLAY
"$@"
