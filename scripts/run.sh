#!/usr/bin/env bash
# Sets up the machine, builds the program and starts the window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=Release
exec "$root/build/src/app/tessaline"
