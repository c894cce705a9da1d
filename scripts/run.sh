#!/bin/sh
# Installs what is needed, builds, and starts the program.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/build.sh
BUILD_DIR=${BUILD_DIR:-build}
if [ -x "$BUILD_DIR/bin/VelkoFreeDVDRipper" ]; then
    exec "$BUILD_DIR/bin/VelkoFreeDVDRipper"
fi
echo "Built into $BUILD_DIR/bin; the main window is not part of this build yet."
