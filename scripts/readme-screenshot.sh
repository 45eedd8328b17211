#!/usr/bin/env bash
# Takes the README's screenshot of the launcher's real window on a virtual
# display (no window manager, so without a frame), with the shipped default
# profiles.
# Usage: scripts/readme-screenshot.sh [build folder] [output.png]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
output=${2:-"$here/docs/launcher-window.png"}

for tool in xvfb-run import; do
  command -v "$tool" >/dev/null || { echo "needs $tool (packages xvfb, xauth, imagemagick)" >&2; exit 1; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 0700 "$scratch/runtime"

XDG_DATA_HOME="$scratch/data" XDG_RUNTIME_DIR="$scratch/runtime" HOME="$scratch" \
xvfb-run --auto-servernum --server-args="-screen 0 640x400x24" bash -c '
  "$1" & launcher=$!
  sleep 2
  import -window root -trim +repage "$2"
  kill -TERM "$launcher"; wait "$launcher"
' screenshot "$build/MirelvaLauncher" "$output"
echo "Saved $output"
