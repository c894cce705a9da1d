#!/bin/sh
# The preview player's cost beside ffplay's, on the same titles. Each plays a
# title from its start for the same time (default 20 s), offscreen, in a
# picture area of the same size, with its sound decoded, converted and taken
# at the device's rate by an output that drops it:
#   preview  the player in a window with the area and its control row, a
#            null sound output; each picture shown is scaled and converted to
#            RGB once, at the size it is drawn, and painted into the window.
#   ffplay   SDL's dummy video and audio drivers: the picture is converted to
#            RGB at its stored size and stretched into the window by SDL's
#            software renderer; the dummy audio device pulls the sound.
# Both drop pictures that come too late for the sound. Each player runs RUNS
# times (default 3), the two alternating; the median CPU seconds (user +
# system) and the largest peak memory of each are printed.
#
# Usage: bench-preview.sh [BUILD_DIR] [SECONDS] [TITLE...]
# Without titles: the fixtures' long.VOB (PAL 16:9), and of the DVD fixtures
# the big DVD's VTS_01_2.VOB (PAL 4:3, noisy at 9 Mbit/s, the end of a long
# title and a title whose timestamps start afresh), its VTS_02_1.VOB (16:9,
# two sound streams, 10 s) and the NTSC DVD's VTS_01_1.VOB (three titles).
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
SECONDS_PLAYED=${2:-20}
RUNS=${RUNS:-3}
[ $# -gt 2 ] && shift 2 || set --
command -v ffplay >/dev/null || { echo "bench-preview: ffplay not found" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "bench-preview: /usr/bin/time not found" >&2; exit 1; }
if [ $# -eq 0 ]; then
    sh tests/fixtures/make-fixtures.sh "$BUILD/fixtures"
    sh tests/fixtures/make-dvd-fixtures.sh "$BUILD/dvd-fixtures"
    set -- "$BUILD/fixtures/long.VOB" \
        "$BUILD/dvd-fixtures/big/VIDEO_TS/VTS_01_2.VOB" \
        "$BUILD/dvd-fixtures/big/VIDEO_TS/VTS_02_1.VOB" \
        "$BUILD/dvd-fixtures/ntsc/VIDEO_TS/VTS_01_1.VOB"
fi
W=360 H=202

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT INT TERM

# run NAME COMMAND...: runs it once, adds "CPU_SECONDS PEAK_KB" to NAME's list
run() {
    name=$1
    shift
    /usr/bin/time -f "%U %S %M" -o "$TMP/one" "$@" > "$TMP/$name.out" 2>&1 || true
    awk '{ printf "%.2f %d\n", $1 + $2, $3 }' "$TMP/one" >> "$TMP/$name"
}

# report NAME: median CPU, largest peak and every run's CPU
report() {
    sort -n "$TMP/$1" | awk -v l="$1" '
        { cpu[NR] = $1; if ($2 > peak) peak = $2; all = all " " $1 }
        END {
            m = NR % 2 ? cpu[(NR + 1) / 2] : (cpu[NR / 2] + cpu[NR / 2 + 1]) / 2
            printf "%-8s cpu %6.2f s (median of %d:%s)   peak memory %6.1f MB\n", l, m, NR, all, peak / 1024
        }'
}

for title in "$@"; do
    echo "$title, $SECONDS_PLAYED s played, pictures drawn in ${W}x$H:"
    rm -f "$TMP/preview" "$TMP/ffplay"
    i=0
    while [ $i -lt "$RUNS" ]; do
        QT_QPA_PLATFORM=offscreen run preview \
            "$BUILD/bin/preview_bench" "$title" "$SECONDS_PLAYED" "$W" "$H"
        SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy run ffplay \
            ffplay -hide_banner -loglevel error -nostats -autoexit -t "$SECONDS_PLAYED" \
            -x "$W" -y "$H" "$title"
        i=$((i + 1))
    done
    grep "^preview:" "$TMP/preview.out" | sed "s/^/  /" || true
    report preview
    report ffplay
done
