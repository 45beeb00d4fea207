#!/usr/bin/env bash
# Builds the utility and the device simulator if needed, and starts the
# utility in examples/ with a simulated Diriduzede as COM1.
# Usage: scripts/demo.sh [simulator options]   (scripts/demo.sh --help lists them)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/deps.sh
echo "Building the utility and the simulator (first time: about half a minute)..." >&2
build_log="$(mktemp "${TMPDIR:-/tmp}/dz-demo-build.XXXXXX")"
if ! { cmake --preset default && cmake --build --preset default --target diriduzede diriduzede-sim; } \
    >"$build_log" 2>&1; then
  cat "$build_log" >&2; rm -f "$build_log"; exit 1
fi
rm -f "$build_log"
for a in "$@"; do
  case "$a" in
    --help|-h|--version) exec "$root/build/diriduzede-sim" "$a" ;;
  esac
done
log="$root/build/demo-device.log"
echo "The simulated Diriduzede is COM1; what it receives and sends is logged in build/demo-device.log." >&2
cd "$root/examples"
exec "$root/build/diriduzede-sim" "$@" --com 1 --log "$log" -- "$root/build/diriduzede"
