#!/usr/bin/env bash
# Renders the Windows window's sphere picture and icon from the Qt window's
# artwork into src/shell/win32/artwork/, where they are committed: the
# Windows build has no Qt to paint them. Run after changing the artwork.
#   render-windows-artwork.sh [build folder]   (default: build at the top)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-$root/build}
cmake -S "$root" -B "$folder" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$folder" --target tessaline_windows_artwork -j2
mkdir -p "$root/src/shell/win32/artwork"
"$folder/src/shell/qt/tessaline_windows_artwork" "$root/src/shell/win32/artwork"
ls -l "$root/src/shell/win32/artwork"
