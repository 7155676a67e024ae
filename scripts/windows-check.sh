#!/usr/bin/env bash
# Cross-compiles the core library, tessaline-convert, the window program
# tessaline.exe and the core tests for 64-bit Windows with mingw-w64, so
# that a Windows break shows on Linux. When Wine is installed it also runs
# every test program, converts a small file both ways with
# tessaline-convert.exe (C and French settings) and drives tessaline.exe on
# a virtual screen (tests/e2e/windows).
#   windows-check.sh [build folder]   (default: build-mingw at the top)
# Prints a summary; exits non-zero when the build or any run fails.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-$root/build-mingw}
jobs=$(nproc 2>/dev/null || echo 2)
summary=()
status=0

note() { summary+=("$1"); }
fail() { summary+=("FAILED: $1"); status=1; }
finish() {
  echo "== Windows check summary"
  for line in "${summary[@]}"; do echo "   $line"; done
  if [ $status -eq 0 ]; then echo "== Windows check passed"; else echo "== Windows check FAILED"; fi
  exit $status
}

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  fail "x86_64-w64-mingw32-g++-posix not found (package mingw-w64)"
  finish
fi

echo "== Windows check: configure $folder"
if ! cmake -S "$root" -B "$folder" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DTESSALINE_WERROR=ON \
    -DTESSALINE_BUILD_GUI=ON -DTESSALINE_BUILD_TESTS=ON -DTESSALINE_BUILD_BENCH=OFF >/dev/null; then
  fail "configure"
  finish
fi

echo "== Windows check: build"
if ! cmake --build "$folder" -j "$jobs"; then
  fail "build (core, tessaline-convert, tessaline, tests)"
  finish
fi
mapfile -t programs < <(find "$folder/tests" -name '*.exe' -not -path '*/CMakeFiles/*' | sort)
note "built: tessaline_core, tessaline-convert.exe, tessaline.exe, ${#programs[@]} test programs"

wine=""
for candidate in wine wine64 /usr/lib/wine/wine64; do
  if command -v "$candidate" >/dev/null; then wine=$(command -v "$candidate"); break; fi
done
if [ -z "$wine" ]; then
  note "not run: Wine is not installed (package wine64)"
  finish
fi

# The prefix is the build's own; winemenubuilder would write menu entries
# into the user's desktop.
export WINEPREFIX="$folder/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
wineserver="$(dirname "$(readlink -f "$wine")")/wineserver"
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || true)
stop_wine() { [ -n "$wineserver" ] && "$wineserver" -k 2>/dev/null; true; }
trap stop_wine EXIT

echo "== Windows check: Wine prefix"
if ! timeout 300 "$wine" wineboot --init >/dev/null 2>&1; then
  fail "wineboot could not prepare $WINEPREFIX"
  finish
fi

started=$(date +%s)
for program in "${programs[@]}"; do
  name=$(basename "$program" .exe)
  echo "== Windows check: $name under Wine"
  log="$folder/$name.wine.log"
  # From its own folder, as CTest would run it.
  if (cd "$(dirname "$program")" && LC_ALL=C.UTF-8 timeout 600 "$wine" "$program" --gtest_brief=1) >"$log" 2>&1; then
    note "passed under Wine: $name ($(sed -n 's/^\[=*\] \([0-9]*\) tests\? from .* ran\..*/\1/p' "$log") tests)"
  else
    tail -40 "$log"
    fail "$name under Wine (log: $log)"
  fi
done

# The real program on a small file, both directions, a non-ASCII folder and
# name, in the C and the French settings of the user's locale (Wine takes
# the Windows user locale from LC_ALL): the track file writes the value with
# the regional decimal mark, the device file always with a point.
convert="$folder/src/cli/tessaline-convert.exe"
work=$(mktemp -d)
trap 'rm -rf "$work"; stop_wine' EXIT
mkdir -p "$work/données"
input="$work/données/Île.zbx"
check_convert() {
  local locale=$1 mark=$2
  printf '47.25,-4.5,12.5,"Ouessant",1\r\n47.26,-4.51,13.25,"Ouessant",1\r\n48.1,-4.8,1.5,"Phare",2\r\n' >"$input"
  rm -f "$work/données/"Île_*
  local out
  # Windows ends the lines on the standard streams with CR LF.
  out=$(cd "$work" && LC_ALL=$locale timeout 120 "$wine" "$convert" "données/Île.zbx" 2>&1)
  local rc=$?
  out=${out//$'\r'/}
  if [ $rc -ne 0 ] || [ "$out" != "Traitement du fichier Île.zbx terminé."$'\n'"1 trace (2 points), 1 waypoint" ]; then
    fail "tessaline-convert.exe device to chart ($locale): $out"
    return
  fi
  if ! grep -q "^P;-4\.500000000000000;47\.250000000000000;12${mark}50;-9999;" "$work/données/Île_TRK.txt" ||
     ! grep -q "^W;Phare;" "$work/données/Île_WPT.txt"; then
    fail "tessaline-convert.exe device to chart ($locale): unexpected chart files"
    return
  fi
  out=$(cd "$work" && LC_ALL=$locale timeout 120 "$wine" "$convert" -q "données/Île_TRK.txt" 2>&1)
  rc=$?
  out=${out//$'\r'/}
  if [ $rc -ne 0 ] || [ -n "$out" ] ||
     ! grep -q '^47\.250000000000000,-4\.500000000000000,12\.50,"Ouessant"' "$work/données/Île_TRK.asc"; then
    fail "tessaline-convert.exe chart to device ($locale): $out"
    return
  fi
  note "passed under Wine: tessaline-convert.exe both ways ($locale, decimal mark \"$mark\")"
}
check_convert C.UTF-8 "."
# The reason of a failure in the program's own words, as on POSIX.
out=$(cd "$work" && LC_ALL=C.UTF-8 timeout 120 "$wine" "$convert" "données/absent.zbx" 2>&1)
rc=$?
out=${out//$'\r'/}
expected="tessaline-convert: données/absent.zbx: Erreur dans le module de conversion ZRB -> Vestamar : absent.zbx : Aucun fichier ou dossier de ce type"
if [ $rc -ne 1 ] || [ "$out" != "$expected" ]; then
  fail "tessaline-convert.exe on a missing file: $out"
else
  note "passed under Wine: tessaline-convert.exe says why a missing file fails"
fi
if locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$'; then
  check_convert fr_FR.UTF-8 ","
else
  note "skipped: French settings (fr_FR.UTF-8 not generated)"
fi
# GPX both ways: the device file to GPX, the GPX back to a device file.
printf '47.25,-4.5,12.5,"Île",1\r\n47.26,-4.51,13.25,"Île",1\r\n' >"$input"
if (cd "$work" && timeout 120 "$wine" "$convert" -q -g "données/Île.zbx" && cp "données/Île.gpx" "données/G.gpx" &&
    timeout 120 "$wine" "$convert" -q "données/G.gpx") >/dev/null 2>&1 &&
   grep -q $'^47\.250000000000000,-4\.500000000000000,12\.5,"\xCEle",1\r$' "$work/données/G.asc"; then
  note "passed under Wine: tessaline-convert.exe to GPX and back"
else
  fail "tessaline-convert.exe to GPX and back"
fi
# The window program on a virtual screen, dragged onto by the Linux test
# drag source (from the normal build in build/, built here if need be).
window_check() {
  local tool missing=""
  for tool in Xvfb trayer xdotool xwininfo import convert; do
    command -v "$tool" >/dev/null || missing="$missing $tool"
  done
  if [ -n "$missing" ]; then
    note "not run: tessaline.exe end to end (missing:$missing)"
    return
  fi
  local drag_source="$root/build/tests/e2e/window/tessaline_e2e_drag_source"
  if [ ! -x "$drag_source" ] && [ -f "$root/build/CMakeCache.txt" ]; then
    cmake --build "$root/build" --target tessaline_e2e_drag_source -j "$jobs" >/dev/null 2>&1
  fi
  if [ ! -x "$drag_source" ]; then
    note "not run: tessaline.exe end to end (no Linux build in build/ for the drag source)"
    return
  fi
  echo "== Windows check: tessaline.exe end to end under Wine"
  local log="$folder/tessaline.e2e.log"
  if WINE="$wine" timeout 300 bash "$root/tests/e2e/windows/windows_e2e.sh" \
      "$folder/src/app/tessaline.exe" "$drag_source" "$root/examples/cote_bretonne.zbx" >"$log" 2>&1; then
    note "passed under Wine: tessaline.exe end to end (disc, drops both ways, cmdOK's thumbnail, tray, throw, Esc, close, close while converting, 144 dpi)"
  else
    tail -40 "$log"
    fail "tessaline.exe end to end under Wine (log: $log)"
  fi
}
window_check
note "Wine runs took $(( $(date +%s) - started )) s"

# The installer and the zip as a user gets them, in a Wine prefix of their own.
if bash "$root/tests/packaging/windows_installer_test.sh" "$root" >"$folder/installer-test.log" 2>&1; then
  note "$(tail -n 1 "$folder/installer-test.log")"
else
  tail -40 "$folder/installer-test.log"
  fail "Windows installer and zip (log: $folder/installer-test.log)"
fi
finish
