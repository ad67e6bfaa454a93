#!/bin/sh
# Installs the Debian 12 packages the build, the tests and the programs need,
# skipping those already present.
set -e
PACKAGES="build-essential cmake pkg-config git
  libgtest-dev libgmock-dev nlohmann-json3-dev zlib1g-dev libcpp-httplib-dev
  qt6-base-dev qt6-webengine-dev qt6-svg-dev libgl-dev
  python3 python3-aiosmtpd curl xvfb xauth"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
