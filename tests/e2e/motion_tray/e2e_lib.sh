# Shared by the motion and notification-area tests: a virtual screen of
# their own with trayer as its notification area, the window program on it,
# and the clean-up of all three whatever happens. Sourced, not run.

set -uo pipefail

screen_width=800 screen_height=600
work=$(mktemp -d "/tmp/tessaline-e2e-${test_name}.XXXXXX")
xvfb_pid="" trayer_pid="" program_pid=""

cleanup() {
  local pid
  for pid in $program_pid $trayer_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
# Stopped by CTest's timeout or by hand: the clean-up still runs.
trap 'exit 2' INT TERM HUP

fail() {
  echo "FAIL: $*" >&2
  local log
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; tail -n 20 "$log" >&2; }
  done
  if [ -n "${DISPLAY:-}" ] && import -window root "$work/failure.png" 2>/dev/null; then
    cp "$work/failure.png" "/tmp/tessaline-e2e-${test_name}-failure.png"
    echo "screen at the failure: /tmp/tessaline-e2e-${test_name}-failure.png" >&2
  fi
  exit 1
}

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  local tenths=$1 i
  shift
  for ((i = 0; i < tenths; i++)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# Xvfb chooses a free display itself and writes its number once it accepts
# connections.
start_display() {
  local attempt
  # Two tests starting at once may both be offered the same free display:
  # the one that loses it ends at once ("server already running") while
  # the other's answers in its place. Ours must still run once it answers.
  for attempt in 1 2 3 4 5; do
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 "${screen_width}x${screen_height}x24" -nolisten tcp \
      3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    wait_for 150 grep -q '[0-9]' "$work/display" || fail "the virtual display did not start"
    export DISPLAY=":$(tr -dc 0-9 <"$work/display")"
    wait_for 50 xdpyinfo || fail "the virtual display $DISPLAY does not answer"
    sleep 0.3
    kill -0 "$xvfb_pid" 2>/dev/null && break
    wait "$xvfb_pid" 2>/dev/null
    sleep "0.$attempt"
  done
  kill -0 "$xvfb_pid" 2>/dev/null || fail "the virtual display kept losing its number to another"
  export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  # No session bus: Qt then puts its icon into the XEmbed notification area
  # that trayer offers.
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
}

# trayer's panel window, the notification area.
panel_window() { xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ { print $1; exit }' | grep .; }

start_trayer() {
  trayer --edge bottom --align right --widthtype request --height 24 --transparent false \
    >"$work/trayer.log" 2>&1 &
  trayer_pid=$!
  wait_for 150 panel_window || fail "trayer did not start"
}

# Starts the program (with the files after it) and sets `navy` to its window.
start_program() {
  "$@" >"$work/program.log" 2>&1 &
  program_pid=$!
  wait_for 150 xdotool search --onlyvisible --name "^Tessaline Pro v4.0$" \
    || fail "the window did not appear"
  navy=$(xdotool search --onlyvisible --name "^Tessaline Pro v4.0$" | head -n 1)
}

# "x y" of the window's top-left corner.
position() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$navy")" && echo "$X $Y"
}

# Waits up to $1 tenths of a second for the window to stand at ($2, $3).
wait_position() {
  local tenths=$1 want="$2 $3" i
  for ((i = 0; i < tenths; i++)); do
    [ "$(position)" = "$want" ] && return 0
    sleep 0.1
  done
  return 1
}

map_state() { xwininfo -id "$1" | awk '/Map State:/ { print $3 }'; }
is_mapped() { [ "$(map_state "$navy")" = IsViewable ]; }
is_unmapped() { [ "$(map_state "$navy")" = IsUnMapped ]; }

# The program's icons inside the notification area, one window id a line.
tray_icons() {
  local panel
  panel=$(panel_window) || return 0
  xwininfo -tree -id "$panel" | awk '/\("tessaline" "tessaline"\)/ { print $1 }'
}
icon_count() { tray_icons | grep -c . ; }
has_icons() { [ "$(icon_count)" = "$1" ]; }

# "x y" of the centre of a window on the screen.
centre_of() {
  xwininfo -id "$1" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
    /Width:/ { w = $2 } /Height:/ { h = $2 } END { print int(x + w / 2), int(y + h / 2) }'
}

# A left drag on the window's own surface from window point ($1, $2) by ($3, $4).
drag_by() {
  local left top
  read -r left top < <(position)
  xdotool mousemove $((left + $1)) $((top + $2)) mousedown 1
  sleep 0.2
  xdotool mousemove $((left + $1 + $3 / 2)) $((top + $2 + $4 / 2))
  sleep 0.2
  xdotool mousemove $((left + $1 + $3)) $((top + $2 + $4))
  sleep 0.2
  xdotool mouseup 1
}

# A left click at window point ($1, $2).
click_window() {
  local left top
  read -r left top < <(position)
  xdotool mousemove $((left + $1)) $((top + $2)) click 1
}

# Label3 ends the program, which must then exit with status 0.
end_program() {
  click_window 216 40
  wait_for 100 bash -c "! kill -0 $program_pid" || fail "the program did not end on the close label"
  wait "$program_pid"
  local status=$?
  program_pid=""
  [ "$status" = 0 ] || fail "the program ended with status $status"
}

# How many windows are on the screen (mapped children of the root).
shown_window_count() {
  local id count=0
  for id in $(xwininfo -root -children | awk '/^ +0x/ { print $1 }'); do
    xwininfo -id "$id" | grep -q 'Map State: IsViewable' && count=$((count + 1))
  done
  echo "$count"
}

# The window has never been activated: resting the pointer on "X" must
# still bring up a tooltip window.
check_close_tooltip() {
  local before
  xdotool mousemove 0 0
  sleep 0.3
  before=$(shown_window_count)
  local left top
  read -r left top < <(position)
  xdotool mousemove $((left + 215)) $((top + 39))
  sleep 0.1
  xdotool mousemove $((left + 216)) $((top + 40))
  tooltip_shown() { [ "$(shown_window_count)" -gt "$before" ]; }
  wait_for 40 tooltip_shown || fail "no tooltip over the close label of a window never activated"
  xdotool mousemove 0 0
}

# cmdOK's thumbnail of a track straight north, at 96 dots per inch: its
# start mark at the bottom middle of the picture's box, (72 + 4 + 72.5,
# 96 + 4 + 60), its end mark 60 pixels above; a mark is a disc of 3
# pixels' radius, so every pixel within 2 of its centre takes its colour.
# Takes a screenshot with the caller's `shoot` and reads it with its `pixel`.
is_green() { local r g b; read -r r g b < <(pixel "$1" "$2"); [ "$g" -ge 120 ] && [ "$r" -le 90 ] && [ "$b" -le 110 ]; }
is_red() { local r g b; read -r r g b < <(pixel "$1" "$2"); [ "$r" -ge 160 ] && [ "$g" -le 90 ] && [ "$b" -le 90 ]; }
thumbnail_marks() {
  shoot
  local d dx dy
  for d in "0 0" "-2 0" "2 0" "0 -2" "0 2"; do
    read -r dx dy <<< "$d"
    is_green $((148 + dx)) $((160 + dy)) && is_red $((148 + dx)) $((100 + dy)) || return 1
  done
}
