#!/usr/bin/env bash
# The Windows release as a user gets it, under Wine:
#   windows_installer_test.sh <project root>
# Builds the installer and the zip (scripts/windows-release.sh), installs
# silently into a fresh Wine prefix, checks the files (windows/
# installed_files.txt), the Start-menu folder, the uninstall entry
# (windows/uninstall_entry.txt), the file types and verbs (windows/
# file_type_keys.txt) and the Send to shortcuts, converts a copied example
# with the installed tessaline-convert.exe and two more through the
# installed window (wine start, as a double-click), installs again over it,
# uninstalls silently and checks that only the user's files and the keys of
# other programs are left; installs and uninstalls once more where another
# program owns .zbx; then converts a copied example with the zip's program.
# Prints the time of each stage.
set -uo pipefail
root=$1
here=$(cd "$(dirname "$0")" && pwd)
version=$(sed -n 's/^project(Tessaline VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
work="$root/build-mingw-setup/installer-test"
started=$(date +%s) stage_started=$(date +%s)

wine=""
for candidate in wine wine64 /usr/lib/wine/wine64; do
  if command -v "$candidate" >/dev/null; then wine=$(command -v "$candidate"); break; fi
done
[ -n "$wine" ] || { echo "not run: Wine is not installed"; exit 0; }
wineserver="$(dirname "$(readlink -f "$wine")")/wineserver"
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

fail() { echo "FAIL: $*" >&2; exit 1; }
stage() { local now; now=$(date +%s); echo "   $1 ($((now - stage_started)) s)"; stage_started=$now; }

# --- The release files --------------------------------------------------------
rm -rf "$work" && mkdir -p "$work/dist"
bash "$root/scripts/windows-release.sh" "$work/dist" >"$work/release.log" 2>&1 \
  || { tail -30 "$work/release.log"; fail "scripts/windows-release.sh failed"; }
setup="$work/dist/tessaline-$version-win64-setup.exe" zip="$work/dist/tessaline-$version-win64.zip"
[ -f "$setup" ] && [ -f "$zip" ] || fail "missing release files: $(ls "$work/dist")"
file -b "$setup" | grep -q '^PE32+ executable (GUI) x86-64' || fail "the installer is not 64-bit: $(file -b "$setup")"
stage "built the installer and the zip"

# --- A fresh prefix -------------------------------------------------------------
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe,mscoree,mshtml=d" LC_ALL=C.UTF-8
xvfb_pid=""
trap '"$wineserver" -k 2>/dev/null; [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; true' EXIT
timeout 300 "$wine" wineboot --init >/dev/null 2>&1 || fail "wineboot"
"$wineserver" -w
drive="$WINEPREFIX/drive_c"
local_app_data="$drive/users/$(id -un)/AppData/Local"
folder="$drive/Program Files/Tessaline"
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Tessaline Pro"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
send_to="$drive/users/$(id -un)/AppData/Roaming/Microsoft/Windows/SendTo"
exe='C:\Program Files\Tessaline\bin\tessaline.exe'
classes='HKLM\Software\Classes'
stage "prepared a fresh Wine prefix"

run_silently() { timeout 300 "$wine" "$@" >/dev/null 2>&1 && "$wineserver" -w; }
# A query of Wine's registry now and then fails on a value that is there
# (seen after a silent install, on a loaded machine): asked up to three
# times before it counts as missing.
reg_query() {
  local try
  for try in 1 2 3; do
    "$wine" reg query "$@" 2>/dev/null && return 0
    sleep 1
  done
  return 1
}
value_of() { reg_query "$key\\Tessaline" /v "$1" | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
# class_value <key under HKLM\Software\Classes> <value name, "" for the
# default>: its data; fails when the value does not exist.
class_value() {
  local out
  if [ -z "$2" ]; then out=$(reg_query "$classes\\$1" /ve); else
    out=$(reg_query "$classes\\$1" /v "$2"); fi || return 1
  out=$(tr -d '\r' <<<"$out" | sed -n 's/^    .*    REG_[A-Z_]*    \{0,1\}//p' | head -n 1)
  printf '%s' "$out"
}
class_key_exists() { "$wine" reg query "$classes\\$1" >/dev/null 2>&1; }
set_class_value() { "$wine" reg add "$classes\\$1" "${@:2}" /f >/dev/null 2>&1 || fail "reg add $1"; }

# The keys and verbs of windows/file_type_keys.txt, and the two Send to
# shortcuts (the second one writes GPX). $1: what .zbx defaults to.
check_file_types() {
  local when=$1 zbx_default=$2 key name data got
  while IFS='|' read -r key name data; do
    [ "$key|$name" = ".zbx|" ] && data=$zbx_default
    got=$(class_value "$key" "$name") || fail "$when: no value '$name' in $key"
    [ "$got" = "${data//@EXE@/$exe}" ] || fail "$when: $key '$name' is '$got'"
  done < <(grep -v '^#' "$here/windows/file_type_keys.txt")
  [ -f "$send_to/Tessaline Pro.lnk" ] && [ -f "$send_to/Tessaline Pro (GPX).lnk" ] \
    || fail "$when: Send to holds $(ls "$send_to")"
  strings -el "$send_to/Tessaline Pro (GPX).lnk" | grep -qx -- --gpx || fail "$when: the GPX shortcut does not pass --gpx"
  ! strings -el "$send_to/Tessaline Pro.lnk" | grep -q -- --gpx || fail "$when: the plain shortcut passes --gpx"
}

# None of the installer's keys or shortcuts is left.
check_file_types_removed() {
  local when=$1 key
  while IFS='|' read -r key _; do
    [[ "$key" == .zbx || "$key" == '.zbx\OpenWithProgids' ]] && continue  # may be another program's
    ! class_key_exists "$key" || fail "$when: $key is left"
  done < <(grep -v '^#' "$here/windows/file_type_keys.txt")
  ! "$wine" reg query "$classes\\.zbx\\OpenWithProgids" /v Tessaline.ZrbPoints >/dev/null 2>&1 \
    || fail "$when: Tessaline is left in the Open with list of .zbx"
  [ -z "$(ls "$send_to" | grep -i tessaline)" ] || fail "$when: Send to still holds $(ls "$send_to")"
}

check_installed() {
  local when=$1 path
  while read -r path; do
    [ -f "$folder/$path" ] || fail "$when: the installer did not install $path: $(cd "$folder" && find . -type f)"
  done < <(grep -v '^#' "$here/windows/installed_files.txt")
  # One folder whatever the version, one entry named after the program.
  [ "$(ls "$drive/Program Files" | grep -ci tessaline)" = 1 ] || fail "$when: folders $(ls "$drive/Program Files")"
  [ "$("$wine" reg query "$key" 2>/dev/null | grep -ci tessaline)" = 1 ] \
    || fail "$when: uninstall entries $("$wine" reg query "$key" | grep -i tessaline)"
  local name pattern value
  while read -r name pattern; do
    value=$(value_of "$name")
    [[ "$value" =~ ^${pattern//@VERSION@/$version}$ ]] || fail "$when: uninstall entry $name is '$value'"
  done < <(grep -v '^#' "$here/windows/uninstall_entry.txt")
  value=$(value_of DisplayIcon)
  value=${value#C:\\}
  [ -f "$drive/${value//\\//}" ] || fail "$when: the entry's icon $(value_of DisplayIcon) was not installed"
  [ -f "$menu/Désinstaller.lnk" ] || fail "$when: no Start-menu folder: $(ls "$(dirname "$menu")")"
  # The window program's shortcut comes with the window program.
  if [ -f "$folder/bin/tessaline.exe" ]; then
    [ -f "$menu/Tessaline Pro.lnk" ] || fail "$when: no shortcut Tessaline Pro: $(ls "$menu")"
  fi
}

# Text files belong to Notepad, as on Windows; the installer only adds
# itself to their Open with list.
set_class_value .txt /ve /d txtfile

# --- Install, convert a copy, install again -----------------------------------
run_silently "$setup" /S || fail "the installer failed"
check_installed "first install"
check_file_types "first install" Tessaline.ZrbPoints
file -b "$folder/Uninstall.exe" | grep -q '^PE32+ executable' || fail "the uninstaller is not 64-bit"
stage "installed silently and checked files, entry and Start menu"

mkdir -p "$drive/données"
cp "$folder/examples/cote_bretonne.zbx" "$drive/données/Île.zbx"
out=$(cd "$drive/données" && timeout 120 "$wine" 'C:\Program Files\Tessaline\bin\tessaline-convert.exe' Île.zbx 2>&1)
[ "$(head -n 1 <<<"${out//$'\r'/}")" = "Traitement du fichier Île.zbx terminé." ] || fail "installed tessaline-convert.exe said: $out"
[ "$(grep -c '^P;' "$drive/données/Île_TRK.txt")" = 12 ] || fail "track file: $(cat "$drive/données/Île_TRK.txt")"
# The installed program keeps its staging store in %LOCALAPPDATA%\Tessaline.
[ -f "$local_app_data/Tessaline/ZRB_DB.lock" ] || fail "no lock in %LOCALAPPDATA%\\Tessaline"
[ -z "$(ls "$folder/bin" | grep -v '\.exe$')" ] || fail "files beside the installed programs: $(ls "$folder/bin")"
out=$(timeout 60 "$wine" 'C:\Program Files\Tessaline\bin\tessaline-convert.exe' --version 2>&1)
[[ "${out//$'\r'/}" == *" $version" ]] || fail "--version said: $out"
stage "converted a copied example with the installed program"

# --- Opened from the file manager ---------------------------------------------
# "wine start /unix" asks for the open verb of .zbx, as a double-click does:
# the installed window converts the file, and a second file goes to that
# same window. A missing association makes Wine wait on a dialog, hence
# the time limits.
open_with_window() {
  local display_file="$work/display" windows
  : >"$display_file"
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$display_file" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for ((i = 0; i < 150; i++)); do grep -q '[0-9]' "$display_file" && break; sleep 0.1; done
  grep -q '[0-9]' "$display_file" || fail "the virtual display did not start"
  export DISPLAY=":$(tr -dc 0-9 <"$display_file")"
  cp "$folder/examples/cote_bretonne.zbx" "$drive/données/Ouvert.zbx"
  cp "$folder/examples/cote_bretonne.zbx" "$drive/données/Second.zbx"
  timeout 60 "$wine" start /unix "$drive/données/Ouvert.zbx" >/dev/null 2>&1 || fail "wine start on a .zbx file"
  for ((i = 0; i < 600; i++)); do [ -s "$drive/données/Ouvert_WPT.txt" ] && break; sleep 0.1; done
  [ "$(grep -c '^P;' "$drive/données/Ouvert_TRK.txt" 2>/dev/null)" = 12 ] \
    || fail "the installed window did not convert the opened file: $(ls "$drive/données")"
  timeout 60 "$wine" start /unix "$drive/données/Second.zbx" >/dev/null 2>&1 || fail "wine start on a second .zbx file"
  for ((i = 0; i < 600; i++)); do [ -s "$drive/données/Second_WPT.txt" ] && break; sleep 0.1; done
  [ -s "$drive/données/Second_WPT.txt" ] || fail "the second file was not converted: $(ls "$drive/données")"
  windows=$(xdotool search --onlyvisible --name "^Tessaline Pro v4.0$" 2>/dev/null | wc -l)
  [ "$windows" = 1 ] || fail "$windows windows after opening two files"
  # Closed as the windowing system closes it; the next install replaces it.
  timeout 60 "$wine" taskkill /im tessaline.exe >/dev/null 2>&1
  timeout 60 "$wineserver" -w || fail "the installed window did not close"
  kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
  unset DISPLAY
}
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
  open_with_window
  stage "opened two copied .zbx files with wine start: one installed window converted both"
else
  stage "skipped opening files with wine start (no Xvfb or xdotool)"
fi

run_silently "$setup" /S || fail "the installer failed over an installed copy"
check_installed "second install"
check_file_types "second install" Tessaline.ZrbPoints
stage "installed again over it"

# --- Uninstall ------------------------------------------------------------------
# The uninstaller copies itself away and returns at once: wineserver -w waits
# for the copy to finish.
run_silently 'C:\Program Files\Tessaline\Uninstall.exe' /S || fail "the uninstaller failed"
[ ! -e "$folder" ] || fail "left after uninstalling: $(cd "$folder" && find .)"
[ ! -e "$menu" ] || fail "Start-menu folder left: $(ls "$menu")"
[ -z "$(value_of DisplayName)" ] || fail "the uninstall entry is left"
[ -f "$drive/données/Île_TRK.txt" ] && [ -f "$drive/données/Île.zbx" ] || fail "the user's files were removed"
[ -d "$local_app_data/Tessaline" ] || fail "the staging store folder was removed"
check_file_types_removed "uninstalled"
! class_key_exists .zbx || fail "uninstalled: .zbx is left"
[ "$(class_value .txt "")" = txtfile ] || fail "uninstalled: .txt now opens with '$(class_value .txt "")'"
stage "uninstalled silently, file types and Send to included"

# --- Where another program owns .zbx ------------------------------------------
# The installer takes no default from it, and leaves its keys when it goes.
set_class_value .zbx /ve /d Autre.Fichier
set_class_value .zbx\\OpenWithProgids /v Autre.Fichier /d ""
set_class_value .gpx\\OpenWithList\\visionneuse.exe /ve /d ""
run_silently "$setup" /S || fail "the installer failed beside another owner of .zbx"
check_file_types "install beside another owner" Autre.Fichier
run_silently 'C:\Program Files\Tessaline\Uninstall.exe' /S || fail "the uninstaller failed"
check_file_types_removed "uninstalled beside another owner"
[ "$(class_value .zbx "")" = Autre.Fichier ] || fail "the other program lost .zbx: '$(class_value .zbx "")'"
class_value .zbx\\OpenWithProgids Autre.Fichier >/dev/null || fail "the other program left the Open with list of .zbx"
class_key_exists .gpx\\OpenWithList\\visionneuse.exe || fail "the other program left the Open with list of .gpx"
stage "installed and uninstalled beside another owner of .zbx"

# --- The zip --------------------------------------------------------------------
mkdir -p "$drive/portable" "$drive/copie"
unzip -q "$zip" -d "$drive/portable" || fail "unzip"
portable="$drive/portable/tessaline-$version-win64"
while read -r path; do
  [ "$path" = Uninstall.exe ] && continue
  [ -f "$portable/${path#bin/}" ] || fail "the zip lacks ${path#bin/}"
done < <(grep -v '^#' "$here/windows/installed_files.txt")
cp "$portable/examples/iroise_TRK.txt" "$drive/copie/"
out=$(cd "$drive/copie" && timeout 120 "$wine" "C:\\portable\\tessaline-$version-win64\\tessaline-convert.exe" -q iroise_TRK.txt 2>&1)
[ -z "${out//$'\r'/}" ] && [ -f "$drive/copie/iroise_TRK.asc" ] || fail "the zip's tessaline-convert.exe: $out"
cp "$portable/examples/cote_bretonne.zbx" "$drive/copie/"
(cd "$drive/copie" && timeout 120 "$wine" "C:\\portable\\tessaline-$version-win64\\tessaline-convert.exe" -q cote_bretonne.zbx) \
  || fail "the zip's tessaline-convert.exe on a device file"
# Portable: the staging store lives beside the program when it can.
[ -f "$portable/ZRB_DB.lock" ] || fail "the zip's program did not keep its store beside itself: $(ls "$portable")"
stage "unzipped and converted copied examples"

echo "Windows installer test passed in $(( $(date +%s) - started )) s"
