#!/usr/bin/env bash
# Installs what is missing, builds Keyloom and plays the bundled example macro.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh run
cmake --preset release >/dev/null
cmake --build --preset release

player=build/release/app/keyloom-play
echo "== The example macro, as the player would act on it (--dry-run):"
"$player" --dry-run examples/hello.tkl
if [[ -n "${DISPLAY:-}" ]]; then
  echo "== Playing it on $DISPLAY in 3 seconds: focus a text field."
  sleep 3
  "$player" examples/hello.tkl
fi
