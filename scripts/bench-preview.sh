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
# Both drop pictures that come too late for the sound. Both get the same
# stretch of the title: its first SECONDS, cut from the file at a pack
# boundary (a player told to stop after a time reads on to the end of a long
# file), and both play it to its end. Each player runs RUNS times (default
# 5), in pairs whose order alternates; the median CPU seconds (user + system)
# of each, the largest peak memory and the median of the per-pair ratios
# preview/ffplay are printed.
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
RUNS=${RUNS:-5}
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
    /usr/bin/time -f "%U %S %M" -o "$TMP/one" "$@" > "$TMP/$name.out" 2>&1 ||
        echo "  $name failed: $(tail -n 3 "$TMP/$name.out" | tr '\n' ' ')"
    # A failed run's status comes first in the file, the times last.
    tail -n 1 "$TMP/one" | awk '{ printf "%.2f %d\n", $1 + $2, $3 }' >> "$TMP/$name"
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

# stretch_of TITLE: the title's first SECONDS_PLAYED seconds, cut after the
# pack that holds the last picture of that time (counted in pictures at the
# title's frame rate, as a file whose timestamps start afresh misleads its
# length and bit rate); the file itself when it is no longer.
stretch_of() {
    length=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$1")
    if awk -v l="$length" -v s="$SECONDS_PLAYED" 'BEGIN { exit !(l <= s) }'; then
        echo "$1"
        return
    fi
    rate=$(ffprobe -v error -select_streams v:0 -show_entries stream=r_frame_rate -of csv=p=0 "$1" |
        head -n 1 | tr -d ,)
    pictures=$(awk -v r="$rate" -v s="$SECONDS_PLAYED" 'BEGIN { split(r, f, "/"); printf "%d", s * f[1] / f[2] }')
    pos=$(ffprobe -v error -select_streams v:0 -show_entries packet=pos -of csv=p=0 "$1" 2>/dev/null |
        sed -n "${pictures}p")
    if [ -z "$pos" ]; then
        echo "$1"
        return
    fi
    head -c $(((pos / 2048 + 1) * 2048)) "$1" > "$TMP/cut.VOB"
    echo "$TMP/cut.VOB"
}

# ratio: the median of the per-pair ratios of the two lists' CPU times
ratio() {
    paste "$TMP/preview" "$TMP/ffplay" | awk '{ print $1 / $3 }' | sort -n | awk '
        { v[NR] = $1 }
        END { printf "median of the per-pair ratios preview/ffplay: %.2f\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for title in "$@"; do
    stretch=$(stretch_of "$title")
    echo "$title, its first $SECONDS_PLAYED s played to the end, pictures drawn in ${W}x$H:"
    rm -f "$TMP/preview" "$TMP/ffplay"
    i=0
    while [ $i -lt "$RUNS" ]; do
        play_preview() {
            QT_QPA_PLATFORM=offscreen run preview \
                "$BUILD/bin/preview_bench" "$stretch" $((SECONDS_PLAYED + 10)) "$W" "$H"
        }
        play_ffplay() {
            SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy run ffplay \
                ffplay -hide_banner -loglevel error -nostats -autoexit -x "$W" -y "$H" "$stretch"
        }
        if [ $((i % 2)) -eq 0 ]; then play_preview; play_ffplay; else play_ffplay; play_preview; fi
        i=$((i + 1))
    done
    grep "^preview:" "$TMP/preview.out" | sed "s/^/  /" || true
    report preview
    report ffplay
    ratio
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
