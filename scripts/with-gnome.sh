#!/usr/bin/env bash
# Runs a command on a new headless gnome-shell (GNOME's compositor without
# screen or input devices), with Keyloom's Shell extension enabled, then
# stops it. The command's exit status is returned.
#   with-gnome.sh [--mutter] CMD...
# --mutter: plain mutter instead (no shell, no extension), as GNOME's
# compositor runs under other shells. A private PipeWire daemon runs beside
# the compositor (screen casts, which the absolute pointer moves need) unless
# KEYLOOM_GNOME_PIPEWIRE=0. KEYLOOM_GNOME_LAYOUT=de gives the session that
# keyboard layout (default: us).
# Everything is private: a runtime folder (0700), a session bus, a stand-in
# system bus, the XDG folders (settings, extensions); hot corners and
# animations are off and the overview, where the shell starts, is hidden (by a small extension
# made here) before the command runs. The command gets WAYLAND_DISPLAY,
# DBUS_SESSION_BUS_ADDRESS and the XDG folders.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
uuid=keyloom@keyloom.org
compositor=gnome-shell
if [[ ${1-} == --mutter ]]; then compositor=mutter; shift; fi

runtime=$(mktemp -d /tmp/keyloom-gnome.XXXXXX)
chmod 0700 "$runtime"
pids=()
cleanup() {
  # By the ids of what we started, never by name.
  for pid in "${pids[@]}"; do kill -TERM -- "-$pid" 2>/dev/null || kill -TERM "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    kill -KILL "$pid" 2>/dev/null || true
  done
  rm -rf "$runtime"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$runtime XDG_CONFIG_HOME=$runtime/config XDG_DATA_HOME=$runtime/data \
  XDG_CACHE_HOME=$runtime/cache HOME=$runtime
extensions=$XDG_DATA_HOME/gnome-shell/extensions
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$extensions"
cp -r "$here/../platform/gnome/extension" "$extensions/$uuid"
# The test's own extension: the overview hidden once the shell has started,
# then a name on the bus that says so.
mkdir "$extensions/ready@keyloom.org"
cat >"$extensions/ready@keyloom.org/metadata.json" <<'JSON'
{"uuid": "ready@keyloom.org", "name": "Ready", "description": "Test only", "shell-version": ["43"]}
JSON
cat >"$extensions/ready@keyloom.org/extension.js" <<'JS'
const { Gio } = imports.gi;
const Main = imports.ui.main;
function ready() {
    Main.overview.hide();
    Gio.bus_own_name_on_connection(Gio.DBus.session, 'org.keyloom.ShellReady', 0, null, null);
}
function init() {
    return {
        enable() {
            if (Main.layoutManager._startingUp)
                Main.layoutManager.connect('startup-complete', ready);
            else
                ready();
        },
        disable() {},
    };
}
JS

for bus in bus sysbus; do
  pid=$(dbus-daemon --session --address="unix:path=$runtime/$bus" --fork --print-pid --nopidfile)
  pids+=("$pid")
done
export DBUS_SESSION_BUS_ADDRESS=unix:path=$runtime/bus DBUS_SYSTEM_BUS_ADDRESS=unix:path=$runtime/sysbus
gsettings set org.gnome.shell enabled-extensions "['$uuid', 'ready@keyloom.org']"
gsettings set org.gnome.desktop.interface enable-hot-corners false
# No window moves under the pointer without it knowing (a map animation).
gsettings set org.gnome.desktop.interface enable-animations false
if [[ -n "${KEYLOOM_GNOME_LAYOUT:-}" ]]; then
  gsettings set org.gnome.desktop.input-sources sources "[('xkb', '$KEYLOOM_GNOME_LAYOUT')]"
fi

if [[ ${KEYLOOM_GNOME_PIPEWIRE-1} != 0 ]]; then
  setsid pipewire >"$runtime/pipewire.log" 2>&1 </dev/null &
  pids+=("$!")
  for _ in $(seq 100); do [[ -S $runtime/pipewire-0 ]] && break; sleep 0.05; done
  [[ -S $runtime/pipewire-0 ]] || { echo "pipewire did not start:"; cat "$runtime/pipewire.log"; exit 1; }
fi

socket=keyloom-gnome
# Plain mutter scales a new window in unless told not to (the shell obeys
# the setting above).
MUTTER_DEBUG_DISABLE_ANIMATIONS=1 setsid "$compositor" --headless --wayland --no-x11 --virtual-monitor 1280x800 \
  --wayland-display "$socket" >"$runtime/shell.log" 2>&1 </dev/null &
pids+=("$!")
shell_pid=$!

owned() {
  [[ $(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
         --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null) == "(true,)" ]]
}
ready=(org.keyloom.ShellReady org.keyloom.Shell)
[[ $compositor == mutter ]] && ready=(org.gnome.Mutter.RemoteDesktop)
for _ in $(seq 300); do
  owned "${ready[0]}" && break
  kill -0 "$shell_pid" 2>/dev/null || break
  sleep 0.05
done
for name in "${ready[@]}"; do
  owned "$name" || { echo "$compositor did not start ($name):"; cat "$runtime/shell.log"; exit 1; }
done

export WAYLAND_DISPLAY=$socket
unset DISPLAY
"$@"
