#!/usr/bin/env bash
# Runs every benchmark program in the given directory; each prints its own
# ratios against the baseline it measures in the same run.
set -euo pipefail
dir=$1
shift || true
for program in "$dir"/quor_*_bench; do
  echo "== $(basename "$program")"
  # Interleaved repetitions keep a drifting machine from favouring one side.
  "$program" --benchmark_min_time=0.2 --benchmark_repetitions=7 --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true "$@"
done
