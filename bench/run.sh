#!/usr/bin/env bash
# The benchmark: installs GPSBabel when missing, builds the programs and the
# benchmarks with optimisation in their own folder, generates the inputs,
# times tessaline-convert against cat and GPSBabel and prints the table with
# the targets, times GPX reading and writing beside GPSBabel and Expat alone,
# and fitted roads beside the same roads keeping every point
# (bench/gpx), KML and KMZ beside Expat, gzip and GPSBabel (bench/kml),
# reduces generated tracks beside GPSBabel's simplify filter
# (bench/reduction), every road beside its reference (bench/roads), an NMEA
# log to GPX beside a bare pass and GPSBabel (bench/nmea), then runs
# the conversions' own micro-benchmarks.
#
#   bash bench/run.sh            full sizes (needs about 1 GB of disk)
#   bash bench/run.sh --small    small inputs, to try it quickly
#
# TESSALINE_BENCH_BUILD chooses the build folder (default: build-bench).
# Exit status: 0 when every target is met, 1 when one is missed, 2 on failure.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSALINE_BENCH_BUILD:-$root/build-bench}
inputs=$build/bench-inputs
small=()
if [ "${1:-}" = "--small" ]; then small=(--small); fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
if ! command -v gpsbabel >/dev/null 2>&1; then
  echo "bench: installing gpsbabel"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends gpsbabel
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSALINE_BUILD_BENCH=ON \
  -DTESSALINE_BUILD_TESTS=OFF >/dev/null
# The command-line table needs only the converter; the window's benchmark
# needs Qt. Build everything, but do not let another part keep ours from running.
if ! cmake --build "$build" -j2 >"$build/bench-build.log" 2>&1; then
  echo "bench: the full build failed (see $build/bench-build.log); building the command-line benchmark only"
  cmake --build "$build" -j2 --target tessaline-convert tessaline-bench-generate tessaline-bench-cli \
    tessaline-bench-gpx tessaline-bench-kml tessaline-bench-reduction tessaline-bench-roads tessaline-bench-nmea
fi

rm -rf "$inputs"
mkdir -p "$inputs"
echo "bench: generating the inputs in $inputs"
"$build/bench/generator/tessaline-bench-generate" "$inputs" "${small[@]}"

echo
echo "== tessaline-convert against cat and GPSBabel =="
status=0
"$build/bench/cli/tessaline-bench-cli" --convert "$build/src/cli/tessaline-convert" --inputs "$inputs" || status=$?

echo
echo "== GPX in and out, against GPSBabel and Expat alone =="
gpx_points=1000000
if [ ${#small[@]} -gt 0 ]; then gpx_points=20000; fi
mkdir -p "$inputs/gpx"
"$build/bench/gpx/tessaline-bench-gpx" --convert "$build/src/cli/tessaline-convert" --folder "$inputs/gpx" \
  --points "$gpx_points" || { gpx_status=$?; [ "$gpx_status" -gt "$status" ] && status=$gpx_status; }

echo
echo "== KML and KMZ, against Expat alone, durable copies, gzip and GPSBabel =="
kml_points=1000000
if [ ${#small[@]} -gt 0 ]; then kml_points=20000; fi
mkdir -p "$inputs/kml"
"$build/bench/kml/tessaline-bench-kml" --convert "$build/src/cli/tessaline-convert" --folder "$inputs/kml" \
  --points "$kml_points" || { kml_status=$?; [ "$kml_status" -gt "$status" ] && status=$kml_status; }

echo
echo "== Every road beside its reference: durable copies, Expat alone =="
road_points=1000000
if [ ${#small[@]} -gt 0 ]; then road_points=20000; fi
mkdir -p "$inputs/roads"
"$build/bench/roads/tessaline-bench-roads" --convert "$build/src/cli/tessaline-convert" --folder "$inputs/roads" \
  --points "$road_points" || { roads_status=$?; [ "$roads_status" -gt "$status" ] && status=$roads_status; }

echo
echo "== NMEA 0183 log to GPX, against a bare pass over the log and GPSBabel =="
nmea_megabytes=100
if [ ${#small[@]} -gt 0 ]; then nmea_megabytes=5; fi
mkdir -p "$inputs/nmea"
"$build/bench/nmea/tessaline-bench-nmea" --convert "$build/src/cli/tessaline-convert" --folder "$inputs/nmea" \
  --points "$nmea_megabytes" || { nmea_status=$?; [ "$nmea_status" -gt "$status" ] && status=$nmea_status; }

echo
echo "== Track reduction: alone, against the best possible, awkward inputs, beside GPSBabel simplify =="
mkdir -p "$inputs/reduction"
"$build/bench/reduction/tessaline-bench-reduction" --folder "$inputs/reduction" "${small[@]}" \
  || { reduction_status=$?; [ "$reduction_status" -gt "$status" ] && status=$reduction_status; }

# The micro-benchmarks of the other parts: every program built in their folders.
for part in device_to_chart chart_to_device window; do
  folder=$build/bench/$part
  [ -d "$folder" ] || continue
  for program in "$folder"/*; do
    [ -f "$program" ] && [ -x "$program" ] || continue
    echo
    echo "== $part: $(basename "$program") =="
    part_status=0
    if [ "$part" = window ] && [ -z "${DISPLAY:-}" ]; then
      xvfb-run -a "$program" || part_status=$?
    else
      "$program" || part_status=$?
    fi
    if [ "$part_status" -gt "$status" ]; then status=$part_status; fi
  done
done

rm -rf "$inputs"
exit "$status"
