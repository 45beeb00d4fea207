#!/usr/bin/env bash
# Builds the utility if needed and starts it, with the sample files at hand.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target diriduzede >/dev/null
cd "$root/examples"
exec "$root/build/diriduzede"
