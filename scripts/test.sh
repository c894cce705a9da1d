#!/bin/sh
# Installs what is needed, builds, and runs every test: the formatting check,
# the fast unit tests, the end-to-end tests with the real converter and the
# sweep of all presets.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/build.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake --build "$BUILD_DIR" --target format-check
cd "$BUILD_DIR"
ctest --output-on-failure --parallel 2 -L 'unit|e2e|presets'
