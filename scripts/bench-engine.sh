#!/bin/sh
# Measures what the engine adds to a conversion: one 40 s DVD-like title is
# converted alternately through the engine (job script, probe, progress
# parsing) and by the same converter command run directly. Prints both
# medians and their ratio (engine / direct).
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

now() { date +%s.%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: > "$OUT/engine.txt"
: > "$OUT/direct.txt"
i=0
while [ "$i" -lt "$RUNS" ]; do
    "$BUILD/bin/engine_bench" "$SRC" "$OUT" mp4 "$ARGS" >> "$OUT/engine.txt"
    start=$(now)
    # shellcheck disable=SC2086 # the preset arguments split at their blanks
    "$CONV" -y -i "$SRC" $ARGS "$OUT/direct.mp4" < /dev/null > /dev/null 2>&1
    awk -v a="$(now)" -v b="$start" 'BEGIN { printf "%.3f\n", a - b }' >> "$OUT/direct.txt"
    i=$((i + 1))
done
E=$(median < "$OUT/engine.txt")
D=$(median < "$OUT/direct.txt")
echo "runs: $RUNS each, alternating"
echo "engine median: $E s"
echo "direct median: $D s"
awk -v e="$E" -v d="$D" 'BEGIN { printf "ratio engine/direct: %.4f (goal: at most 1.03)\n", e / d }'
