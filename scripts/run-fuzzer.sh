#!/usr/bin/env bash
# Builds the configuration reader's libFuzzer target with clang in a build
# folder of its own and runs it for the given number of seconds (default 60).
# Exits non-zero when the fuzzer finds a crash, a leak or a broken property;
# the input that did it is left in <build folder>/artifacts/.
# Usage: scripts/run-fuzzer.sh [seconds] [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${2:-"$here/build-fuzz"}

"$here/scripts/install-dependencies.sh"
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMIRELVA_WARNINGS_AS_ERRORS=ON -DMIRELVA_BUILD_FUZZERS=ON \
  -DMIRELVA_BUILD_TESTS=OFF -DMIRELVA_BUILD_BENCHMARKS=OFF
cmake --build "$build" --parallel 2 --target fuzz_config

# New inputs go to a working corpus in the build folder; the seeds stay as they are.
corpus="$build/corpus"
mkdir -p "$corpus" "$build/artifacts"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
"$build/fuzz/fuzz_config" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$build/artifacts/" \
  "$corpus" "$here/fuzz/corpus" "$here/tests/data"
