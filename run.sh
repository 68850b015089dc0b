#!/bin/sh
# Builds when needed and starts Veridane with the given options. Without options it runs on the
# built-in simulated bench; without a display it runs headless and prints the result tables.
set -e
cd "$(dirname "$0")"
# The build's chatter goes to standard error: standard output is the program's alone, so
# `./run.sh --headless ... > table.txt` holds just the table.
./scripts/setup.sh >&2
./scripts/configure.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target veridane >&2
if [ $# -eq 0 ] && [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
  exec ./build/src/app/veridane --headless --bench sim --run full
fi
exec ./build/src/app/veridane "$@"
