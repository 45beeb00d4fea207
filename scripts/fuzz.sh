#!/usr/bin/env bash
# Builds the fuzz targets (preset fuzz: clang with libFuzzer and the
# sanitizers) and runs each for SECONDS (60 by default), one line per target
# with its executions, its coverage and its result. Any crash, leak, time-out
# or failed check makes the exit status non-zero; the input that did it is in
# build-fuzz/artifacts/ and the target's whole output in build-fuzz/logs/.
# What a run finds new is kept in build-fuzz/corpus/ for the next run.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/fuzz.sh [SECONDS]" >&2
  exit 2
fi
# libFuzzer comes with the compiler runtime, which clang only recommends.
scripts/deps.sh clang libclang-rt-dev
cmake --preset fuzz >/dev/null
if ! cmake --build --preset fuzz >build-fuzz/build.log 2>&1; then
  cat build-fuzz/build.log >&2
  exit 1
fi
mkdir -p build-fuzz/artifacts build-fuzz/logs

targets=(angles conf rules inhex packet loader shell)
failed=0
printf '%-8s %12s  %-30s %s\n' target executions coverage result
for t in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$t"
  log=build-fuzz/logs/$t.log
  status=0
  # No single input may take 5 seconds or 2 GB.
  build-fuzz/fuzz/fuzz_$t -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$t-" \
    "build-fuzz/corpus/$t" "tests/fuzz/corpus/$t" "tests/fuzz/regressions/$t" >"$log" 2>&1 || status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(sed -n 's/^#[0-9]*.*cov: \([0-9]*\) ft: \([0-9]*\).*/\1 edges, \2 features/p' "$log" | tail -1)
  if [ "$status" -eq 0 ]; then
    result=ok
  else
    failed=1
    kind=$(grep -o -m1 -E 'fuzz check failed|ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer): [a-z -]*|runtime error' "$log" || echo "status $status")
    artifact=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
    result="FAILED: $kind${artifact:+ ($artifact)}"
  fi
  printf '%-8s %12s  %-30s %s\n' "$t" "${execs:-?}" "${cov:-?}" "$result"
done
exit $failed
