#!/bin/sh
# The preview player's cost beside ffplay's: each plays the same title for
# the same time (default 20 s), offscreen, with its sound decoded and taken
# at the device's rate by an output that drops it (the preview: a null sound
# output; ffplay: SDL's dummy audio and video drivers, which still decode,
# convert and scale every picture to the window). Both draw into an area of
# the same size. Prints CPU seconds (user + system) and peak memory of each.
# Usage: bench-preview.sh [BUILD_DIR] [SECONDS] [TITLE...]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
SECONDS_PLAYED=${2:-20}
[ $# -gt 2 ] && shift 2 || set --
sh tests/fixtures/make-fixtures.sh "$BUILD/fixtures"
[ $# -gt 0 ] || set -- "$BUILD/fixtures/long.VOB"
command -v ffplay >/dev/null || { echo "bench-preview: ffplay not found" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "bench-preview: /usr/bin/time not found" >&2; exit 1; }
W=360 H=202

measure() { # LABEL COMMAND...: runs it, prints CPU seconds and peak MB
    label=$1
    shift
    /usr/bin/time -f "%U %S %M" -o "$TMP" "$@" > /dev/null 2>&1 || true
    awk -v l="$label" '{ printf "%-8s cpu %6.2f s   peak memory %6.1f MB\n", l, $1 + $2, $3 / 1024 }' "$TMP"
}

TMP=$(mktemp)
trap 'rm -f "$TMP"' EXIT INT TERM
for title in "$@"; do
    echo "$title, $SECONDS_PLAYED s played, pictures drawn at ${W}x$H:"
    QT_QPA_PLATFORM=offscreen measure preview "$BUILD/bin/preview_bench" "$title" "$SECONDS_PLAYED" "$W" "$((H + 30))"
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy measure ffplay \
        ffplay -hide_banner -loglevel error -nostats -autoexit -t "$SECONDS_PLAYED" -x "$W" -y "$H" "$title"
done
