#!/bin/sh
# Configures a build folder: scripts/configure.sh DIR [cmake options...]
# A new folder is made for Ninja, which keeps both cores busy to the end of a build where make
# waits on each folder's targets in turn; a folder made earlier keeps the generator it has.
set -e
dir=$1
shift
generator=""
if [ ! -f "$dir/CMakeCache.txt" ] && command -v ninja >/dev/null 2>&1; then
  generator="-G Ninja"
fi
# shellcheck disable=SC2086
cmake -S . -B "$dir" $generator "$@" >/dev/null
