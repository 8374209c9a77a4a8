#!/usr/bin/env bash
# run.sh TARGET SECONDS [BUILD_DIR]: builds the fuzz target TARGET (for
# example pe_resources_fuzz) with clang in BUILD_DIR (default build/fuzz) and
# runs it for SECONDS seconds. The working corpus grows in
# BUILD_DIR/fuzz/corpus/TARGET, starting from the written seeds; crashes and
# other findings land in BUILD_DIR/fuzz/artifacts/TARGET/.
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 TARGET SECONDS [BUILD_DIR]" >&2
  exit 2
fi
target=$1 seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
build=${3:-$root/build/fuzz}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQUOR_BUILD_FUZZ=ON -DQUOR_BUILD_TESTS=OFF -DQUOR_BUILD_TOOLS=OFF
fi
cmake --build "$build" --target "$target"
corpus=$build/fuzz/corpus/$target
artifacts=$build/fuzz/artifacts/$target
mkdir -p "$corpus" "$artifacts"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$artifacts/" -print_final_stats=1 "$corpus" "$build/fuzz/seeds/$target"
