#!/usr/bin/env bash
# Hiding the window into the notification area and back:
#   tray_e2e.sh <tessaline>
# The window is dragged somewhere, Label4 hides it behind one icon in
# trayer, a double-click on the icon brings it back where it was; hidden
# again, the icon's menu item "Restaurer" brings it back too.
test_name=tray
source "$(dirname "$0")/e2e_lib.sh"

start_display
start_trayer
start_program "$1"
has_icons 0 || fail "an icon before any hiding"
check_close_tooltip

# Somewhere the motion put it: a left drag on the sphere.
read -r left top < <(position)
drag_by 30 150 150 90
wait_position 50 $((left + 150)) $((top + 90)) || fail "the drag left the window at $(position)"
read -r left top < <(position)

# Label4: the window goes, one icon comes.
click_window 200 40
wait_for 100 is_unmapped || fail "Label4 did not hide the window"
wait_for 100 has_icons 1 || fail "$(icon_count) icons in the notification area after hiding"
icon=$(tray_icons)
read -r icon_x icon_y < <(centre_of "$icon")
# The icon shows the program's blue sphere.
wait_for 50 import -window root "$work/hidden.png" || fail "no screenshot"
read -r r g b < <(convert "$work/hidden.png" -crop "1x1+${icon_x}+${icon_y}" +repage -depth 8 \
  -format '%[fx:int(255*r+.5)] %[fx:int(255*g+.5)] %[fx:int(255*b+.5)]' info:)
[ "$b" -ge 120 ] && [ "$b" -gt $((r + 40)) ] || fail "the icon is not the blue sphere: $r $g $b"

# A single click does nothing; a double-click restores.
xdotool mousemove "$icon_x" "$icon_y" click 1
sleep 0.6
is_unmapped || fail "a single click on the icon showed the window"
xdotool mousemove "$icon_x" "$icon_y" click --repeat 2 --delay 80 1
wait_for 100 is_mapped || fail "the double-click did not show the window"
wait_for 100 has_icons 0 || fail "the icon stayed after the restore"
[ "$(position)" = "$left $top" ] || fail "restored at $(position), hidden at $left $top"

# Hidden again: one icon again, and its menu's "Restaurer" restores.
click_window 200 40
wait_for 100 is_unmapped || fail "Label4 did not hide the window a second time"
wait_for 100 has_icons 1 || fail "$(icon_count) icons after hiding a second time"
icon=$(tray_icons)
read -r icon_x icon_y < <(centre_of "$icon")
before=$(xdotool search --onlyvisible --class tessaline | sort)
xdotool mousemove "$icon_x" "$icon_y" click 3
new_window() { comm -13 <(echo "$before") <(xdotool search --onlyvisible --class tessaline | sort) | grep .; }
wait_for 100 new_window || fail "no menu on a right click on the icon"
menu=$(new_window | head -n 1)
read -r menu_x menu_y < <(centre_of "$menu")
menu_height=$(xwininfo -id "$menu" | awk '/Height:/ { print $2 }')
# Two items: "A propos de..." above, "Restaurer" below.
xdotool mousemove "$menu_x" $((menu_y + menu_height / 4)) click 1
wait_for 100 is_mapped || fail "\"Restaurer\" did not show the window"
wait_for 100 has_icons 0 || fail "the icon stayed after \"Restaurer\""
[ "$(position)" = "$left $top" ] || fail "restored at $(position), hidden at $left $top"

end_program
echo "PASS"
