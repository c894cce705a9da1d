#!/bin/sh
# Measures the cost per title file of loading a DVD folder: through the
# launcher answering from the DVD's tables, beside the same title files
# without their IFO files, whose probe goes to ffmpeg. Folders: the big DVD
# fixture (two 1 GiB-size pieces) and DVDs of 1, 9 and 99 title files made
# here. Prints the median of RUNS loads per folder.
# Usage: bench-dvd-load.sh [BUILD_DIR] [RUNS]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
RUNS=${2:-3}
FIX=$BUILD/dvd-fixtures
sh tests/fixtures/make-dvd-fixtures.sh "$FIX"
WORK=$BUILD/bench-dvd
mkdir -p "$WORK"

# many COUNT: a DVD of COUNT title sets of one 1 s title each.
many() {
    out=$WORK/many$1
    [ -f "$out/VIDEO_TS/VIDEO_TS.IFO" ] && return 0
    rm -rf "$out"
    mpg=$WORK/one.mpg
    [ -f "$mpg" ] || ffmpeg -nostdin -hide_banner -loglevel error -y \
        -f lavfi -i testsrc2=size=720x576:rate=25 -f lavfi -i sine=frequency=440:sample_rate=48000 \
        -t 1 -target pal-dvd -ac 2 "$mpg"
    {
        echo "<dvdauthor dest=\"$out\"><vmgm/>"
        i=0
        while [ "$i" -lt "$1" ]; do
            echo "<titleset><titles><video format=\"pal\"/><pgc><vob file=\"$mpg\"/></pgc></titles></titleset>"
            i=$((i + 1))
        done
        echo "</dvdauthor>"
    } > "$WORK/many.xml"
    VIDEO_FORMAT=PAL dvdauthor -x "$WORK/many.xml" > "$WORK/dvdauthor.log" 2>&1
}

# bare FOLDER: the title files of FOLDER without any IFO file (links).
bare() {
    out=$WORK/bare-$(basename "$1")
    rm -rf "$out"
    mkdir -p "$out/VIDEO_TS"
    ln "$1"/VIDEO_TS/VTS_*_[1-9].VOB "$out/VIDEO_TS/" 2>/dev/null ||
        cp "$1"/VIDEO_TS/VTS_*_[1-9].VOB "$out/VIDEO_TS/"
    echo "$out"
}

many 1
many 9
many 99
echo "per title file: wall time, and CPU time of the load, program and probing processes (ms)"
printf '%-10s %6s %12s %12s %12s %12s\n' folder files "tables wall" "tables cpu" "ffmpeg wall" "ffmpeg cpu"
for folder in "$FIX/big" "$WORK/many1" "$WORK/many9" "$WORK/many99"; do
    plain=$(bare "$folder")
    # shellcheck disable=SC2046 # three numbers, split on purpose
    set -- $("$BUILD/bin/dvd_load_bench" "$folder" "$RUNS")
    files=$1 wall=$2 cpu=$3
    # shellcheck disable=SC2046
    set -- $("$BUILD/bin/dvd_load_bench" "$plain" "$RUNS")
    printf '%-10s %6s %12s %12s %12s %12s\n' "$(basename "$folder")" "$files" "$wall" "$cpu" "$2" "$3"
    rm -rf "$plain"
done
