#!/bin/sh
# Builds render_preview and draws the preview player, with frames of the test
# titles, a file it cannot preview and no file at all, into PNG files,
# offscreen.
#
#     scripts/render-preview.sh [OUTPUT_FOLDER]
#
# The build goes to $BUILD_DIR (default: build), the test titles to
# $BUILD_DIR/fixtures (made when missing), the pictures to OUTPUT_FOLDER
# (default: $BUILD_DIR/render).
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
OUT=${1:-$BUILD_DIR/render}
if [ ! -f "$BUILD_DIR/build.ninja" ] && [ ! -f "$BUILD_DIR/Makefile" ]; then
    cmake -S . -B "$BUILD_DIR" -G Ninja
fi
cmake --build "$BUILD_DIR" --target render_preview
sh tests/fixtures/make-fixtures.sh "$BUILD_DIR/fixtures"
QT_QPA_PLATFORM=offscreen "$BUILD_DIR/bin/render_preview" "$BUILD_DIR/fixtures" "$OUT"
