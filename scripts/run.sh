#!/usr/bin/env bash
# Installs what is missing, builds Keyloom and starts its main window.
#
# Without a usable display it starts a virtual one (Xvfb with openbox), runs
# Keyloom there with examples/hello.tkl typed into a text window beside it,
# writes a screenshot of the screen and says where it is (KEYLOOM_SCREENSHOT
# chooses the file; default: build/keyloom-screenshot.png).
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
macro="$PWD/examples/hello.tkl"
echo "== No display here: starting Keyloom on a virtual one (Xvfb + openbox)"
# Keyloom with examples/hello.tkl loaded, a text window beside it, Run
# pressed: the macro types into the text window, then the screenshot.
show() {
  local program=$1 shot=$2 macro=$3
  # A home of its own: a copy running elsewhere does not count as this one.
  HOME=$(mktemp -d)
  export HOME
  "$program" "$macro" &
  local pid=$! main= text=
  for _ in $(seq 100); do
    main=$(xdotool search --onlyvisible --pid "$pid" --name "^Tervel's Keyloom\$" 2>/dev/null | head -n1) || true
    [[ -n "$main" ]] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [[ -n "$main" ]]; then
    # The window's place and size; the Run button is at 152,16 (49 by 49)
    # of the area below the menu bar, which is 260 high.
    eval "$(xdotool getwindowgeometry --shell "$main")"
    local left=$X top=$Y width=$WIDTH height=$HEIGHT
    # A terminal that shows each line it is given, once.
    xterm -T "Text window" -geometry 48x14+$((left + width + 16))+"$top" \
      -e sh -c 'stty -echo; cat' 2>/dev/null &
    local term=$!
    for _ in $(seq 100); do
      text=$(xdotool search --onlyvisible --pid "$term" 2>/dev/null | head -n1) || true
      [[ -n "$text" ]] && break
      sleep 0.1
    done
    sleep 0.5
    # Run, then the text window takes the focus while the macro's first
    # Wait runs.
    xdotool mousemove --sync $((left + 176)) $((top + height - 260 + 40)) click 1
    [[ -n "$text" ]] && xdotool windowactivate --sync "$text" 2>/dev/null
    sleep 2
  fi
  import -window root "$shot"
  kill "$pid" ${term:-} 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  rm -rf "$HOME"
}
export -f show
if bash scripts/with-display.sh bash -c 'show "$@"' _ "$program" "$shot" "$macro" && [[ -s "$shot" ]]; then
  echo "== Keyloom ran on the virtual display; a screenshot of it is in $shot"
else
  echo "== Keyloom is built ($program) but could not be shown on a virtual display;"
  echo "   start it on a desktop session: $program"
fi
