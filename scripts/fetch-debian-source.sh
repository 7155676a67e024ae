#!/usr/bin/env bash
# Fetches Debian's source package SOURCE into FOLDER and unpacks it with
# Debian's patches applied, for builds that cannot use the system's library
# (the mingw-w64 cross build: Expat, zlib and its minizip). Prints the
# unpacked folder, which holds MARKER.
#   fetch-debian-source.sh SOURCE BINARY FOLDER MARKER
#
# The machine's apt has binary entries only, so this uses a private sources
# list (deb-src lines for the same Debian archives as /etc/apt/sources.list*)
# and private apt state and cache under FOLDER; the system's apt
# configuration is never touched. The version is the installed BINARY
# package's when the archive still serves it, else the newest it does.
# Done once: a folder that already holds the unpacked source is reused.
set -euo pipefail
usage="usage: $0 SOURCE BINARY FOLDER MARKER"
source=${1:?$usage}
binary=${2:?$usage}
folder=${3:?$usage}
marker=${4:?$usage}
mkdir -p "$folder"
folder=$(cd "$folder" && pwd)

existing=$(find "$folder" -maxdepth 1 -type d -name "$source-*" | sort | tail -1)
if [ -n "$existing" ] && [ -f "$existing/$marker" ]; then
  echo "$existing"
  exit 0
fi

apt_dir=$folder/apt
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/state/lists/partial" "$apt_dir/cache/archives/partial"
list=$apt_dir/sources.list.d/debian-src.sources
: >"$list"
# deb822 stanzas (*.sources): every Debian one, as deb-src.
for file in /etc/apt/sources.list.d/*.sources; do
  [ -f "$file" ] || continue
  awk -v RS= -v ORS='\n\n' '/URIs:[^\n]*\/debian/ && /Types:[^\n]*deb/ {
      gsub(/Types:[^\n]*/, "Types: deb-src"); print }' "$file" >>"$list"
done
# One-line entries (*.list): "deb [options] URI suite components".
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$file" ] || continue
  sed -n 's/^[[:space:]]*deb[[:space:]]\(.*\/debian.*\)$/deb-src \1/p' "$file" >>"$apt_dir/sources.list"
done
touch "$apt_dir/sources.list"

apt_options=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
  -o "Dir::State=$apt_dir/state"
  -o "Dir::Cache=$apt_dir/cache"
  -o "Debug::NoLocking=true"
  -o "APT::Sandbox::User=root"
)
echo "fetch-debian-source: apt-get update with a private deb-src list" >&2
apt-get "${apt_options[@]}" -qq update >&2

installed=$(dpkg-query -W -f='${Version}' "$binary" 2>/dev/null || true)
# The installed version first, then the archive's, newest first: a mirror may
# list a version it no longer serves.
mapfile -t versions < <( { [ -n "$installed" ] && echo "$installed";
  apt-cache "${apt_options[@]}" showsrc "$source" | sed -n 's/^Version: //p' | sort -rV; } | awk '!seen[$0]++')
cd "$folder"
fetched=""
for version in "${versions[@]}"; do
  if apt-get "${apt_options[@]}" -qq source "$source=$version" >&2 2>/dev/null; then
    fetched=$version
    break
  fi
  echo "fetch-debian-source: $source $version could not be fetched" >&2
done
[ -n "$fetched" ] || { echo "fetch-debian-source: no version of $source could be fetched" >&2; exit 1; }
echo "fetch-debian-source: $source $fetched (installed: ${installed:-none})" >&2
unpacked=$(find "$folder" -maxdepth 1 -type d -name "$source-*" | sort | tail -1)
[ -n "$unpacked" ] && [ -f "$unpacked/$marker" ] || { echo "fetch-debian-source: no source unpacked" >&2; exit 1; }
echo "$unpacked"
