#!/usr/bin/env bash
# How long a Loop macro takes to end after `keyloom-play --stop`, beside
# SIGINT (the floor: the signal reaches the run directly), on the desktop of
# the session (run under scripts/with-display.sh or scripts/with-sway.sh).
# Prints the median and the worst of ROUNDS rounds each; fails when the
# median of --stop is a second or more.
#   bash bench/stopLatency.sh PLAYER [ROUNDS]
set -uo pipefail
player=$1 rounds=${2:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'Press_Shift\r\nWait >0.05\r\nLoop\r\n' >"$work/loop.tkl"

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# round WAY: ms from the request to the player's end.
round() {
  "$player" "$work/loop.tkl" 2>/dev/null &
  local pid=$! t0
  # The run is on once its socket is there.
  for _ in $(seq 3000); do
    compgen -G "${XDG_RUNTIME_DIR:-/tmp}/keyloom-runs*/$pid.socket" >/dev/null && break
    sleep 0.01
  done
  sleep 0.1
  t0=$(now_ms)
  if [[ $1 == stop ]]; then
    [[ $("$player" --stop) == *"stopped 1 run" ]] || { kill -INT "$pid"; wait "$pid"; return; }
  else
    kill -INT "$pid"
  fi
  wait "$pid"
  echo $(($(now_ms) - t0))
}

status=0
printf '%-8s %10s %10s\n' way "median ms" "worst ms"
for way in stop sigint; do
  mapfile -t times < <(for _ in $(seq "$rounds"); do round "$way"; done | sort -n)
  ((${#times[@]} > 0)) || { echo "$way: no run began" >&2; status=1; continue; }
  median=${times[$((${#times[@]} / 2))]} worst=${times[-1]}
  printf '%-8s %10d %10d\n' "$([[ $way == stop ]] && echo --stop || echo SIGINT)" "$median" "$worst"
  [[ $way == stop ]] && ((median >= 1000)) && status=1
done
exit "$status"
