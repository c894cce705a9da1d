#!/bin/sh
# Measures what the picture steps cost a conversion: a 40 s interlaced PAL
# title (woven from 50 fps pictures) is converted with the MPEG-4 full-screen
# preset through the launcher three ways in each round, in an order that
# turns round by round:
#   off   VELKO_PICTURE=0: the preset's own picture options only;
#   cold  an empty analysis cache: the scan and bar analysis, then the
#         chain (deinterlacing, shape, crop);
#   warm  the analysis found in the cache: the chain only.
# Prints each round's wall and CPU times (the launcher's children included)
# and the medians of the per-round ratios to "off".
# Usage: bench-picture.sh [BUILD_DIR] [RUNS]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
RUNS=${2:-5}
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT INT TERM
CONV=$BUILD/bin/core/torvane
SRC=$OUT/woven.VOB
ffmpeg -nostdin -hide_banner -loglevel error -y \
    -f lavfi -i "testsrc2=size=360x288:rate=50,scale=720:576,tinterlace=mode=interleave_top,setfield=tff" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000" -t 40 -target pal-dvd -aspect 4:3 -ac 2 \
    -flags:v +ilme+ildct -top 1 -threads 2 "$SRC"
ARGS="-f mp4 -r 29.97 -vcodec libx264 -vf scale=640:480 -aspect 4:3 -b:v 1250k -maxrate 1500k -bufsize 4M -bt 256k -refs 1 -bf 3 -coder 1 -me_method umh -me_range 16 -subq 7 -partitions +parti4x4+parti8x8+partp8x8+partb8x8 -g 250 -keyint_min 25 -level 30 -qmin 10 -qmax 51 -qcomp 0.6 -trellis 2 -sc_threshold 40 -i_qfactor 0.71 -b_strategy 2 -qdiff 4 -direct-pred 3 -wpredp 2 -rc_lookahead 50 -acodec libvo_aacenc -b:a 112k -ar 48000 -ac 2"

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
convert() { "$BUILD/bin/engine_bench" direct "$CONV" "$SRC" "$OUT/out.mp4" "$ARGS"; }
off() { VELKO_PICTURE=0 convert; }
cold() { rm -rf "$OUT/cold"; XDG_CACHE_HOME=$OUT/cold convert; }
warm() { XDG_CACHE_HOME=$OUT/warm convert; }
XDG_CACHE_HOME=$OUT/warm "$CONV" --analyse "$SRC" > /dev/null 2>&1

: > "$OUT/rounds.txt"
i=1
echo "round  off wall/cpu       cold wall/cpu      warm wall/cpu"
while [ "$i" -le "$RUNS" ]; do
    case $((i % 3)) in
    1) F=$(off); C=$(cold); W=$(warm) ;;
    2) C=$(cold); W=$(warm); F=$(off) ;;
    *) W=$(warm); F=$(off); C=$(cold) ;;
    esac
    echo "$i $F $C $W" | awk '{ printf "%5d  %7.2f %7.2f   %7.2f %7.2f   %7.2f %7.2f\n", $1, $2, $3, $4, $5, $6, $7 }' | tee -a "$OUT/rounds.txt"
    i=$((i + 1))
done
echo "runs: $RUNS rounds of a 40 s interlaced title with the MPEG-4 full-screen preset"
for column in "4 2 cold/off wall" "5 3 cold/off cpu" "6 2 warm/off wall" "7 3 warm/off cpu"; do
    set -- $column
    R=$(awk -v a="$1" -v b="$2" '{ print $a / $b }' "$OUT/rounds.txt" | median)
    echo "median ratio $3 $4: $R"
done
A=$(awk '{ print $4 - $6 }' "$OUT/rounds.txt" | median)
echo "median wall time of the analysis (cold - warm): $A s"
