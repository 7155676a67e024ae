#!/usr/bin/env bash
# Debian's source of zlib, with its contrib/minizip, unpacked in FOLDER
# (fetch-debian-source.sh); prints its folder.
#   fetch-zlib-source.sh FOLDER
set -euo pipefail
bash "$(dirname "$0")/fetch-debian-source.sh" zlib zlib1g-dev "${1:?usage: $0 FOLDER}" contrib/minizip/zip.c
