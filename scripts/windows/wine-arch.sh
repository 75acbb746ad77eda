#!/usr/bin/env bash
# Prints which Wine the Windows tiers run under on this machine: "32" where
# it runs 32-bit x86 programs (the build Windows users get, under 32-bit
# Wine), else "64" (the 64-bit build under 64-bit Wine). It asks the kernel
# by running a tiny 32-bit program, not by the packages installed: some
# kernels run no 32-bit programs at all. KEYLOOM_WINE_ARCH=32|64 overrides;
# 32 on a machine that cannot run it is an error.
set -euo pipefail

runs_32bit() {
  local program
  program=$(mktemp)
  # A complete 32-bit x86 program: one loadable segment whose code is
  # exit(0) through int 0x80 (xor ebx,ebx; xor eax,eax; inc eax; int 0x80).
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'\
'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'\
'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'\
'\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'\
'\x00\x80\x04\x08\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00'\
'\x00\x10\x00\x00\x31\xdb\x31\xc0\x40\xcd\x80' >"$program"
  chmod +x "$program"
  local status=0
  "$program" 2>/dev/null || status=$?
  rm -f "$program"
  return "$status"
}

case "${KEYLOOM_WINE_ARCH:-}" in
  64) echo 64 ;;
  32)
    runs_32bit || { echo "KEYLOOM_WINE_ARCH=32: this machine runs no 32-bit programs" >&2; exit 1; }
    echo 32 ;;
  "") if runs_32bit; then echo 32; else echo 64; fi ;;
  *) echo "KEYLOOM_WINE_ARCH must be 32 or 64, not '$KEYLOOM_WINE_ARCH'" >&2; exit 2 ;;
esac
