#!/usr/bin/env bash
# Installs what is missing, builds Keyloom and starts its main window.
#
# Without a usable display it starts a virtual one (Xvfb with openbox), runs
# Keyloom there, writes a screenshot of the screen and says where it is
# (KEYLOOM_SCREENSHOT chooses the file; default: build/keyloom-screenshot.png).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh run
cmake --preset release >/dev/null
cmake --build --preset release
program="$PWD/build/release/app/keyloom"

if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
  echo "== Starting Keyloom on $DISPLAY"
  exec "$program"
fi

shot="${KEYLOOM_SCREENSHOT:-$PWD/build/keyloom-screenshot.png}"
echo "== No display here: starting Keyloom on a virtual one (Xvfb + openbox)"
show() {
  local program=$1 shot=$2
  # A home of its own: a copy running elsewhere does not count as this one.
  HOME=$(mktemp -d)
  export HOME
  "$program" &
  local pid=$!
  for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q "Tervel's Keyloom" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  sleep 1
  import -window root "$shot"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  rm -rf "$HOME"
}
export -f show
if bash scripts/with-display.sh bash -c 'show "$@"' _ "$program" "$shot" && [[ -s "$shot" ]]; then
  echo "== Keyloom ran on the virtual display; a screenshot of it is in $shot"
else
  echo "== Keyloom is built ($program) but could not be shown on a virtual display;"
  echo "   start it on a desktop session: $program"
fi
