#!/usr/bin/env bash
# Drives SESSIONS full sessions (200 by default) against the simulated device:
# each reads the example files, connects, downloads and updates the firmware,
# with faults drawn at random from the simulator's options. The seed is
# printed first; give it back to repeat a run, with --session I for one
# session of it. Fails on any session whose messages, exit status or saved
# device data differ from what its faults predict, or that outlives its
# time-outs.
# Usage: scripts/soak.sh [SESSIONS] [--seed S] [--session I] [--jobs J]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target diriduzede diriduzede-sim >/dev/null
exec /usr/bin/python3 scripts/soak.py --exe build/diriduzede --sim build/diriduzede-sim \
  --examples examples "$@"
