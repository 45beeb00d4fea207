#!/usr/bin/env bash
# Cross-builds diriduzede.exe and runs the end-to-end transcripts on it under
# Wine: the offline ones as they are, the device ones against the simulator,
# whose pty becomes COM1 of a fresh Wine prefix.
# Usage: scripts/test-windows.sh [transcript...]   (default: all of tests/)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
given=()
for t in "$@"; do given+=("$(realpath "$t")"); done
cd "$root"
scripts/deps.sh g++-mingw-w64-x86-64 wine wine64

log="$(mktemp "${TMPDIR:-/tmp}/dz-windows-build.XXXXXX")"
if ! cmake --workflow --preset windows >"$log" 2>&1; then
  cat "$log"; rm -f "$log"; exit 1
fi
exe="$root/build-windows/diriduzede.exe"
# The simulator is a Linux program: it comes from the default build.
if ! { cmake --preset default && cmake --build --preset default --target diriduzede-sim; } >"$log" 2>&1; then
  cat "$log"; rm -f "$log"; exit 1
fi
sim="$root/build/diriduzede-sim"
rm -f "$log"

# One fresh prefix for the whole run, its server kept up between the runs
# (the first start of a prefix takes seconds, later ones a fraction of one).
export WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/dz-wine.XXXXXX")"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko set-up questions
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  timeout 10 wineserver -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
wineserver -p >/dev/null 2>&1
if ! timeout 180 wineboot -i >/dev/null 2>&1; then
  echo "Wine did not set up its prefix within 180 s" >&2
  exit 1
fi

if [ ${#given[@]} -eq 0 ]; then
  mapfile -t transcripts < <(find tests -name '*.t' | sort)
else
  transcripts=("${given[@]}")
fi
failed=()
passed=0
skipped=0
for t in "${transcripts[@]}"; do
  extra=()
  if grep -q '^--- sim' "$t"; then
    extra=(--sim "$sim" --com-link "$WINEPREFIX/dosdevices/com1")
  fi
  printf '%s: ' "$t"
  status=0
  python3 tests/transcript.py --exe "wine $(printf %q "$exe")" --platform windows --crlf \
    --examples examples "${extra[@]}" "$t" || status=$?
  case $status in
    0) passed=$((passed + 1)) ;;
    77) skipped=$((skipped + 1)) ;;
    *) failed+=("$t") ;;
  esac
done
# The downloaded images, byte for byte, from the Windows build.
if [ ${#given[@]} -eq 0 ]; then
  printf 'tests/download/images_test.py: '
  if python3 tests/download/images_test.py --exe "wine $(printf %q "$exe")" --sim "$sim" \
      --examples examples --com-link "$WINEPREFIX/dosdevices/com1"; then
    passed=$((passed + 1))
  else
    failed+=(tests/download/images_test.py)
  fi
fi
[ ${#failed[@]} -eq 0 ] || echo "Failed under Wine: ${failed[*]}" >&2
echo "wine: $passed passed, ${#failed[@]} failed, $skipped skipped"
[ ${#failed[@]} -eq 0 ]
