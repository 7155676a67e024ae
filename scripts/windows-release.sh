#!/usr/bin/env bash
# Builds the two Windows release files with mingw-w64 and CPack:
#   windows-release.sh <output folder>
#   - tessaline-<version>-win64-setup.exe, the NSIS installer, from a build
#     configured for installation (staging store in %LOCALAPPDATA%\Tessaline);
#   - tessaline-<version>-win64.zip, to run without installing, from a
#     portable build (staging store beside the programs when possible).
# The rule is compiled into the programs, hence two builds: build-mingw-setup
# and build-mingw-zip at the top. TESSALINE_WINDOWS_ICON may name an .ico
# for the installer. Prints the path of each file on a line "package: <path>".
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
output=$1
jobs=$(nproc 2>/dev/null || echo 2)
mkdir -p "$output"

build_package() {
  local folder=$1 layout=$2 generator=$3
  cmake -S "$root" -B "$folder" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DTESSALINE_WERROR=ON -DTESSALINE_INSTALLED_LAYOUT="$layout" \
    -DTESSALINE_WINDOWS_ICON="${TESSALINE_WINDOWS_ICON:-}" \
    -DTESSALINE_BUILD_GUI=ON -DTESSALINE_BUILD_TESTS=OFF -DTESSALINE_BUILD_BENCH=OFF \
    -DTESSALINE_SANITIZE=OFF >/dev/null
  cmake --build "$folder" -j "$jobs" >/dev/null
  rm -rf "$folder/_CPack_Packages" "$folder"/tessaline-*-win64*
  (cd "$folder" && cpack -G "$generator" >/dev/null)
}

build_package "$root/build-mingw-setup" ON NSIS
build_package "$root/build-mingw-zip" OFF ZIP
for file in "$root"/build-mingw-setup/tessaline-*-win64-setup.exe "$root"/build-mingw-zip/tessaline-*-win64.zip; do
  cp "$file" "$output/"
  echo "package: $output/$(basename "$file")"
done
