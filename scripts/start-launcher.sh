#!/usr/bin/env bash
# Installs what is missing, builds the launcher and starts it from the build
# folder. Usage: scripts/start-launcher.sh [build folder]
#
# On a machine without a display (neither DISPLAY nor WAYLAND_DISPLAY set) it
# starts the launcher on a virtual display instead, saves a screenshot of that
# screen as <build folder>/launcher-screen.png, closes the window as a user
# would (so the launcher saves) and ends. Either way the launcher uses your own
# Launcher.ini.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}

"$here/scripts/install-dependencies.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The stand-in emulator too, unless the build was told to keep a real one.
targets=(MirelvaLauncher)
grep -q '^MIRELVA_BUILD_STANDIN_EMULATOR:BOOL=ON' "$build/CMakeCache.txt" && targets+=(standin_emulator)
cmake --build "$build" --parallel 2 --target "${targets[@]}"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting the launcher on a virtual display to take a screenshot."
  exec "$here/scripts/screenshot.sh" --user-dirs "$build" "$build/launcher-screen.png"
fi
exec "$build/MirelvaLauncher"
