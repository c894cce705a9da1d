#!/bin/sh
# The file view's load of a DVD folder beside the engine alone, and each
# title file's probe beside the launcher's own "torvane -i": load_bench
# runs them in turns, ROUNDS times (default 9), on the big DVD fixture and
# on a DVD of 9 title sets made here.
# Usage: bench-file-view.sh [BUILD_DIR] [ROUNDS]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ROUNDS=${2:-9}
FIX=$BUILD/dvd-fixtures
sh tests/fixtures/make-dvd-fixtures.sh "$FIX"
WORK=$BUILD/bench-dvd
mkdir -p "$WORK"
# A DVD of 9 title sets of one 1 s title each, made once.
many=$WORK/many9
if [ ! -f "$many/VIDEO_TS/VIDEO_TS.IFO" ]; then
    rm -rf "$many"
    ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc2=size=720x576:rate=25 \
        -f lavfi -i sine=frequency=440:sample_rate=48000 -t 1 -target pal-dvd -ac 2 \
        "$WORK/one.mpg"
    {
        echo "<dvdauthor dest=\"$many\"><vmgm/>"
        for _ in 1 2 3 4 5 6 7 8 9; do
            echo "<titleset><titles><video format=\"pal\"/><pgc><vob file=\"$WORK/one.mpg\"/></pgc></titles></titleset>"
        done
        echo "</dvdauthor>"
    } > "$WORK/many9.xml"
    VIDEO_FORMAT=PAL dvdauthor -x "$WORK/many9.xml" > "$WORK/dvdauthor.log" 2>&1
fi
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT INT TERM
export QT_QPA_PLATFORM=offscreen
# A private home: the runs' scripts, logs and settings stay out of the user's.
export HOME="$TMP/home" XDG_CONFIG_HOME="$TMP/home/.config" XDG_DATA_HOME="$TMP/home/.local/share"
export XDG_RUNTIME_DIR="$TMP/home/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for folder in "$FIX/big" "$many"; do
    echo "$(basename "$folder"):"
    "$BUILD/bin/load_bench" "$ROUNDS" "$folder"
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
