#!/bin/sh
# How long a stop takes beside the converter's own: a title of the big DVD
# fixture is converted with a light preset and stopped once well under way
# (SETTLE ms after its first progress report), in rounds of four runs:
#   window   the "Converting..." window, stopped as its Stop button does, to
#            the window closing by itself;
#   command  --convert of the DVD's title 1, sent SIGINT, to its end;
#   direct   ffmpeg with the very arguments the launcher gives it for the
#            title's first file, sent "q", to its end (run twice a round,
#            once beside each of the others).
# Prints each round, then the medians of the per-pair differences and
# ratios window/direct and command/direct.
# Usage: bench-stop.sh [BUILD_DIR] [PAIRS] [SETTLE_MS]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
PAIRS=${2:-9}
SETTLE=${3:-1500}
FIX=$BUILD/dvd-fixtures
sh tests/fixtures/make-dvd-fixtures.sh "$FIX"
SRC=$(cd "$FIX/big/VIDEO_TS" && pwd)/VTS_01_1.VOB
CATEGORY=Nokia
PRESET="Nokia Nxx Video FullScreen"
ARGS="-f mp4 -r 15 -vcodec mpeg4 -vf scale=320:240 -b:v 320k -aspect 4:3 -acodec libvo_aacenc -b:a 96k -ar 44100 -ac 2"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT INT TERM
export QT_QPA_PLATFORM=offscreen
# A private home: the runs' scripts, logs and settings stay out of the user's.
export HOME="$TMP/home" XDG_CONFIG_HOME="$TMP/home/.config" XDG_DATA_HOME="$TMP/home/.local/share"
export XDG_RUNTIME_DIR="$TMP/home/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# The arguments the launcher hands ffmpeg for this conversion, one a line:
# an ffmpeg of our own that writes them down stands in for the real one.
mkdir -p "$TMP/capture" "$TMP/out"
cat > "$TMP/capture/ffmpeg" <<'SCRIPT'
#!/bin/sh
for a in "$@"; do printf '%s\n' "$a"; done > "$CAPTURE"
exit 1
SCRIPT
chmod +x "$TMP/capture/ffmpeg"
# shellcheck disable=SC2086 # the preset's arguments split at their blanks
CAPTURE=$TMP/args PATH="$TMP/capture:$PATH" "$BUILD/bin/core/torvane" -y -i "$SRC" $ARGS \
    "$TMP/out/direct.mp4" > /dev/null 2>&1 || true
[ -s "$TMP/args" ] || { echo "bench-stop: the launcher did not run ffmpeg" >&2; exit 1; }
set --
while IFS= read -r a; do set -- "$@" "$a"; done < "$TMP/args"

window() { "$BUILD/bin/stop_bench" window "$SETTLE" "$SRC" "$TMP/out" "$CATEGORY" "$PRESET"; }
command() {
    "$BUILD/bin/stop_bench" command "$SETTLE" "$BUILD/bin/VelkoFreeDVDRipper" --convert \
        "$FIX/big" --title 1 --category "$CATEGORY" --preset "$PRESET" --output "$TMP/out" \
        --overwrite
}
direct() { "$BUILD/bin/stop_bench" direct "$SETTLE" ffmpeg "$@"; }

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "round   window  direct   command  direct   (ms from the stop to the end)"
: > "$TMP/rounds"
i=1
while [ "$i" -le "$PAIRS" ]; do
    if [ $((i % 2)) -eq 1 ]; then
        W=$(window); D1=$(direct "$@"); C=$(command); D2=$(direct "$@")
    else
        D1=$(direct "$@"); W=$(window); D2=$(direct "$@"); C=$(command)
    fi
    echo "$i $W $D1 $C $D2" | tee -a "$TMP/rounds" |
        awk '{ printf "%5d  %7.1f %7.1f   %7.1f %7.1f\n", $1, $2, $3, $4, $5 }'
    i=$((i + 1))
done
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "medians of $PAIRS rounds:"
echo "  window - direct:  $(awk '{ print $2 - $3 }' "$TMP/rounds" | median) ms," \
    "window / direct $(awk '{ printf "%.2f\n", $2 / $3 }' "$TMP/rounds" | median)"
echo "  command - direct: $(awk '{ print $4 - $5 }' "$TMP/rounds" | median) ms," \
    "command / direct $(awk '{ printf "%.2f\n", $4 / $5 }' "$TMP/rounds" | median)"
echo "  direct alone:     $(awk '{ print $3; print $5 }' "$TMP/rounds" | median) ms"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
