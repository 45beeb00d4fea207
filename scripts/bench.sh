#!/usr/bin/env bash
# The benchmark: builds the default preset's utility and simulator, then
# measures the transfers on the paced simulator against their line time, the
# utility's CPU, start-up and memory, and the HEX verifier against srec_info.
# Prints one table; see bench/README.md. Takes about two minutes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/deps.sh srecord
echo "Building the utility and the simulator..." >&2
build_log="$(mktemp "${TMPDIR:-/tmp}/dz-bench-build.XXXXXX")"
if ! { cmake --preset default && cmake --build --preset default --target diriduzede diriduzede-sim; } \
    >"$build_log" 2>&1; then
  cat "$build_log" >&2; rm -f "$build_log"; exit 1
fi
rm -f "$build_log"
cc -O2 -Wall -Wextra -o build/measure bench/measure.c
exec python3 bench/bench.py "$root/build"
