#!/usr/bin/env bash
# Builds the libFuzzer harnesses in their own clang configuration and runs
# each of them for a while on its seed corpus.
#   scripts/fuzz.sh [SECONDS]   every harness for SECONDS (default 60)
#   scripts/fuzz.sh --smoke     every harness for about 5 seconds (the test command)
# New inputs found go to build-fuzz/corpus/<name>/ (the seeds in fuzz/corpus
# stay as they are); a crash is saved as build-fuzz/crashes/<name>/crash-*
# and makes the script exit with status 1 (crash files of earlier runs are
# kept and not counted again).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=60
case "${1:-}" in
  --smoke) seconds=5 ;;
  "") ;;
  *[!0-9]*) echo "usage: $0 [SECONDS | --smoke]" >&2; exit 2 ;;
  *) seconds=$1 ;;
esac
build=${TESSALINE_FUZZ_BUILD:-$root/build-fuzz}
jobs=${TESSALINE_JOBS:-2}
harnesses=(device_to_chart chart_to_device notations gpx)

echo "== fuzz: build in $build"
if ! CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALINE_WERROR=ON \
    -DTESSALINE_BUILD_FUZZERS=ON -DTESSALINE_BUILD_GUI=OFF -DTESSALINE_BUILD_TESTS=OFF >/dev/null ||
   ! cmake --build "$build" -j "$jobs" --target "${harnesses[@]/%/_fuzzer}"; then
  echo "== fuzz: build FAILED"
  exit 1
fi

status=0
summary=()
for name in "${harnesses[@]}"; do
  corpus=$build/corpus/$name
  crashes=$build/crashes/$name
  mkdir -p "$corpus" "$crashes"
  log=$build/$name.log
  marker=$build/$name.started
  touch "$marker"
  echo "== fuzz: $name for ${seconds}s"
  # Leaks are checked by the sanitizer suite; here they would only stop the
  # run at its first allocation kept for the process's lifetime.
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:symbolize=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/${name}_fuzzer" "$corpus" "$root/fuzz/corpus/$name" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
      -print_final_stats=1 -artifact_prefix="$crashes/" >"$log" 2>&1
  rc=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  found=$(find "$crashes" -type f -newer "$marker" | wc -l)
  if [ $rc -ne 0 ] || [ "$found" -ne 0 ]; then
    status=1
    summary+=("$name: FAILED after ${runs:-?} runs, ${found} crash file(s) in $crashes (log $log)")
    grep -E 'ERROR:|broken promise|detail:|SUMMARY' "$log" | head -20
  else
    summary+=("$name: ok, ${runs:-?} runs in ${seconds}s, corpus $(find "$corpus" -type f | wc -l) files")
  fi
done

echo "== fuzz summary"
printf '   %s\n' "${summary[@]}"
exit $status
