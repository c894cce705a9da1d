#!/bin/sh
# Builds render_controls and draws the toolbar, the program's pictures and the
# folder picker (list and details view) into PNG files, offscreen.
#
#     scripts/render-controls.sh [OUTPUT_FOLDER]
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
cmake --build "$BUILD_DIR" --target render_controls
QT_QPA_PLATFORM=offscreen "$BUILD_DIR/bin/render_controls" "$OUT"
