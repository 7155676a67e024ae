#!/usr/bin/env bash
# cmdOK's thumbnail on a virtual screen: thumbnail_e2e.sh <tessaline> <shots>
# A GPX track straight north opened with the program goes to the device;
# the completion button then shows its start mark at the bottom middle of
# the thumbnail's box and its end mark at its top middle, where the core
# put them (cmdOK at (72, 96), the box 4 pixels in, 145 x 60). A click on
# the thumbnail resets the panel. The screenshot is left in <shots>.
test_name=thumbnail
source "$(dirname "$0")/../motion_tray/e2e_lib.sh"

program=$1 shots=$2
start_display

{
  echo '<?xml version="1.0" encoding="UTF-8"?>'
  echo '<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1"><trk><name>Nord</name><trkseg>'
  for ((i = 0; i <= 100; i++)); do printf '<trkpt lat="47.%04d" lon="-3.5"/>\n' $((i * 20)); done
  echo '</trkseg></trk></gpx>'
} > "$work/nord.gpx"
start_program "$program" "$work/nord.gpx"
wait_for 300 test -s "$work/nord.asc" || fail "no device file: $(ls "$work")"

shoot() { import -window root "$work/shot.png" 2>/dev/null || fail "no screenshot"; }
pixel() {
  local left top
  read -r left top < <(position)
  convert "$work/shot.png" -crop "1x1+$((left + $1))+$((top + $2))" +repage \
    -depth 8 -format '%[fx:int(255*r+.5)] %[fx:int(255*g+.5)] %[fx:int(255*b+.5)]' info:
}
is_light_cyan() { local r g b; read -r r g b < <(pixel "$1" "$2"); [ "$r" -ge 118 ] && [ "$r" -le 138 ] && [ "$g" -ge 245 ] && [ "$b" -ge 245 ]; }

wait_for 100 thumbnail_marks || fail "no start mark at (148, 160) or end mark at (148, 100): $(pixel 148 160) / $(pixel 148 100)"
mkdir -p "$shots" && cp "$work/shot.png" "$shots/thumbnail_qt.png"

# A click on the thumbnail itself resets the panel as a click on the caption does.
read -r left top < <(position)
xdotool mousemove $((left + 170)) $((top + 130)) click 1
uncovered() { shoot; is_light_cyan 80 115; }
wait_for 50 uncovered || fail "a click on the thumbnail did not reset the panel: $(pixel 80 115)"
echo "PASS"
