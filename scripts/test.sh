#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test tier: unit, x11, gui,
# fault and package (the Debian package built, unpacked and run) under a
# virtual display; wayland under a headless sway, gnome under a headless
# gnome-shell (with and without PipeWire, US and German layouts), mutter
# under plain mutter, kde under a headless KWin (US and German layouts, text
# pasted); the Windows build's unit and windows tiers under Wine (32-bit
# where this machine runs 32-bit programs, else 64-bit;
# KEYLOOM_WINE_ARCH=32|64 chooses); the display tiers again under the
# sanitizers; and each fuzz target for a short while
# (FUZZ_SECONDS, 15).
# A tier that fails does not stop the others. At the end: one line per tier
# and "N passed, N failed, N skipped" over all of them; the exit status is 0
# only when nothing failed.
set -uo pipefail
cd "$(dirname "$0")/.."

logs=$(mktemp -d /tmp/keyloom-tiers.XXXXXX)
trap 'rm -rf "$logs"' EXIT
started=$SECONDS
summary=() passed=0 failed=0 skipped=0

# record NAME PASSED FAILED SKIPPED NOTE
record() {
  passed=$((passed + $2)) failed=$((failed + $3)) skipped=$((skipped + $4))
  summary+=("$(printf '%-13s %4d passed, %3d failed, %2d skipped%s' "$1" "$2" "$3" "$4" "${5:+  ($5)}")")
}

# step NAME COMMAND...: a build step; its failure is the reason the tiers
# that need it cannot run. Returns the command's status.
step() {
  local name=$1 status=0 t0=$SECONDS
  shift
  echo "=== $name"
  "$@" || status=$?
  if ((status == 0)); then
    echo "=== $name: $((SECONDS - t0)) s"
  else
    echo "=== $name failed (status $status)"
  fi
  return "$status"
}

# tier NAME REASON COMMAND...: runs a tier whose output ends the way ctest's
# or scripts/fuzz.sh's does, and records its counts. With a REASON (a build
# it needs failed) it does not run and counts as one failure.
tier() {
  local name=$1 reason=$2 status=0 line total bad
  shift 2
  if [[ -n "$reason" ]]; then
    record "$name" 0 1 0 "did not run: $reason"
    return
  fi
  echo "=== tier $name"
  local t0=$SECONDS
  "$@" 2>&1 | tee "$logs/$name.log"
  status=${PIPESTATUS[0]}
  line=$(grep -aE '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+|^fuzz targets: [0-9]+ passed, [0-9]+ failed' \
           "$logs/$name.log" | tail -n 1)
  if [[ "$line" == fuzz* ]]; then
    read -r total bad < <(sed -E 's/^fuzz targets: ([0-9]+) passed, ([0-9]+) failed.*/\1 \2/' <<<"$line")
    total=$((total + bad))
  elif [[ -n "$line" ]]; then
    read -r bad total < <(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/' <<<"$line")
  else
    record "$name" 0 1 0 "ran no test: status $status, see its log above"
    return
  fi
  # ctest lists the tests that skipped themselves (a missing tool, say).
  local skip
  skip=$(grep -acE '^[[:space:]]*[0-9]+ - .* \((Skipped|Disabled)\)$' "$logs/$name.log")
  local note="$((SECONDS - t0)) s"
  if ((status != 0 && bad == 0)); then
    bad=1 note="$note; status $status with no test failed"
  elif ((total == 0)); then
    bad=1 note="$note; no tests"
  fi
  record "$name" "$((total - bad - skip))" "$bad" "$skip" "$note"
}

reason=
step "packages" bash scripts/deps.sh test || reason="installing packages failed"

# Linux: unit, x11, gui, fault and package.
linux=$reason
[[ -n "$linux" ]] || { step "Linux build (ci preset)" bash -c \
  'cmake --preset ci >/dev/null && cmake --build --preset ci'; } || linux="the build failed"
tier unit "$linux" ctest --preset ci -L '^unit$' --timeout 120
for label in x11 gui; do
  tier "$label" "$linux" bash scripts/with-display.sh ctest --preset ci -L "^$label\$" --timeout 120
done
tier fault "$linux" bash scripts/with-display.sh ctest --preset ci -L '^fault$' -LE '^package$' --timeout 120
tier package "$linux" bash scripts/with-display.sh ctest --preset ci -L '^package$' --timeout 600
# The Wayland backend for wlroots desktops, under a headless sway.
tier wayland "$linux" bash scripts/with-sway.sh ctest --preset ci -L '^wayland$' --timeout 120
# The GNOME backend, the same cases under a headless gnome-shell (the pointer
# put through a screen cast); the contract again without PipeWire (relative
# moves); the text and the contract under a German layout; and the cases
# that need no shell under plain mutter.
tier gnome "$linux" bash scripts/with-gnome.sh ctest --preset ci -L '^gnome$' --timeout 120
tier gnome-relative "$linux" env KEYLOOM_GNOME_PIPEWIRE=0 bash scripts/with-gnome.sh \
  ctest --preset ci -L '^gnome$' -R 'Contract' --timeout 120
tier gnome-de "$linux" env KEYLOOM_GNOME_LAYOUT=de bash scripts/with-gnome.sh \
  ctest --preset ci -L '^gnome$' -R 'TextOfAny|InAProgram|Contract|Activated' --timeout 120
tier mutter "$linux" bash scripts/with-gnome.sh --mutter ctest --preset ci -L '^mutter$' --timeout 120
# The same cases for KDE Plasma under a headless KWin; the text again under a German layout,
# and pasted into programs by a KWin that cannot load keyboard options of ours.
tier kde "$linux" bash scripts/with-kwin.sh ctest --preset ci -L '^kde$' --timeout 120
tier kde-de "$linux" env KEYLOOM_KWIN_LAYOUT=de bash scripts/with-kwin.sh \
  ctest --preset ci -L '^kde$' -R 'Text|Activated|Kwin|Contract' --timeout 120
tier kde-paste "$linux" env KEYLOOM_KWIN_XKB=none bash scripts/with-kwin.sh \
  ctest --preset ci -L '^kde$' -R 'InAProgram' --timeout 120

# Windows: the 32-bit programs always (what Windows users get); the tiers
# with the build this machine's Wine runs.
windows=$reason
arch=
[[ -n "$windows" ]] || arch=$(bash scripts/windows/wine-arch.sh) || windows="no Wine to run"
if [[ -z "$windows" ]]; then
  if [[ "$arch" == 32 ]]; then
    echo "Windows tiers: the 32-bit build under 32-bit Wine"
  else
    echo "Windows tiers: the 64-bit build under 64-bit Wine (${KEYLOOM_WINE_ARCH:+KEYLOOM_WINE_ARCH=64; }the 32-bit programs are built, not run)"
    step "Windows 32-bit programs" env KEYLOOM_WINDOWS_ARCH=32 bash scripts/windows/build.sh --programs ||
      record "win32-build" 0 1 0 "the 32-bit keyloom.exe and keyloom-play.exe did not build"
  fi
  host=$PWD/build/ci/app/keyloom-play
  [[ -x "$host" ]] || host=
  step "Windows $arch-bit build" env KEYLOOM_WINDOWS_ARCH="$arch" HOST_PLAYER="$host" \
    bash scripts/windows/build.sh || windows="the $arch-bit Windows build failed"
fi
for label in unit windows; do
  tier "win$arch-$label" "$windows" env KEYLOOM_WINDOWS_ARCH="$arch" \
    bash scripts/windows/test.sh --no-build "$label"
done

# The sanitizers: every tier but the package, Wayland and GNOME (no compositor).
asan=$reason
[[ -n "$asan" ]] || { step "Sanitizer build (asan preset)" bash -c \
  'cmake --preset asan >/dev/null && cmake --build --preset asan'; } || asan="the build failed"
# What the system's libraries never free is not reported (tests/fault/lsan.supp).
tier asan "$asan" env LSAN_OPTIONS="suppressions=$PWD/tests/fault/lsan.supp" \
  bash scripts/with-display.sh ctest --preset asan -LE '^(package|wayland|gnome|mutter|kde)$' --timeout 300

tier fuzz "$reason" bash scripts/fuzz.sh "${FUZZ_SECONDS:-15}"

echo
echo "=== Summary ($(((SECONDS - started) / 60)) min)"
printf '%s\n' "${summary[@]}"
echo "$passed passed, $failed failed, $skipped skipped"
((failed == 0))
