#!/usr/bin/env bash
# Renders the launcher's icon files from icons/org.kestrune.MirelvaLauncher.svg:
#   icons/hicolor/<N>x<N>/apps/org.kestrune.MirelvaLauncher.png  for N = 16 24 32 48 64 128 256
#   icons/MirelvaLauncher.ico  (16, 32, 48, 64, 128 and 256 px; the 256 px image stored as PNG)
# The results are committed, so a build needs none of these tools. Run it again
# after changing the SVG. Installs rsvg-convert (librsvg2-bin) and icotool
# (icoutils) with apt-get when they are missing. Usage: scripts/make-icons.sh
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
icons="$here/icons"
svg="$icons/org.kestrune.MirelvaLauncher.svg"

need=()
command -v rsvg-convert >/dev/null || need+=(librsvg2-bin)
command -v icotool >/dev/null || need+=(icoutils)
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${need[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

for size in 16 24 32 48 64 128 256; do
  dir="$icons/hicolor/${size}x${size}/apps"
  mkdir -p "$dir"
  rsvg-convert --width "$size" --height "$size" --format png \
    --output "$dir/org.kestrune.MirelvaLauncher.png" "$svg"
done

png() { echo "$icons/hicolor/$1x$1/apps/org.kestrune.MirelvaLauncher.png"; }
icotool --create --output "$icons/MirelvaLauncher.ico" \
  "$(png 16)" "$(png 32)" "$(png 48)" "$(png 64)" "$(png 128)" --raw="$(png 256)"

echo "Wrote $icons/hicolor/*/apps/org.kestrune.MirelvaLauncher.png and $icons/MirelvaLauncher.ico"
