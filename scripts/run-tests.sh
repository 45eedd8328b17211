#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs
# the whole test suite. Usage: scripts/run-tests.sh [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}

"$here/scripts/install-dependencies.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRELVA_WARNINGS_AS_ERRORS=ON
cmake --build "$build" --parallel 2
ctest --test-dir "$build" --output-on-failure -j2
