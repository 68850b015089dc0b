#!/bin/sh
# The program's message path against pyvisa-py on the same emulator, start-up on every back
# end, and the driver level: the README's table of the back ends' speed. Measured, never
# asserted; run it on a quiet machine or read its load figures.
#
#   benchmark/adapter_speed.sh [BUILD] [--rounds N] [--queries N] [--driver-seconds S]
#
# Needs the build (the program, the emulator, the stand-in libraries, the back-end benchmark)
# and Debian's python3-pyvisa-py, which it installs with apt-get when it is missing (its
# version has no Prologix resource: the yardstick writes the "++" commands itself).
cd "$(dirname "$0")/.." || exit 2
build=build
case "$1" in -*|"") ;; *) build=$1; shift ;; esac

for package in python3-pyvisa-py python3-serial; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    echo "Installing $package" >&2
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "$package" >/dev/null ||
      echo "$package could not be installed: the program is measured without its yardstick" >&2
  fi
done
# Debian's interpreter, where Debian's packages are.
exec /usr/bin/python3 benchmark/adapter_speed.py "$build" "$@"
