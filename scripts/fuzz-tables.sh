#!/bin/sh
# Runs the DVD reader's fuzz target (built with -DVELKO_FUZZ=ON in FUZZ_DIR)
# for SECONDS, seeded from a fixture DVD folder's tables: its IFO files, and
# the text the launcher writes of them.
#   sh scripts/fuzz-tables.sh FUZZ_DIR DVD_FOLDER LAUNCHER [SECONDS]
set -eu
FUZZ_DIR=$1
DISC=$2/VIDEO_TS
LAUNCHER=$3
SECONDS_TO_RUN=${4:-60}
CORPUS=$FUZZ_DIR/corpus
SEEDS=$FUZZ_DIR/seeds
rm -rf "$SEEDS"
mkdir -p "$CORPUS" "$SEEDS"
# The first byte picks what the rest is (fuzz/fuzz_tables.cpp).
{ printf '\000'; "$LAUNCHER" --tables "$2"; } > "$SEEDS/tables-text"
{ printf '\001'; cat "$DISC/VIDEO_TS.IFO"; } > "$SEEDS/video-ts-ifo"
{ printf '\002'; cat "$DISC/VTS_01_0.IFO"; } > "$SEEDS/vts-01-ifo"
# Leak reports stay off, as in the sanitizer build; a crash of the forked
# child that reads the tables is no finding (the program survives it).
VELKO_FUZZ_DISC=$DISC ASAN_OPTIONS=detect_leaks=0 \
    "$FUZZ_DIR/bin/fuzz_tables" -max_total_time="$SECONDS_TO_RUN" -timeout=30 \
    -artifact_prefix="$FUZZ_DIR/" "$CORPUS" "$SEEDS"
