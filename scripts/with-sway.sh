#!/usr/bin/env bash
# Runs a command on a new headless sway (a wlroots compositor without screen
# or input devices), then stops it. The command's exit status is returned.
#   with-sway.sh CMD...
# sway refuses to run as root: it runs as the unprivileged user keyloom-sway
# (made here when missing, which takes root), in a private runtime folder
# (0700) that the command reaches through WAYLAND_DISPLAY and XDG_RUNTIME_DIR.
set -euo pipefail

user=keyloom-sway
if [[ $(id -u) == 0 ]]; then
  id -u "$user" >/dev/null 2>&1 ||
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
  run_as=(runuser -u "$user" --)
else
  run_as=()  # already unprivileged
fi

runtime=$(mktemp -d /tmp/keyloom-sway.XXXXXX)
chmod 0700 "$runtime"
[[ ${#run_as[@]} -gt 0 ]] && chown "$user:" "$runtime"
cleanup() {
  # By the process group of the compositor we started, never by name.
  if [[ -n "${sway_pid:-}" ]]; then
    kill -TERM -- "-$sway_pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$sway_pid" 2>/dev/null || break; sleep 0.05; done
    kill -KILL -- "-$sway_pid" 2>/dev/null || true
  fi
  rm -rf "$runtime"
}
trap cleanup EXIT

# One output; no borders, so that a lone window lies at the layout's origin;
# the focus stays where it is put when the pointer moves; no X server.
cat >"$runtime/config" <<'CONFIG'
output HEADLESS-1 resolution 1280x800 position 0 0
default_border none
default_floating_border none
focus_follows_mouse no
focus_on_window_activation focus
xwayland disable
CONFIG

setsid "${run_as[@]}" env -i PATH=/usr/bin:/bin HOME="$runtime" XDG_RUNTIME_DIR="$runtime" \
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  sway --config "$runtime/config" >"$runtime/sway.log" 2>&1 </dev/null &
sway_pid=$!

socket=
for _ in $(seq 200); do
  for candidate in "$runtime"/wayland-*; do
    [[ -S "$candidate" ]] && socket=${candidate##*/} && break 2
  done
  kill -0 "$sway_pid" 2>/dev/null || break
  sleep 0.05
done
[[ -n "$socket" ]] || { echo "sway did not start:"; cat "$runtime/sway.log"; exit 1; }

export WAYLAND_DISPLAY=$socket XDG_RUNTIME_DIR=$runtime
unset DISPLAY
"$@"
