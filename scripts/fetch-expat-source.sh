#!/usr/bin/env bash
# Debian's source of Expat unpacked in FOLDER (fetch-debian-source.sh);
# prints the folder of its CMakeLists.txt.
#   fetch-expat-source.sh FOLDER
set -euo pipefail
unpacked=$(bash "$(dirname "$0")/fetch-debian-source.sh" expat libexpat1-dev "${1:?usage: $0 FOLDER}" expat/CMakeLists.txt)
echo "$unpacked/expat"
