#!/bin/sh
# Installs the Debian packages Calvor needs to build, test, package and run,
# skipping those already present. Uses sudo when not run as root. The
# desktop tools check the installation (desktop entry, metainfo, file type);
# dpkg-dev and file let CPack build the package and compute its
# dependencies.
set -eu
PACKAGES="cmake make g++ clang-format pkg-config qt6-base-dev qt6-translations-l10n \
libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xclip xdotool \
desktop-file-utils shared-mime-info xdg-utils libfile-mimeinfo-perl appstream dpkg-dev file"
missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
