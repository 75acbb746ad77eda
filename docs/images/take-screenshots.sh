#!/usr/bin/env bash
# Takes the README's pictures of Keyloom's windows on a virtual display:
#
#   bash docs/images/take-screenshots.sh [KEYLOOM_PROGRAM]
#
# (default: build/release/app/keyloom, as scripts/run.sh builds it). Needs
# xdotool and ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/../.."
program=$(realpath "${1:-build/release/app/keyloom}")
out=$PWD/docs/images

# The visible window of `pid` titled "Tervel's Keyloom" that is none of the
# windows given.
new_window() {
  local pid=$1
  shift
  for _ in $(seq 50); do
    for w in $(xdotool search --onlyvisible --pid "$pid" --name "^Tervel's Keyloom" 2>/dev/null); do
      [[ " $* " == *" $w "* ]] || { echo "$w"; return; }
    done
    sleep 0.1
  done
}

shoot() {
  local program=$1 out=$2
  export HOME=$(mktemp -d)
  cd "$out/../.."
  "$program" examples/hello.tkl 2>/dev/null &
  local pid=$!
  local main editor recorder
  main=$(new_window "$pid")
  xdotool mousemove 0 0
  sleep 1
  import -window "$main" "$out/main-window.png"
  # Build, Edit: the editor with a macro typed into it.
  xdotool windowactivate --sync "$main"; sleep 0.3
  xdotool key --clearmodifiers alt+b; sleep 0.5; xdotool key e
  editor=$(new_window "$pid" "$main")
  xdotool windowactivate --sync "$editor"; sleep 0.5
  for line in Press_CTRL "SendText >s" Release_CTRL "Wait >2" "MouseMove >640,480" LClick; do
    xdotool type --delay 20 "$line"
    xdotool key Return
  done
  sleep 0.5
  import -window "$editor" "$out/editor.png"
  # Build, Record: the recorder beside them.
  xdotool windowactivate --sync "$main"; sleep 0.3
  xdotool key --clearmodifiers alt+b; sleep 0.5; xdotool key r
  recorder=$(new_window "$pid" "$main" "$editor")
  sleep 1
  import -window "$recorder" "$out/recorder.png"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  rm -rf "$HOME"
}
export -f new_window shoot
bash scripts/with-display.sh bash -c 'shoot "$@"' _ "$program" "$out"
ls -l "$out"/*.png
