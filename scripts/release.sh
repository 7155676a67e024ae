#!/usr/bin/env bash
# Builds every release file into dist/ (emptied first) and prints their paths:
#   tessaline-<version>-win64-setup.exe   the Windows installer
#   tessaline-<version>-win64.zip         the Windows programs without installing
#   tessaline_<version>_amd64.deb         the Debian package
#   SHA256SUMS                            the checksums of the three
# The version is the one of project() in CMakeLists.txt. The release date in
# the package's changelog and software-centre entry is the date of the last
# commit, so that the same commit gives the same release.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist="$root/dist"
if [ "${TESSALINE_SKIP_SETUP:-0}" != 1 ]; then bash "$root/scripts/setup.sh"; fi
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && epoch=$(git -C "$root" log -1 --format=%ct 2>/dev/null); then
  export SOURCE_DATE_EPOCH=$epoch
fi
rm -rf "$dist"
mkdir -p "$dist"

echo "== Debian package"
deb=$(TESSALINE_SKIP_SETUP=1 bash "$root/scripts/package.sh" "$root/build-package" | sed -n 's/^package: //p')
cp "$deb" "$dist/"

# The Windows icon from the sizes the package build rendered from the
# program's artwork.
icons="$root/build-package/packaging/icons"
icon="$root/build-package/packaging/tessaline.ico"
convert "$icons"/{16x16,32x32,48x48,256x256}/apps/tessaline.png "$icon"

echo "== Windows installer and zip"
TESSALINE_WINDOWS_ICON="$icon" bash "$root/scripts/windows-release.sh" "$dist" >/dev/null

(cd "$dist" && sha256sum -- *-win64-setup.exe *-win64.zip *.deb >SHA256SUMS && sha256sum --quiet -c SHA256SUMS)
echo "== Release files"
for file in "$dist"/*-win64-setup.exe "$dist"/*-win64.zip "$dist"/*.deb "$dist/SHA256SUMS"; do
  echo "$file"
done
