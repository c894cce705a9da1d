#!/bin/sh
# Draws the program's windows into PNG files, offscreen, so anyone can look
# at them without a display.
#
#     scripts/render.sh [main|sources|controls|preview|titleview|all] [OUTPUT_FOLDER]
#
#   main      the main window (with a few titles), the conversion dialog, About
#   sources   the loading dialog and the DVD folder and disc dialogs
#   controls  the toolbar, the program's pictures and the folder picker
#   preview   the preview player with frames of the test titles
#   titleview the main window listing the titles of the film-like DVD
#             fixture, the first one in the preview, and again with the Tracks
#             dialog of its main title open (makes that DVD folder first)
#
# The build goes to $BUILD_DIR (default: build); the pictures to
# OUTPUT_FOLDER (default: $BUILD_DIR/render).
set -eu
cd "$(dirname "$0")/.."
WHAT=${1:-all}
BUILD_DIR=${BUILD_DIR:-build}
OUT=${2:-$BUILD_DIR/render}
if [ ! -f "$BUILD_DIR/build.ninja" ] && [ ! -f "$BUILD_DIR/Makefile" ]; then
    cmake -S . -B "$BUILD_DIR" -G Ninja
fi

render() {
    cmake --build "$BUILD_DIR" --target "render_$1"
    if [ "$1" = preview ]; then
        sh tests/fixtures/make-fixtures.sh "$BUILD_DIR/fixtures"
        QT_QPA_PLATFORM=offscreen "$BUILD_DIR/bin/render_preview" "$BUILD_DIR/fixtures" "$OUT"
    elif [ "$1" = titleview ]; then
        sh tests/fixtures/make-film-fixtures.sh "$BUILD_DIR/film-fixtures"
        QT_QPA_PLATFORM=offscreen "$BUILD_DIR/bin/render_titleview" "$BUILD_DIR/film-fixtures/film" "$OUT"
    else
        QT_QPA_PLATFORM=offscreen "$BUILD_DIR/bin/render_$1" "$OUT"
    fi
}

case $WHAT in
    main | sources | controls | preview | titleview) render "$WHAT" ;;
    all) for w in main sources controls preview titleview; do render "$w"; done ;;
    *) sed -n '2,15p' "$0" >&2; exit 2 ;;
esac
echo "Pictures in $OUT"
