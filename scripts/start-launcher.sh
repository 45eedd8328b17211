#!/usr/bin/env bash
# Installs what is missing, builds the launcher and starts it from the build
# folder. Usage: scripts/start-launcher.sh [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}

"$here/scripts/install-dependencies.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --parallel 2 --target MirelvaLauncher
exec "$build/MirelvaLauncher"
