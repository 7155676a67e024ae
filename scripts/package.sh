#!/usr/bin/env bash
# Builds the Debian package: package.sh [build folder] (default build-package
# at the top). The build is configured for installation, so the installed
# programs keep their staging store in the user's cache folder. Prints the
# path of the .deb on its last line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-$root/build-package}
jobs=$(nproc 2>/dev/null || echo 2)
if [ "${TESSALINE_SKIP_SETUP:-0}" != 1 ]; then bash "$root/scripts/setup.sh"; fi

cmake -S "$root" -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALINE_WERROR=ON -DCMAKE_INSTALL_PREFIX=/usr \
  -DTESSALINE_INSTALLED_LAYOUT=ON -DTESSALINE_BUILD_GUI=ON -DTESSALINE_BUILD_TESTS=OFF \
  -DTESSALINE_BUILD_BENCH=OFF -DTESSALINE_SANITIZE=OFF >/dev/null
cmake --build "$folder" -j "$jobs"
rm -f "$folder"/tessaline_*.deb
(cd "$folder" && cpack -G DEB >/dev/null)
deb=$(ls "$folder"/tessaline_*.deb)
echo "package: $deb"
