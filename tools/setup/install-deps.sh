#!/bin/sh
# Installs the Debian 12 packages the build, the tests and the programs need,
# skipping those already present.
set -e
PACKAGES="build-essential cmake pkg-config git
  libgtest-dev libgmock-dev nlohmann-json3-dev zlib1g-dev libcpp-httplib-dev
  qt6-base-dev qt6-webengine-dev qt6-svg-dev libgl-dev
  python3 python3-aiosmtpd curl xvfb xauth imagemagick
  qemu-system-x86 busybox-static smartmontools cpio e2fsprogs"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
# The Linux VM test fetches Debian's kernel with "apt-get download
# linux-image-amd64" and unpacks it (never installs it): the package index
# must know the package.
stale_index=""
apt-cache show linux-image-amd64 >/dev/null 2>&1 || stale_index=1
[ -z "$missing" ] && [ -z "$stale_index" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -qq
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
