#!/usr/bin/env bash
# Sets up the machine, builds and runs the whole test suite twice: once in
# the normal build and once under AddressSanitizer and
# UndefinedBehaviorSanitizer, then a few seconds of each fuzzer and the
# Windows cross-build check. Tests that need a display start their own Xvfb.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" || exit 1
jobs=$(nproc 2>/dev/null || echo 2)
status=0
passed=0
failed=0

run_suite() {
  local name=$1 folder=$2; shift 2
  echo "== $name: build"
  if ! bash "$root/scripts/build.sh" "$folder" "$@"; then
    echo "== $name: build FAILED"
    status=1
    return
  fi
  echo "== $name: tests"
  local log
  log=$(mktemp)
  ctest --test-dir "$folder" --output-on-failure -j "$jobs" --timeout 600 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  # "100% tests passed, 0 tests failed out of 206"
  local line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -n "$line" ]; then
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  else
    status=1
  fi
  rm -f "$log"
}

# The normal build is a Release build, as users and distributions build it.
run_suite "normal build" "$root/build" -DCMAKE_BUILD_TYPE=Release -DTESSALINE_PACKAGE_TEST=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions="$root/scripts/lsan.supp" \
  run_suite "sanitizer build (ASan+UBSan)" "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DTESSALINE_SANITIZE=ON

echo "== fuzzing smoke run"
bash "$root/scripts/fuzz.sh" --smoke || status=1

echo "== Windows cross-build check"
bash "$root/scripts/windows-check.sh" || status=1

if [ $status -eq 0 ]; then echo "== all test runs passed"; else echo "== some test runs FAILED"; fi
echo "Total: $passed passed, $failed failed"
exit $status
