#!/usr/bin/env bash
# Runs a command with a fresh Wine prefix of its own (never cached), Wine's
# debug output off and no crash dialog, and takes Wine down afterwards: a
# stray Wine process cannot outlive the run. Use on a display
# (scripts/with-display.sh). With KEYLOOM_WINDOWS_ARCH=64, "wine" in the
# command is 64-bit Wine, also where 32-bit Wine is installed.
set -euo pipefail

WINEPREFIX=$(mktemp -d /tmp/keyloom-wine.XXXXXX)
shims=$(mktemp -d /tmp/keyloom-wine-bin.XXXXXX)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX" "$shims"
}
trap cleanup EXIT

if [[ "${KEYLOOM_WINDOWS_ARCH:-32}" == 64 ]]; then
  # Debian's "wine" starts 32-bit Wine whenever it is installed.
  export WINELOADER=/usr/lib/wine/wine64
  printf '#!/bin/sh\nexec %s "$@"\n' "$WINELOADER" >"$shims/wine"
  chmod +x "$shims/wine"
  PATH=$shims:$PATH
fi

# The server stays up between the test programs: each starts in a fraction
# of a second.
wineserver -p
wine wineboot -i >/dev/null 2>&1
# A crashing program ends; no dialog waits for a click.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
# The RPC service, started now: started on demand later by the desktop
# process it can fail after a 10 s wait that holds up each new window.
wine net start rpcss >/dev/null 2>&1 || true
"$@"
