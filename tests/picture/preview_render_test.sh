#!/bin/bash
# The SVG of --preview read back as XML and drawn by rsvg-convert: with a
# track straight north between two waypoints, its start mark must fall at
# the bottom middle of the data's box and its end mark at the top middle.
# Usage: preview_render_test.sh TESSALINE_CONVERT
set -eu
convert_program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cat > nord.gpx <<'GPX'
<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">
<wpt lat="45.005" lon="5.004"><name>Bou&#233;e &lt;est&gt;</name></wpt>
<wpt lat="45.005" lon="4.996"><name>Ouest</name></wpt>
<trk><name>Nord</name><trkseg>
<trkpt lat="45.000" lon="5.0"/><trkpt lat="45.004" lon="5.0"/><trkpt lat="45.010" lon="5.0"/>
</trkseg></trk>
</gpx>
GPX
"$convert_program" -q --preview=image.svg nord.gpx
test -s nord.asc
xmllint --noout image.svg
if grep -Eq '<script|foreignObject|href|onload|<image' image.svg; then
  echo "more than shapes, paths and text in image.svg"; exit 1
fi
rsvg-convert image.svg -o image.png 2> rsvg.err
if [ -s rsvg.err ]; then cat rsvg.err; exit 1; fi
[ "$(identify -format '%w %h' image.png)" = "800 600" ] || { echo "not 800 x 600"; exit 1; }

# The colour of a pixel as "r g b".
pixel() { convert image.png -format '%[fx:int(255*p{'"$1"','"$2"'}.r)] %[fx:int(255*p{'"$1"','"$2"'}.g)] %[fx:int(255*p{'"$1"','"$2"'}.b)]' info:; }
greenish() { read -r r g b <<< "$(pixel "$1" "$2")"; [ "$g" -gt 120 ] && [ "$r" -lt 80 ] && [ "$b" -lt 100 ]; }
reddish() { read -r r g b <<< "$(pixel "$1" "$2")"; [ "$r" -gt 160 ] && [ "$g" -lt 80 ] && [ "$b" -lt 80 ]; }
white() { [ "$(pixel "$1" "$2")" = "255 255 255" ]; }

# The data's box is 720 x 500 from (40, 40): the track fills its height.
for d in -2 0 2; do
  greenish $((400 + d)) 540 || { echo "no start mark at (400, 540): $(pixel 400 540)"; exit 1; }
  reddish $((400 + d)) 40 || { echo "no end mark at (400, 40): $(pixel 400 40)"; exit 1; }
done
white 400 555 || { echo "the start mark spreads below (400, 555)"; exit 1; }
white 400 25 || { echo "the end mark spreads above (400, 25)"; exit 1; }
grep -q 'Bouée &lt;est&gt;</text>' image.svg || { echo "the waypoint's name is not its text"; exit 1; }
echo "start, end and name where they belong"
