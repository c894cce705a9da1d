#!/bin/sh
# Builds render_sources and draws the loading dialog and the DVD folder and
# disc dialogs into PNG files, offscreen.
#
#     scripts/render-sources.sh [OUTPUT_FOLDER]
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
cmake --build "$BUILD_DIR" --target render_sources
QT_QPA_PLATFORM=offscreen "$BUILD_DIR/bin/render_sources" "$OUT"
