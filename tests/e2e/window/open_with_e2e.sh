#!/usr/bin/env bash
# Files opened with the window program, on a virtual screen of its own:
#   open_with_e2e.sh <tessaline> <examples folder>
# `tessaline a.zbx café_TRK.txt` converts both files in its window; a second
# `tessaline --gpx dé.zbx`, started from another folder, hands its file to
# that window and ends at once (both names and that folder's in Latin-1,
# not UTF-8: they reach the converter as the system's bytes); a bare
# second start does the same; an unknown option ends with status 2. One
# window on the screen throughout.
test_name=open-with
# shellcheck source=../motion_tray/e2e_lib.sh
source "$(dirname "$0")/../motion_tray/e2e_lib.sh"
program=$1 examples=$2

start_display
second_folder="$work/"$'s\xe9cond' track=$'caf\xe9_TRK' device=$'d\xe9'
mkdir -p "$work/first" "$second_folder"
cp "$examples/cote_bretonne.zbx" "$work/first/a.zbx"
cp "$examples/iroise_TRK.txt" "$work/first/$track.txt"
cp "$examples/cote_bretonne.zbx" "$second_folder/$device.zbx"

windows() { xdotool search --onlyvisible --name "^Tessaline Pro v4.0$" | wc -l; }

(cd "$work/first" && exec "$program" a.zbx "$track.txt") >"$work/program.log" 2>&1 &
program_pid=$!
wait_for 150 xdotool search --onlyvisible --name "^Tessaline Pro v4.0$" || fail "the window did not appear"
navy=$(xdotool search --onlyvisible --name "^Tessaline Pro v4.0$" | head -n 1)
wait_for 300 test -s "$work/first/$track.asc" || fail "not both files converted: $(ls "$work/first")"
for output in a_TRK.txt a_WPT.txt; do
  test -s "$work/first/$output" || fail "no $output: $(ls "$work/first")"
done
grep -q $'^T;Concarneau;1;1\r$' "$work/first/a_TRK.txt" || fail "a_TRK.txt: $(head -n 2 "$work/first/a_TRK.txt")"

# Ended in the Done state: the grey completion button covers the light cyan
# panel (red 128).
eval "$(xdotool getwindowgeometry --shell "$navy")"
covered() {
  import -window root "$work/shot.png" || return 1
  [ "$(convert "$work/shot.png" -crop "1x1+$((X + 80))+$((Y + 115))" +repage -depth 8 -format '%[fx:int(255*r+.5)]' info:)" -gt 200 ]
}
wait_for 100 covered || fail "no completion button after the conversions"

# A second start hands its file over, as an absolute path, and ends at once.
second() { (cd "$second_folder" && timeout 20 "$program" "$@") >>"$work/second.log" 2>&1; }
second --gpx "$device.zbx" || fail "the second start ended with status $?"
wait_for 300 test -s "$second_folder/$device.gpx" || fail "no GPX from the running window: $(ls "$second_folder")"
grep -q '<gpx' "$second_folder/$device.gpx" || fail "the GPX: $(head -c 300 "$second_folder/$device.gpx")"
second || fail "a bare second start ended with status $?"
[ "$(windows)" = 1 ] || fail "$(windows) windows on the screen"
kill -0 "$program_pid" || fail "the first window is gone"

second --no-such-option
status=$?
[ "$status" = 2 ] || fail "an unknown option ended with status $status"
grep -q -- "--no-such-option" "$work/second.log" || fail "the unknown option was not named: $(cat "$work/second.log")"
[ "$(windows)" = 1 ] || fail "$(windows) windows after the unknown option"
echo "PASS"
