#!/bin/sh
# Installs the Debian packages the build needs (and the virtual display scripts/screenshots.sh
# takes the guide's pictures under), only when one is missing.
PACKAGES="cmake g++ make qt6-base-dev libgl-dev libgtest-dev libgmock-dev libtomlplusplus-dev libbenchmark-dev locales-all poppler-utils python3-jsonschema libre2-dev pkg-config libedit-dev libqt6sql6-sqlite libqt6sql6-psql qt6-charts-dev postgresql time xvfb xauth xdotool imagemagick openbox ninja-build mold"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q >/dev/null || true
$SUDO apt-get install -y -q $missing >/dev/null
