#!/bin/sh
# Builds when needed and starts Veridane with the given options. Without options it runs on the
# built-in simulated bench; without a display it runs headless and prints the result tables.
set -e
cd "$(dirname "$0")"
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target veridane
if [ $# -eq 0 ] && [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
  exec ./build/src/app/veridane --headless --bench sim --run full
fi
exec ./build/src/app/veridane "$@"
