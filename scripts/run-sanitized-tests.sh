#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer in a build folder of its own and runs it; any
# finding fails the test that made it.
# Usage: scripts/run-sanitized-tests.sh [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build-sanitize"}

"$here/scripts/install-dependencies.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRELVA_WARNINGS_AS_ERRORS=ON \
  -DMIRELVA_SANITIZE=ON -DMIRELVA_BUILD_BENCHMARKS=OFF
cmake --build "$build" --parallel 2

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j2
