#!/usr/bin/env bash
# Runs a command on a new virtual X display (Xvfb) with a window manager
# (openbox), then takes both down. The command's exit status is returned.
set -euo pipefail

workdir=$(mktemp -d)
runtime=
cleanup() {
  [[ -n "${wm_pid:-}" ]] && kill "$wm_pid" 2>/dev/null || true
  [[ -n "${x_pid:-}" ]] && kill "$x_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$workdir" ${runtime:+"$runtime"}
}
trap cleanup EXIT

# -noreset: a connection made while the last client leaves is not dropped.
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$workdir/display" 2>"$workdir/xvfb.log" &
x_pid=$!
for _ in $(seq 100); do
  [[ -s "$workdir/display" ]] && break
  sleep 0.05
done
[[ -s "$workdir/display" ]] || { echo "Xvfb did not start:"; cat "$workdir/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$workdir/display")"

# The window manager's own key bindings (Print runs a screenshot tool,
# Alt+Tab switches windows) would take keys that tests send to their windows.
sed '/<keyboard>/,/<\/keyboard>/c\  <keyboard></keyboard>' /etc/xdg/openbox/rc.xml >"$workdir/rc.xml"
openbox --sm-disable --config-file "$workdir/rc.xml" >"$workdir/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done

export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
# A desktop session gives its programs a private runtime folder in memory;
# so does this display when it has none.
if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
  runtime=$(mktemp -d /dev/shm/keyloom-runtime.XXXXXX 2>/dev/null) || {
    runtime=$workdir/runtime
    mkdir -m 0700 "$runtime"
  }
  export XDG_RUNTIME_DIR=$runtime
fi
"$@"
