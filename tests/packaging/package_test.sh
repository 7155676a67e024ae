#!/usr/bin/env bash
# The Debian package as a user gets it:
#   package_test.sh <project root>
# Builds the package with scripts/package.sh (or takes the one TESSALINE_DEB
# names), checks its control fields and contents, unpacks it with dpkg -x
# into a clean folder, converts the example files with the unpacked
# tessaline-convert in both directions, and starts the unpacked tessaline
# on a virtual screen of its own for a screenshot of the window. The
# unpacked programs run with a bare environment and nothing of the build
# tree: static core, Qt and the fonts from the system.
set -uo pipefail

root=$1
work=$(mktemp -d /tmp/tessaline-package-test.XXXXXX)
xvfb_pid="" program_pid=""

cleanup() {
  for pid in $program_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/shot.png" ] && cp "$work/shot.png" /tmp/tessaline-package-test-failure.png \
    && echo "last screenshot: /tmp/tessaline-package-test-failure.png" >&2
  exit 1
}

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  local tenths=$1; shift
  for ((i = 0; i < tenths; i++)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# --- The package -------------------------------------------------------------
deb=${TESSALINE_DEB:-}
if [ -z "$deb" ]; then
  echo "building the package (scripts/package.sh)"
  TESSALINE_SKIP_SETUP=1 bash "$root/scripts/package.sh" >"$work/package.log" 2>&1 \
    || { tail -40 "$work/package.log"; fail "scripts/package.sh failed"; }
  deb=$(sed -n 's/^package: //p' "$work/package.log" | tail -n 1)
fi
[ -f "$deb" ] || fail "no package at '$deb'"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tessaline ] || fail "package name '$(field Package)'"
version=$(sed -n 's/^project(Tessaline VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
[ "$(field Version)" = "$version" ] || fail "version '$(field Version)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture '$(field Architecture)'"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
depends=", $(field Depends),"
for package in libqt6widgets6 libqt6gui6 libqt6network6 libqt6core6 libexpat1 qt6-qpa-plugins fonts-liberation libc6 libstdc++6; do
  [[ "$depends" =~ [,\ ]"$package"[\ ,] ]] || fail "Depends lacks $package: $depends"
done
[[ ", $(field Recommends)," =~ [,\ ]fonts-wine[\ ,] ]] || fail "Recommends lacks fonts-wine: $(field Recommends)"
# Every dependency must be a package Debian knows (a typo would make the
# package uninstallable).
for package in $(field Depends | tr ',' '\n' | sed 's/(.*)//; s/|.*//' | tr -d ' '); do
  apt-cache show "$package" >/dev/null 2>&1 || dpkg -s "$package" >/dev/null 2>&1 \
    || fail "Depends names $package, which no archive holds"
done

listing=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for path in ./usr/bin/tessaline ./usr/bin/tessaline-convert ./usr/share/applications/tessaline.desktop \
            ./usr/share/applications/tessaline_gpx.desktop ./usr/share/mime/packages/tessaline.xml \
            ./usr/share/icons/hicolor/32x32/apps/tessaline.png \
            ./usr/share/icons/hicolor/256x256/apps/tessaline.png \
            ./usr/share/man/man1/tessaline-convert.1.gz ./usr/share/man/man1/tessaline.1.gz \
            ./usr/share/doc/tessaline/copyright ./usr/share/doc/tessaline/changelog.gz \
            ./usr/share/metainfo/example.tessaline.tessaline.metainfo.xml; do
  grep -qx -- "$path" <<<"$listing" || fail "the package lacks $path"
done
# Nothing of the program's own state or of a build tree in the package.
! grep -E 'ZRB_DB|CMake|\.a$|/include/' <<<"$listing" || fail "stray files in the package"

# Debian's checker: no error; the warnings are printed for the report.
lintian --no-cfg "$deb" >"$work/lintian" 2>&1
! grep -q '^E:' "$work/lintian" || fail "lintian reports errors: $(grep '^E:' "$work/lintian")"
grep '^W:' "$work/lintian" || true

# --- Unpacked into a clean folder ------------------------------------------
unpacked="$work/root"
mkdir "$unpacked"
dpkg -x "$deb" "$unpacked" || fail "dpkg -x failed"
bin="$unpacked/usr/bin" share="$unpacked/usr/share"

for program in "$bin/tessaline" "$bin/tessaline-convert"; do
  # The system's libraries only, found without a search path of the build.
  ldd "$program" >"$work/ldd" 2>&1 || fail "ldd $program: $(cat "$work/ldd")"
  ! grep -q "not found" "$work/ldd" || fail "$program misses libraries: $(grep 'not found' "$work/ldd")"
  ! grep -qE "=> (/work|/home|/tmp|$root)" "$work/ldd" || fail "$program loads a library outside the system"
  ! readelf -d "$program" | grep -qE 'RPATH|RUNPATH' || fail "$program carries a library search path"
  ! ldd "$program" | grep -q tessaline || fail "$program loads a library of the program"
done

desktop="$share/applications/tessaline.desktop"
desktop-file-validate "$desktop" "$share/applications/tessaline_gpx.desktop" || fail "desktop entries do not validate"
entry() { sed -n "s/^$1=//p" "${2:-$desktop}"; }
[ "$(entry Exec)" = "tessaline %F" ] || fail "Exec=$(entry Exec)"
[ "$(entry Icon)" = tessaline ] || fail "Icon=$(entry Icon)"
[ "$(entry Categories)" = "Utility;" ] || fail "Categories=$(entry Categories)"
[ "$(entry Name)" = "Tessaline Pro" ] || fail "Name=$(entry Name)"
[[ "$(entry Comment)" == Convertir* ]] || fail "the comment is not the French one: $(entry Comment)"
# Exec and Icon must find what the package installs.
[ -x "$bin/$(entry Exec | cut -d' ' -f1)" ] || fail "Exec names no installed program"
gpx_desktop="$share/applications/tessaline_gpx.desktop"
[ "$(entry Exec "$gpx_desktop")" = "tessaline --gpx %F" ] || fail "GPX entry: Exec=$(entry Exec "$gpx_desktop")"
[ "$(entry Name "$gpx_desktop")" = "Tessaline Pro (GPX)" ] || fail "GPX entry: Name=$(entry Name "$gpx_desktop")"
[ "$(entry NoDisplay "$gpx_desktop")" = true ] || fail "the GPX entry shows in the menu"

# The file types, as a desktop sees them once the package's triggers have
# run: the shared-mime-info database and the desktop database built from
# the unpacked files alone, then asked through GLib which type each name
# gets and which entry a double-click starts.
desktop_data="$work/desktop-data"
mkdir -p "$desktop_data/mime/packages"
cp -r "$share/applications" "$desktop_data/"
cp "$share/mime/packages/tessaline.xml" "$desktop_data/mime/packages/"
ask_desktop() {
  env -i HOME="$work/desktop-home" PATH="$bin:/usr/bin:/bin" XDG_DATA_HOME="$work/no-data" XDG_CONFIG_HOME="$work/no-config" \
    XDG_DATA_DIRS="$desktop_data:/usr/share" "$@"
}
mkdir -p "$work/named" "$work/desktop-home"
ask_desktop update-mime-database "$desktop_data/mime" >"$work/mime.log" 2>&1 && [ ! -s "$work/mime.log" ] \
  || fail "update-mime-database: $(cat "$work/mime.log")"
ask_desktop update-desktop-database "$desktop_data/applications" || fail "update-desktop-database"
! grep -q 'case-sensitive' "$desktop_data/mime/packages/tessaline.xml" || fail "a file type is case-sensitive"
for type in application/x-zrb-points application/x-vestamar-tracks application/x-vestamar-waypoints; do
  grep -qx "$type text/plain" "$desktop_data/mime/subclasses" || fail "$type is not a kind of text/plain"
done
while read -r type default name; do
  printf 'x\r\n' >"$work/named/$name"
  got=$(ask_desktop gio info -a standard::content-type "$work/named/$name" | sed -n 's/^ *standard::content-type: //p')
  [ "$got" = "$type" ] || fail "$name: the desktop sees $got, not $type"
  apps=$(ask_desktop gio mime "$type")
  first=$(sed -n 's/^Default application for .*: //p' <<<"$apps")
  case $default in
    tessaline.desktop)
      [ "$first" = tessaline.desktop ] || fail "$name: a double-click starts '$first': $apps"
      grep -qx $'\ttessaline_gpx.desktop' <<<"$apps" || fail "$name: no GPX entry under Open with: $apps" ;;
    not-ours)
      [[ "$first" != tessaline* ]] || fail "$name: Tessaline took $type: $apps"
      ! grep -q 'tessaline_gpx' <<<"$apps" || fail "$name: the GPX entry is offered: $apps" ;;
    any)
      ! grep -q 'tessaline_gpx' <<<"$apps" || fail "$name: the GPX entry is offered: $apps" ;;
  esac
done < <(grep -v '^#' "$root/tests/packaging/file_types.txt")

for size in 32 256; do
  icon="$share/icons/hicolor/${size}x${size}/apps/tessaline.png"
  [ "$(identify -format '%m %w %h' "$icon")" = "PNG $size $size" ] || fail "$size px icon: $(identify "$icon")"
  # The sphere fills the middle; the corners stay transparent.
  middle=$(convert "$icon" -crop "1x1+$((size / 2))+$((size / 2))" -format '%[fx:int(255*a)] %[fx:int(255*b)]' info:)
  read -r alpha blue <<<"$middle"
  [ "$alpha" -ge 250 ] && [ "$blue" -ge 100 ] || fail "$size px icon: middle pixel alpha/blue $middle"
  corner=$(convert "$icon" -crop 1x1+0+0 -format '%[fx:int(255*a)]' info:)
  [ "$corner" -le 5 ] || fail "$size px icon: corner alpha $corner"
done

man_page="$share/man/man1/tessaline-convert.1.gz"
zcat "$man_page" | grep -q '^\.TH TESSALINE-CONVERT 1 ' || fail "the man page has no section 1 title"
man_text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man_page" 2>"$work/man.err") \
  || fail "man cannot show the page: $(cat "$work/man.err")"
[ ! -s "$work/man.err" ] || fail "the man page has markup faults: $(cat "$work/man.err")"
for text in "--to-chart" "--to-device" "--quiet" "--help" "--version" "ÉTAT DE SORTIE" \
            "Problème de format: Ce fichier ne peut pas être traité." \
            "Erreur dans le module de conversion ZRB -> Vestamar" \
            "Erreur dans le module de conversion Vestamar -> ZRB"; do
  grep -qF -- "$text" <<<"$man_text" || fail "the man page does not mention '$text'"
done

man_text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$share/man/man1/tessaline.1.gz" 2>"$work/man.err") \
  || fail "man cannot show the page of tessaline: $(cat "$work/man.err")"
[ ! -s "$work/man.err" ] || fail "the man page of tessaline has markup faults: $(cat "$work/man.err")"
grep -qF "tessaline-convert(1)" <<<"$man_text" || fail "the man page of tessaline does not point at tessaline-convert"
for page in "$share"/man/man1/*.1.gz; do
  zcat "$page" | head -n 2 | grep -qF "\"Tessaline Pro ${version%.*}\"" || fail "$page does not carry the version ${version%.*}"
done

# The software-centre entry: valid, in French and English, this version,
# naming the desktop entry the package installs.
metainfo="$share/metainfo/example.tessaline.tessaline.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >"$work/appstream" 2>&1 || fail "metainfo: $(cat "$work/appstream")"
for text in '<name>Tessaline Pro</name>' '<name xml:lang="fr">' '<summary>Convert' '<summary xml:lang="fr">Convertir' \
            "<release version=\"$version\"" '<launchable type="desktop-id">tessaline.desktop</launchable>' \
            '<project_license>MIT</project_license>'; do
  grep -qF "$text" "$metainfo" || fail "metainfo lacks $text"
done
zcat "$share/doc/tessaline/changelog.gz" | head -n 1 | grep -qx "tessaline ($version) unstable; urgency=medium" \
  || fail "changelog: $(zcat "$share/doc/tessaline/changelog.gz" | head -n 1)"

# --- The unpacked tessaline-convert on the examples ------------------------
home="$work/home" data="$work/données"
mkdir -p "$home" "$data"
cp "$root/examples/cote_bretonne.zbx" "$root/examples/iroise_TRK.txt" "$root/examples/iroise_WPT.txt" "$data/"
run_bare() { env -i HOME="$home" PATH=/usr/bin:/bin "$@"; }

(cd "$data" && run_bare "$bin/tessaline-convert" cote_bretonne.zbx iroise_TRK.txt iroise_WPT.txt) \
  >"$work/convert.out" 2>"$work/convert.err" || fail "tessaline-convert failed: $(cat "$work/convert.err")"
[ ! -s "$work/convert.err" ] || fail "tessaline-convert wrote errors: $(cat "$work/convert.err")"
printf '%s\n' "Traitement du fichier cote_bretonne.zbx terminé." "3 traces (12 points), 3 waypoints" \
  "Traitement du fichier iroise_TRK.txt terminé." "3 traces (12 points)" \
  "Traitement du fichier iroise_WPT.txt terminé." "5 waypoints" | cmp -s - "$work/convert.out" \
  || fail "tessaline-convert said: $(cat "$work/convert.out")"
[ "$(grep -c '^T;' "$data/cote_bretonne_TRK.txt")" = 3 ] && [ "$(grep -c '^P;' "$data/cote_bretonne_TRK.txt")" = 12 ] \
  || fail "track file: $(cat -A "$data/cote_bretonne_TRK.txt")"
[ "$(grep -c '^W;' "$data/cote_bretonne_WPT.txt")" = 3 ] || fail "waypoint file: $(cat -A "$data/cote_bretonne_WPT.txt")"
head -n 1 "$data/iroise_TRK.asc" | grep -qx $'48.379000000000000,-4.495000000000000,8.50,"Rade de Brest"\r' \
  || fail "device file from the tracks: $(head -n 1 "$data/iroise_TRK.asc" | cat -A)"
[ "$(grep -c '"' "$data/iroise_TRK.asc")" = "$(grep -c '^P;' "$data/iroise_TRK.txt")" ] \
  || fail "device file from the tracks has the wrong number of points"
[ "$(grep -c '"' "$data/iroise_WPT.asc")" = "$(grep -c '^W;' "$data/iroise_WPT.txt")" ] \
  || fail "device file from the waypoints has the wrong number of points"
# The installed program keeps its staging store in the user's cache folder,
# never beside itself in /usr/bin.
[ -e "$home/.cache/tessaline/ZRB_DB.lock" ] || fail "no lock file in ~/.cache/tessaline: $(ls -a "$home/.cache" 2>&1)"
[ ! -e "$home/.cache/tessaline/ZRB_DB.dat" ] || fail "the staging store was left in the cache"
[ -z "$(ls "$bin" | grep -v '^tessaline\(-convert\)\?$')" ] || fail "files appeared beside the programs: $(ls "$bin")"
# French settings from the user's locale, when the machine has them.
if locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$'; then
  (cd "$data" && run_bare LC_ALL=fr_FR.UTF-8 "$bin/tessaline-convert" -q cote_bretonne.zbx) \
    || fail "tessaline-convert under French settings"
  grep -q '^P;-3.919000000000000;47.870200000000000;4,50;' "$data/cote_bretonne_TRK.txt" \
    || fail "French track file: $(sed -n 2p "$data/cote_bretonne_TRK.txt" | cat -A)"
fi
[ "$(run_bare "$bin/tessaline-convert" --version | head -n 1)" = "tessaline-convert (Tessaline Pro) $version" ] \
  || fail "--version: $(run_bare "$bin/tessaline-convert" --version)"

# --- The unpacked tessaline on a virtual screen ----------------------------
# Xvfb picks a free display itself and writes its number once it accepts
# clients, so parallel test runs never share or steal a display.
Xvfb -displayfd 9 -screen 0 800x600x24 -nolisten tcp 9>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 150 test -s "$work/display" || fail "no virtual display could be started: $(cat "$work/xvfb.log")"
display=":$(head -n 1 "$work/display")"
runtime="$work/runtime"
mkdir -m 700 "$runtime"

(cd "$work" && exec env -i HOME="$home" PATH=/usr/bin:/bin DISPLAY="$display" XDG_RUNTIME_DIR="$runtime" \
  "$bin/tessaline") >"$work/program.out" 2>"$work/program.err" &
program_pid=$!
export DISPLAY="$display"
wait_for 150 xdotool search --onlyvisible --name "Tessaline Pro v4.0" \
  || fail "the window did not appear: $(cat "$work/program.err")"
window=$(xdotool search --onlyvisible --name "Tessaline Pro v4.0" | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"
sleep 0.5
import -window root "$work/shot.png" 2>/dev/null || fail "no screenshot"
# The middle of the window shows its picture, not an empty black screen.
crop="40x40+$((X + WIDTH / 2 - 20))+$((Y + HEIGHT / 2 - 20))"
bright=$(convert "$work/shot.png" -crop "$crop" +repage -format '%[fx:int(1000*maxima)]' info:)
[ "$bright" -ge 200 ] || fail "the middle of the window is black (brightest $bright/1000 in $crop)"
kill -0 "$program_pid" 2>/dev/null || fail "tessaline ended on its own: $(cat "$work/program.err")"
[ -z "$(ls "$bin" | grep -v '^tessaline\(-convert\)\?$')" ] || fail "the window program wrote beside itself: $(ls "$bin")"

echo "package test passed: $(basename "$deb")"
