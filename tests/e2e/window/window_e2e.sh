#!/usr/bin/env bash
# The window program on a virtual screen of its own:
#   window_e2e.sh <tessaline> <drag source> <device point file>
# Checks that only the disc of the window is on the screen, drops the file
# on lblFichiers with a real drag, waits for both output files and the
# completion button, resets the panel with it and ends the program with the
# close label.
set -uo pipefail

program=$1 drag_source=$2 example=$3
work=$(mktemp -d /tmp/tessaline-e2e-window.XXXXXX)
xvfb_pid="" source_pid="" program_pid=""

cleanup() {
  for pid in $program_pid $source_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/shot.png" ] && cp "$work/shot.png" /tmp/tessaline-e2e-window-failure.png \
    && echo "last screenshot: /tmp/tessaline-e2e-window-failure.png" >&2
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

# Xvfb picks a free display itself and writes its number once it accepts
# clients, so parallel test runs never share or steal a display.
Xvfb -displayfd 9 -screen 0 800x600x24 -nolisten tcp 9>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 150 test -s "$work/display" || fail "no virtual display could be started: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"

input="$work/cote_bretonne.zbx"
cp "$example" "$input"

# The drag source covers the screen in magenta, behind the window.
"$drag_source" "$input" >"$work/source.out" 2>"$work/source.err" &
source_pid=$!
wait_for 100 grep -q ready "$work/source.out" || fail "the drag source did not start"
wait_for 100 xdotool search --name "tessaline drag source" || fail "no drag source window"

"$program" >"$work/program.out" 2>"$work/program.err" &
program_pid=$!
wait_for 150 xdotool search --name "Tessaline Pro v4.0" || fail "the window did not appear"
window=$(xdotool search --name "Tessaline Pro v4.0" | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" = 298 ] && [ "$HEIGHT" = 302 ] || fail "client area ${WIDTH}x${HEIGHT}, not 298x302"
left=$X top=$Y
sleep 0.5

shoot() { import -window root "$work/shot.png" 2>/dev/null || fail "no screenshot"; }
# "r g b" of the pixel at window coordinates (x, y) on the last screenshot.
pixel() {
  convert "$work/shot.png" -crop "1x1+$((left + $1))+$((top + $2))" +repage \
    -depth 8 -format '%[fx:int(255*r+.5)] %[fx:int(255*g+.5)] %[fx:int(255*b+.5)]' info:
}
is_magenta() { local r g b; read -r r g b < <(pixel "$1" "$2"); [ "$r" -ge 240 ] && [ "$g" -le 15 ] && [ "$b" -ge 240 ]; }
is_light_cyan() { local r g b; read -r r g b < <(pixel "$1" "$2"); [ "$r" -ge 118 ] && [ "$r" -le 138 ] && [ "$g" -ge 245 ] && [ "$b" -ge 245 ]; }
is_sphere_blue() { local r g b; read -r r g b < <(pixel "$1" "$2"); [ "$b" -ge 120 ] && [ "$r" -le 110 ] && [ "$b" -gt $((g + 40)) ]; }

shoot
for corner in "1 1" "296 1" "1 300" "296 300" "20 20" "278 282"; do
  is_magenta $corner || fail "corner ($corner) of the window does not show what lies behind it: $(pixel $corner)"
done
is_light_cyan 148 62 || fail "no panel at (148, 62): $(pixel 148 62)"
is_sphere_blue 150 262 || fail "no sphere at (150, 262): $(pixel 150 262)"
is_sphere_blue 30 150 || fail "no sphere at (30, 150): $(pixel 30 150)"
is_light_cyan 80 115 || fail "the panel is covered before the drop: $(pixel 80 115)"

# A real drag: press on the drag source, move onto lblFichiers, release.
xdotool mousemove 600 450 mousedown 1
sleep 0.4
xdotool mousemove $((left + 100)) $((top + 150))
sleep 0.4
xdotool mousemove $((left + 102)) $((top + 152))
sleep 0.4
xdotool mouseup 1

track="$work/cote_bretonne_TRK.txt" waypoints="$work/cote_bretonne_WPT.txt"
wait_for 300 test -s "$waypoints" || fail "no output files after the drop: $(ls "$work")"
wait_for 50 grep -q "drop-action copy" "$work/source.out" \
  || fail "the drop did not choose to copy: $(cat "$work/source.out")"

# The completion button covers the panel.
covered() { shoot; ! is_light_cyan 80 115; }
wait_for 100 covered || fail "no completion button over the panel: $(pixel 80 115)"

# The outputs: three tracks of 5, 4 and 3 points, three waypoints.
[ "$(grep -c $'^T;' "$track")" = 3 ] || fail "track file: $(cat -A "$track")"
[ "$(grep -c $'^P;' "$track")" = 12 ] || fail "track file points: $(cat -A "$track")"
head -n 2 "$track" | tr -d '\r' | grep -q '^T;Concarneau;1;1$' || fail "first track line: $(head -n 1 "$track")"
grep -q $'^P;-3.919000000000000;47.870200000000000;4.50;-9999;[0-9][0-9]/[0-9][0-9]/[0-9]\{4\} [0-9:]*\r$' "$track" \
  || fail "first point line: $(sed -n 2p "$track" | cat -A)"
[ "$(grep -c $'^W;' "$waypoints")" = 3 ] || fail "waypoint file: $(cat -A "$waypoints")"
grep -qx $'W;Basse Jaune;;-3.957500000000000;47.717200000000000;-9999;47.717200000000000;-3.957500000000000;0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;65535;16;0;0\r' "$waypoints" \
  || fail "waypoint line: $(head -n 1 "$waypoints" | cat -A)"
[ ! -e "$(dirname "$program")/ZRB_DB.dat" ] || fail "the staging store was left behind"

# cmdOK uncovers the panel.
xdotool mousemove $((left + 148)) $((top + 150)) click 1
uncovered() { shoot; is_light_cyan 80 115; }
wait_for 50 uncovered || fail "the completion button did not go: $(pixel 80 115)"

# Label3 ends the program.
xdotool mousemove $((left + 216)) $((top + 40)) click 1
wait_for 100 bash -c "! kill -0 $program_pid" || fail "the program did not end on the close label"
wait "$program_pid"
status=$?
program_pid=""
[ "$status" = 0 ] || fail "the program ended with status $status: $(cat "$work/program.err")"
echo "PASS"
