#!/usr/bin/env bash
# Sets up the machine, builds and runs the whole test suite twice: once in
# the normal build and once under AddressSanitizer and
# UndefinedBehaviorSanitizer. Tests that need a display start their own Xvfb.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" || exit 1
jobs=$(nproc 2>/dev/null || echo 2)
status=0

run_suite() {
  local name=$1 folder=$2; shift 2
  echo "== $name: build"
  if ! bash "$root/scripts/build.sh" "$folder" "$@"; then
    echo "== $name: build FAILED"
    status=1
    return
  fi
  echo "== $name: tests"
  ctest --test-dir "$folder" --output-on-failure -j "$jobs" --timeout 600 || status=1
}

run_suite "normal build" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions="$root/scripts/lsan.supp" \
  run_suite "sanitizer build (ASan+UBSan)" "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DTESSALINE_SANITIZE=ON

if [ $status -eq 0 ]; then echo "== all test runs passed"; else echo "== some test runs FAILED"; fi
exit $status
