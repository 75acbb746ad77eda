#!/usr/bin/env bash
# The stop key under Wine: a Pause pressed on the (virtual) keyboard ends a
# looping player run, which exits 0 with nothing held; the player's own
# Press_Pause entries do not stop it.
#   stopKey.sh PLAYER.exe PROBE.exe WORKDIR      (on a display, with wine)
set -euo pipefail
player=$1 probe=$2 work=$3
mkdir -p "$work"
printf 'Press_CTRL\r\nPress_Pause\r\nPress_Tab\r\nWait >1\r\nLoop\r\n' >"$work/loop.tkl"

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

# The probe window takes the keyboard focus: X key events then reach Wine.
mkfifo "$work/probe.in" 2>/dev/null || true
wine "$probe" "Stop Key Probe" <"$work/probe.in" >"$work/probe.out" 2>/dev/null &
pids+=($!)
exec 3>"$work/probe.in"
for _ in $(seq 300); do grep -q '^ready ' "$work/probe.out" 2>/dev/null && break; sleep 0.1; done
grep -q '^ready ' "$work/probe.out" || { echo "the probe window never got the focus"; exit 1; }

wine "$player" "$work/loop.tkl" 2>"$work/player.err" &
player_pid=$!
pids+=($player_pid)
# Two passes have pressed Pause themselves and the run goes on.
pauses() { grep -c '^KeyPress keycode=9 ' "$work/probe.out"; }
for _ in $(seq 300); do (( $(pauses) >= 2 )) && break; sleep 0.1; done
(( $(pauses) >= 2 )) || { echo "the player did not run"; exit 1; }
kill -0 "$player_pid" || { echo "the player ended on its own Pause key"; exit 1; }

xdotool key Pause
for _ in $(seq 200); do kill -0 "$player_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$player_pid" 2>/dev/null; then
  echo "the player did not stop on the Pause key"
  exit 1
fi
wait "$player_pid" && status=0 || status=$?
[[ $status -eq 0 ]] || { echo "the player exited with $status"; cat "$work/player.err"; exit 1; }
grep -q '^KeyRelease keycode=17 ' "$work/probe.out" || { echo "Ctrl was left down"; exit 1; }
echo "stopped by Pause, exit 0, Ctrl released"
