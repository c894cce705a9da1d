#!/bin/sh
# Builds render_main and draws the main window (with a few titles listed) and
# the conversion dialog into PNG files, offscreen.
#
#     scripts/render-main.sh [OUTPUT_FOLDER]
#
# The build goes to $BUILD_DIR (default: build); the pictures to
# OUTPUT_FOLDER (default: $BUILD_DIR/render).
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
OUT=${1:-$BUILD_DIR/render}
if [ ! -f "$BUILD_DIR/build.ninja" ] && [ ! -f "$BUILD_DIR/Makefile" ]; then
    cmake -S . -B "$BUILD_DIR" -G Ninja
fi
cmake --build "$BUILD_DIR" --target render_main
QT_QPA_PLATFORM=offscreen "$BUILD_DIR/bin/render_main" "$OUT"
echo "Pictures in $OUT"
