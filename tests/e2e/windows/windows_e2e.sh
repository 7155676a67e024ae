#!/usr/bin/env bash
# tessaline.exe under Wine on a virtual screen of its own, with trayer as
# the notification area and the Linux test drag source:
#   windows_e2e.sh <tessaline.exe> <drag source> <device point file>
# Wine is $WINE (default /usr/lib/wine/wine64) in the prefix $WINEPREFIX.
# Checks the window's size, title and disc, a real drag of a device file
# and of the track file it gives, cmdOK's thumbnail, hiding into the notification area and
# back, a throw and Esc, the close label (also during a conversion), and
# the window at 144 dots per inch.
test_name=windows
source "$(dirname "$0")/../motion_tray/e2e_lib.sh"

program=$1 drag_source=$2 example=$3
wine=${WINE:-/usr/lib/wine/wine64}
export WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
source_pid=""
stop_source() { [ -n "$source_pid" ] && kill "$source_pid" 2>/dev/null && wait "$source_pid" 2>/dev/null; source_pid=""; }
wineserver="$(dirname "$(readlink -f "$wine")")/wineserver"
# The screen's dots per inch for the programs started from now on.
set_dpi() {
  local key
  for key in 'HKEY_CURRENT_CONFIG\Software\Fonts' 'HKEY_CURRENT_USER\Control Panel\Desktop'; do
    "$wine" reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  done
}
dpi_changed=""
cleanup() {
  # The prefix is shared with the other checks: back to 96 whatever happened.
  [ -n "$dpi_changed" ] && set_dpi 96
  stop_source
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  # Wine's own processes of this display go with it.
  [ -x "$wineserver" ] && "$wineserver" -k 2>/dev/null
  for pid in $trayer_pid $xvfb_pid; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}

# The drag source covers the screen in magenta, in front of trayer; the
# window is then raised above it (no window manager keeps it on top).
start_source() {
  stop_source
  : >"$work/source.out"
  "$drag_source" "$1" >"$work/source.out" 2>"$work/source.log" &
  source_pid=$!
  wait_for 100 grep -q ready "$work/source.out" || fail "the drag source did not start"
  [ -n "${navy:-}" ] && xdotool windowraise "$navy"
  sleep 0.3
}

shoot() { import -window root "$work/shot.png" 2>/dev/null || fail "no screenshot"; }
# "r g b" at window point (x, y) of the last screenshot.
pixel() {
  local left top
  read -r left top < <(position)
  convert "$work/shot.png" -crop "1x1+$((left + $1))+$((top + $2))" +repage \
    -depth 8 -format '%[fx:int(255*r+.5)] %[fx:int(255*g+.5)] %[fx:int(255*b+.5)]' info:
}
is_magenta() { local r g b; read -r r g b < <(pixel "$1" "$2"); [ "$r" -ge 240 ] && [ "$g" -le 15 ] && [ "$b" -ge 240 ]; }
is_light_cyan() { local r g b; read -r r g b < <(pixel "$1" "$2"); [ "$r" -ge 118 ] && [ "$r" -le 138 ] && [ "$g" -ge 245 ] && [ "$b" -ge 245 ]; }
is_sphere_blue() { local r g b; read -r r g b < <(pixel "$1" "$2"); [ "$b" -ge 120 ] && [ "$r" -le 110 ] && [ "$b" -gt $((g + 40)) ]; }
covered() { shoot; ! is_light_cyan 80 115; }
# Whether the window has left ($left, $top).
moved() { [ "$(position)" != "$left $top" ]; }
uncovered() { shoot; is_light_cyan 80 115; }

# A real drag from the drag source onto lblFichiers.
drag_onto_panel() {
  local left top
  read -r left top < <(position)
  xdotool mousemove 600 450 mousedown 1
  sleep 0.4
  xdotool mousemove $((left + 100)) $((top + 150))
  sleep 0.4
  xdotool mousemove $((left + 102)) $((top + 152))
  sleep 0.4
  xdotool mouseup 1
}

# Esc stops the window at (SW/2 - W, SH/2 - H). Without a window manager
# the keys go to the window under the pointer, and a flying window may
# leave the pointer before the key: tried again a few times.
escape_to_spot() {
  local x y try
  for try in 1 2 3 4 5; do
    read -r x y < <(position)
    xdotool mousemove $((x + 150)) $((y + 250)) key Escape
    wait_position 10 $((screen_width / 2 - 298)) $((screen_height / 2 - 302)) && return 0
  done
  fail "after Esc the window is at $(position)"
}

# Wine docks each icon into trayer as a window of explorer.exe.
wine_icon_count() {
  local panel
  panel=$(panel_window) || { echo 0; return; }
  xwininfo -tree -id "$panel" | grep -c '("explorer.exe" "explorer.exe")'
}

# Wine processes of an earlier run in this prefix (the test programs, whose
# message windows start a desktop without a display) must be gone: their
# desktop would take the window away from this virtual screen.
timeout 60 "$wineserver" -w 2>/dev/null || "$wineserver" -k 2>/dev/null
start_display
start_trayer
data="$work/données"
mkdir -p "$data"
cp "$example" "$data/Côte-Łeba.zbx"
start_source "$data/Côte-Łeba.zbx"

start_navy() {
  "$wine" "$program" >"$work/program.log" 2>&1 &
  program_pid=$!
  wait_for 300 xdotool search --onlyvisible --name "^Tessaline Pro v4.0$" || fail "the window did not appear"
  navy=$(xdotool search --onlyvisible --name "^Tessaline Pro v4.0$" | head -n 1)
}
# Label3 at window point ($1, $2) ends the program, with status 0.
close_navy() {
  click_window "$1" "$2"
  wait_for 300 bash -c "! kill -0 $program_pid" || fail "the program did not end on the close label"
  wait "$program_pid"
  local status=$?
  program_pid="" navy=""
  [ "$status" = 0 ] || fail "the program ended with status $status"
}
start_navy

# 298 x 302, cut to the disc across pixels 5 to 294.
eval "$(xdotool getwindowgeometry --shell "$navy")"
[ "$WIDTH" = 298 ] && [ "$HEIGHT" = 302 ] || fail "window of ${WIDTH}x${HEIGHT}, not 298x302"
extents=$(xwininfo -shape -id "$navy" | awk '/Window shape extents:/ { print $4 }')
[ "$extents" = 290x290+5+5 ] || fail "the window's shape is not the disc: $extents"
shoot
for corner in "1 1" "296 1" "1 300" "296 300" "20 20" "278 282"; do
  is_magenta $corner || fail "corner ($corner) does not show what lies behind: $(pixel $corner)"
done
is_sphere_blue 150 262 || fail "no sphere at (150, 262): $(pixel 150 262)"
is_light_cyan 148 62 || fail "no panel at (148, 62): $(pixel 148 62)"
is_light_cyan 80 115 || fail "the panel is covered before the drop: $(pixel 80 115)"
check_close_tooltip

# A device file whose name lies outside the ANSI code page ("Ł").
drag_onto_panel
wait_for 300 test -s "$data/Côte-Łeba_WPT.txt" || fail "no output files after the drop: $(ls "$data")"
test -s "$data/Côte-Łeba_TRK.txt" || fail "no track file"
grep -q "drop-action copy" "$work/source.out" || fail "the drop did not choose to copy: $(cat "$work/source.out")"
wait_for 100 covered || fail "no completion button over the panel: $(pixel 80 115)"
[ ! -e "$(dirname "$program")/ZRB_DB.dat" ] || fail "the staging store was left behind"

read -r left top < <(position)
xdotool mousemove $((left + 148)) $((top + 150)) click 1
wait_for 50 uncovered || fail "cmdOK did not uncover the panel: $(pixel 80 115)"

# cmdOK's thumbnail: a track straight north has its start mark at the
# bottom middle of the picture's box (cmdOK at (72, 96), the box 4 pixels
# in, 145 x 60) and its end mark at its top middle, every pixel within 2 of
# each taking its colour; a click on the picture resets the panel.
awk 'BEGIN { for (i = 0; i <= 100; i++) printf "47.%04d,-3.5,0,\"Nord\",1\r\n", i * 20 }' >"$data/nord.zbx"
start_source "$data/nord.zbx"
drag_onto_panel
wait_for 300 test -s "$data/nord_TRK.txt" || fail "no track file for nord.zbx"
wait_for 100 thumbnail_marks || fail "no start mark at (148, 160) or end mark at (148, 100): $(pixel 148 160) / $(pixel 148 100)"
[ -n "${TESSALINE_E2E_SHOTS:-}" ] && cp "$work/shot.png" "$TESSALINE_E2E_SHOTS/thumbnail_win32.png"
stop_source
read -r left top < <(position)
xdotool mousemove $((left + 170)) $((top + 130)) click 1
wait_for 50 uncovered || fail "a click on the thumbnail did not uncover the panel: $(pixel 80 115)"

# The longest device file, thrown as soon as it is dropped: the window
# flies while it converts (seen when the conversion outlasts the first
# ticks) and Esc still answers.
awk 'BEGIN { for (i = 0; i < 32766; i++)
  printf "47.%04d,-3.%04d,%d.5,\"P%d\",%d\r\n", i % 10000, (i * 7) % 10000, i % 90, i, int(i / 3) }' \
  >"$data/long.zbx"
start_source "$data/long.zbx"
drag_onto_panel
read -r left top < <(position)
xdotool mousemove $((left + 50)) $((top + 165)) click 3
flew_while_converting=""
for ((i = 0; i < 100; i++)); do
  [ -e "$data/long_TRK.txt" ] && break
  moved && { flew_while_converting=yes; break; }
  sleep 0.02
done
[ -n "$flew_while_converting" ] || echo "note: the conversion ended before the window's flight could be seen"
wait_for 20 moved || fail "the window did not fly"
sleep 0.7
escape_to_spot
wait_for 600 test -s "$data/long_TRK.txt" || fail "the long file was not converted"
wait_for 100 covered || fail "no completion button after the long file"
[ "$(grep -c $'^P;' "$data/long_TRK.txt")" = 32766 ] || fail "the long file lost points"
read -r left top < <(position)
xdotool mousemove $((left + 148)) $((top + 150)) click 1
wait_for 50 uncovered || fail "cmdOK did not uncover the panel after the long file"

# Vestamar -> ZRB, then the track file.
read -r left top < <(position)
xdotool mousemove $((left + 148)) $((top + 216)) click 1
start_source "$data/Côte-Łeba_TRK.txt"
drag_onto_panel
wait_for 300 test -s "$data/Côte-Łeba_TRK.asc" || fail "no .asc after the drop of the track file: $(ls "$data")"
wait_for 100 covered || fail "no completion button after the track file"
stop_source
read -r left top < <(position)
xdotool mousemove $((left + 148)) $((top + 150)) click 1
wait_for 50 uncovered || fail "cmdOK did not uncover the panel after the track file"

# Label4 hides into trayer's area behind one icon; a double-click on it restores.
click_window 200 40
wait_for 50 is_unmapped || fail "Label4 did not hide the window"
wait_for 50 bash -c "[ \"\$(xwininfo -tree -id $(panel_window) | grep -c explorer.exe)\" = 1 ]" \
  || fail "not one icon in the notification area: $(wine_icon_count)"
panel=$(panel_window)
icon=$(xwininfo -tree -id "$panel" | awk '/\("explorer.exe" "explorer.exe"\)/ { print $1; exit }')
read -r icon_x icon_y < <(centre_of "$icon")
xdotool mousemove "$icon_x" "$icon_y" click --repeat 2 --delay 80 1
wait_for 50 is_mapped || fail "a double-click on the icon did not restore the window"
wait_for 50 bash -c "[ \"\$(xwininfo -tree -id $(panel_window) | grep -c explorer.exe)\" = 0 ]" \
  || fail "the icon stayed after the restore"

# A right-click on a step indicator throws the window: the indicators are
# the window's own surface. Esc puts it at (SW/2 - W, SH/2 - H).
read -r left top < <(position)
xdotool mousemove $((left + 200)) $((top + 184)) click 3
wait_for 20 moved || fail "the throw did not move the window"
sleep 0.7
escape_to_spot

# Label3 ends the program at once, with status 0.
close_navy 216 40

# Label3 while the longest device file converts, its names long enough to
# keep it converting for a while (its staging store beside the program
# shows it has begun): the conversion stops at its next yield and the
# program ends, leaving neither an output nor a temporary file nor the
# store.
store="$(dirname "$program")/ZRB_DB.dat"
awk 'BEGIN { pad = sprintf("%0900d", 0); for (i = 0; i < 32766; i++)
  printf "47.%04d,-3.%04d,%d.5,\"P%d%s\",%d\r\n", i % 10000, (i * 7) % 10000, i % 90, i, pad, int(i / 3) }' \
  >"$data/names.zbx"
before=$(ls -A "$data")
start_source "$data/names.zbx"
start_navy
[ ! -e "$store" ] || fail "a staging store is there before the drop"
drag_onto_panel
begun=""
for ((i = 0; i < 1500; i++)); do
  [ -e "$store" ] && { begun=yes; break; }
  sleep 0.02
done
[ -n "$begun" ] || fail "the long file's conversion was not seen to begin"
close_navy 216 40
stop_source
# On a loaded machine the conversion may end before the click arrives:
# then its outputs are whole, and that is all it may leave.
if [ -e "$data/names_TRK.txt" ]; then
  echo "note: the long file's conversion ended before the close"
  [ "$(grep -c $'^P;' "$data/names_TRK.txt")" = 32766 ] || fail "closed while converting, it left a partial track file"
  rm -f "$data/names_TRK.txt" "$data/names_WPT.txt"
fi
[ "$(ls -A "$data")" = "$before" ] || fail "closed while converting, it left: $(ls -A "$data")"
[ ! -e "$store" ] || fail "closed while converting, it left the staging store"

# At 144 dots per inch: 447 x 453, the disc and the picture half as large
# again, the close label where it now stands.
dpi_changed=yes
set_dpi 144
start_navy
eval "$(xdotool getwindowgeometry --shell "$navy")"
[ "$WIDTH" = 447 ] && [ "$HEIGHT" = 453 ] || fail "window of ${WIDTH}x${HEIGHT} at 144 dpi, not 447x453"
extents=$(xwininfo -shape -id "$navy" | awk '/Window shape extents:/ { print $4 }')
[ "$extents" = 435x435+8+8 ] || fail "the window's shape at 144 dpi is not the disc: $extents"
start_source "$data/long.zbx"
shoot
for corner in "1 1" "445 1" "1 451" "445 451" "30 30" "417 423"; do
  is_magenta $corner || fail "corner ($corner) at 144 dpi does not show what lies behind: $(pixel $corner)"
done
is_sphere_blue 225 393 || fail "no sphere at (225, 393) at 144 dpi: $(pixel 225 393)"
is_light_cyan 222 93 || fail "no panel at (222, 93) at 144 dpi: $(pixel 222 93)"
stop_source
close_navy 324 60
set_dpi 96
dpi_changed=""
echo PASS
