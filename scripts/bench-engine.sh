#!/bin/sh
# Measures what the engine adds to a conversion: one 40 s DVD-like title is
# converted alternately through the engine (job script, probe, progress
# parsing) and by the same converter command run directly. Prints each
# round's wall and CPU times and ratios, and the medians of those ratios.
# Usage: bench-engine.sh [BUILD_DIR] [RUNS]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
RUNS=${2:-5}
FIX=$BUILD/fixtures
sh tests/fixtures/make-fixtures.sh "$FIX"
SRC=$(cd "$FIX" && pwd)/long.VOB
OUT=$(mktemp -d)
# The MPEG-4 full-screen preset, as the program passes it on.
trap 'rm -rf "$OUT"' EXIT INT TERM
CONV=$BUILD/bin/core/torvane
ARGS="-f mp4 -r 29.97 -vcodec libx264 -vf scale=640:480 -aspect 4:3 -b:v 1250k -maxrate 1500k -bufsize 4M -bt 256k -refs 1 -bf 3 -coder 1 -me_method umh -me_range 16 -subq 7 -partitions +parti4x4+parti8x8+partp8x8+partb8x8 -g 250 -keyint_min 25 -level 30 -qmin 10 -qmax 51 -qcomp 0.6 -trellis 2 -sc_threshold 40 -i_qfactor 0.71 -b_strategy 2 -qdiff 4 -direct-pred 3 -wpredp 2 -rc_lookahead 50 -acodec libvo_aacenc -b:a 112k -ar 48000 -ac 2"

# Each round runs both once, in turns that alternate (engine first in odd
# rounds, direct first in even ones), and its ratios compare runs made side
# by side: on a shared machine the load drifts over minutes, which unpaired
# medians mix into the result. CPU time (the converter's processes included)
# stands beside wall time, as it hardly depends on what else runs.
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
engine() { "$BUILD/bin/engine_bench" engine "$SRC" "$OUT" mp4 "$ARGS"; }
direct() { "$BUILD/bin/engine_bench" direct "$CONV" "$SRC" "$OUT/direct.mp4" "$ARGS"; }

: > "$OUT/rounds.txt"
i=1
echo "round  engine wall/cpu   direct wall/cpu   ratio wall  ratio cpu"
while [ "$i" -le "$RUNS" ]; do
    if [ $((i % 2)) -eq 1 ]; then
        E=$(engine); D=$(direct)
    else
        D=$(direct); E=$(engine)
    fi
    echo "$i $E $D" | awk '{ printf "%5d  %7.2f %7.2f   %7.2f %7.2f   %10.4f %10.4f\n", $1, $2, $3, $4, $5, $2 / $4, $3 / $5 }' | tee -a "$OUT/rounds.txt"
    i=$((i + 1))
done
W=$(awk '{ print $6 }' "$OUT/rounds.txt" | median)
C=$(awk '{ print $7 }' "$OUT/rounds.txt" | median)
echo "runs: $RUNS rounds, one engine and one direct run each, order alternating"
echo "median of the per-round ratios engine/direct: wall $W, cpu $C (goal: at most 1.03)"
awk '{ print $6 }' "$OUT/rounds.txt" | sort -n | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "wall ratio range: %.4f .. %.4f\n", lo, hi }'
