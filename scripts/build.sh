#!/usr/bin/env bash
# Configures and builds one build folder: build.sh <folder> [cmake options...]
# The project's own builds treat warnings as errors (TESSALINE_WERROR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=$1; shift
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S "$root" -B "$folder" -DTESSALINE_WERROR=ON "$@" >/dev/null
cmake --build "$folder" -j "$jobs"
