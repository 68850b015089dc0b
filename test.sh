#!/bin/sh
# Installs what is missing (Debian packages), configures, builds with both cores and runs the
# test suites. Exits with ctest's result. Tests labelled "slow" (they wait on the real clock)
# are left to .ci/run.
set -e
cd "$(dirname "$0")"
./scripts/setup.sh
./scripts/check_layers.sh
./scripts/configure.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
cd build
set +e
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" -LE slow
