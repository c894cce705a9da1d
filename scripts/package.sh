#!/bin/sh
# Installs what is needed, builds, and makes the Debian package in build/
# (or $BUILD_DIR): velko-free-dvd-ripper_<version>_<arch>.deb. Install it with
#     sudo apt install ./build/velko-free-dvd-ripper_*.deb
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/build.sh
BUILD_DIR=${BUILD_DIR:-build}
(cd "$BUILD_DIR" && cpack --config CPackConfig.cmake)
for deb in "$BUILD_DIR"/velko-free-dvd-ripper_*.deb; do
    echo "Install with: sudo apt install ./$deb"
done
