#!/bin/sh
# The command line's title listing beside lsdvd's on the same DVD folders:
# PAIRS runs of each in turns (default 9), their medians and the median of
# the per-pair ratios program/lsdvd.
# Usage: bench-list-titles.sh [BUILD_DIR] [PAIRS]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
PAIRS=${2:-9}
command -v lsdvd >/dev/null || { echo "bench-list-titles: lsdvd not found" >&2; exit 1; }
FIX=$BUILD/dvd-fixtures
sh tests/fixtures/make-dvd-fixtures.sh "$FIX"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for folder in "$FIX/ntsc" "$FIX/big"; do
    echo "$(basename "$folder"): A = --list-titles, B = lsdvd"
    "$BUILD/bin/pair_bench" "$PAIRS" "$BUILD/bin/VelkoFreeDVDRipper" --list-titles "$folder" \
        -- lsdvd "$folder"
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
