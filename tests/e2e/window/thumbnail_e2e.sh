#!/usr/bin/env bash
# cmdOK's thumbnail on a virtual screen: thumbnail_e2e.sh <tessaline> <shots>
# A GPX track straight north opened with the program goes to the device;
# the completion button then shows its start mark at the bottom middle of
# the thumbnail's box and its end mark at its top middle, where the core
# put them (cmdOK at (72, 96), the box 4 pixels in, 145 x 60). A click on
# the thumbnail resets the panel. The screenshot is left in <shots>.
set -uo pipefail

program=$1 shots=$2
work=$(mktemp -d /tmp/tessaline-e2e-thumbnail.XXXXXX)
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
  [ -f "$work/shot.png" ] && cp "$work/shot.png" /tmp/tessaline-e2e-thumbnail-failure.png \
    && echo "last screenshot: /tmp/tessaline-e2e-thumbnail-failure.png" >&2
  exit 1
}

wait_for() {
  local tenths=$1; shift
  for ((i = 0; i < tenths; i++)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

Xvfb -displayfd 9 -screen 0 800x600x24 -nolisten tcp 9>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 150 test -s "$work/display" || fail "no virtual display could be started: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"

{
  echo '<?xml version="1.0" encoding="UTF-8"?>'
  echo '<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1"><trk><name>Nord</name><trkseg>'
  for ((i = 0; i <= 100; i++)); do printf '<trkpt lat="47.%04d" lon="-3.5"/>\n' $((i * 20)); done
  echo '</trkseg></trk></gpx>'
} > "$work/nord.gpx"

(cd "$work" && exec "$program" nord.gpx) >"$work/program.log" 2>&1 &
program_pid=$!
wait_for 150 xdotool search --name "Tessaline Pro v4.0" || fail "the window did not appear"
window=$(xdotool search --name "Tessaline Pro v4.0" | head -n 1)
wait_for 300 test -s "$work/nord.asc" || fail "no device file: $(ls "$work")"

shoot() { import -window root "$work/shot.png" 2>/dev/null || fail "no screenshot"; }
pixel() {
  convert "$work/shot.png" -crop "1x1+$((left + $1))+$((top + $2))" +repage \
    -depth 8 -format '%[fx:int(255*r+.5)] %[fx:int(255*g+.5)] %[fx:int(255*b+.5)]' info:
}
is_green() { local r g b; read -r r g b < <(pixel "$1" "$2"); [ "$g" -ge 120 ] && [ "$r" -le 90 ] && [ "$b" -le 110 ]; }
is_red() { local r g b; read -r r g b < <(pixel "$1" "$2"); [ "$r" -ge 160 ] && [ "$g" -le 90 ] && [ "$b" -le 90 ]; }
is_light_cyan() { local r g b; read -r r g b < <(pixel "$1" "$2"); [ "$r" -ge 118 ] && [ "$r" -le 138 ] && [ "$g" -ge 245 ] && [ "$b" -ge 245 ]; }

# The core's marks: the start at (72 + 4 + 72.5, 96 + 4 + 60), the end 60
# pixels above; a mark is a disc of 3 pixels' radius, so every pixel within
# 2 of the centre takes its colour.
start_x=148 start_y=160 end_y=100
marks() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  left=$X top=$Y
  shoot
  for d in "0 0" "-2 0" "2 0" "0 -2" "0 2"; do
    read -r dx dy <<< "$d"
    is_green $((start_x + dx)) $((start_y + dy)) || return 1
    is_red $((start_x + dx)) $((end_y + dy)) || return 1
  done
}
wait_for 100 marks || fail "no start mark at ($start_x, $start_y) or end mark at ($start_x, $end_y): $(pixel $start_x $start_y) / $(pixel $start_x $end_y)"
mkdir -p "$shots" && cp "$work/shot.png" "$shots/thumbnail_qt.png"

# A click on the thumbnail itself resets the panel as a click on the caption does.
xdotool mousemove $((left + start_x + 20)) $((top + 130)) click 1
uncovered() { shoot; is_light_cyan 80 115; }
wait_for 50 uncovered || fail "a click on the thumbnail did not reset the panel: $(pixel 80 115)"
echo "PASS"
