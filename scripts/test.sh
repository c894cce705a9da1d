#!/bin/sh
# Installs what is needed, builds, and runs every test: the formatting check,
# the fast unit tests, the end-to-end tests with the real converter and the
# sweep of all presets; then the unit and end-to-end tests again under the
# sanitizers, and the DVD tables' fuzz target for a minute.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/build.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake --build "$BUILD_DIR" --target format-check
ctest --test-dir "$BUILD_DIR" --output-on-failure --parallel 2 -L 'unit|e2e|presets'

# The unit and end-to-end tests once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer in a second build folder; any report fails the
# test that caused it. Leak reports stay off: the libraries below Qt
# (fontconfig, the GL and audio stacks) keep allocations for the life of the
# process by design. Left out: the preset sweep, which spends its time in
# ffmpeg, not in our code, and the preview's sound test, which measures how
# closely sound follows the pictures in real time and so cannot hold under
# the sanitizers' slowdown (its code paths run in the other preview tests).
ASAN_DIR=${ASAN_BUILD_DIR:-build-asan}
cmake -S . -B "$ASAN_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKO_SANITIZE=ON
cmake --build "$ASAN_DIR" --parallel "$(nproc)"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:detect_stack_use_after_return=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$ASAN_DIR" --output-on-failure --parallel 2 -L 'unit|e2e' \
    -E '^tst_prevkit_sound$'

# The fuzz target of the DVD reader's table reading, 60 s under the
# sanitizers, seeded from a fixture disc's tables: a build of the DVD reader
# and the target alone, with clang.
FUZZ_DIR=${FUZZ_BUILD_DIR:-build-fuzz}
cmake -S . -B "$FUZZ_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKO_FUZZ=ON \
    -DCMAKE_CXX_COMPILER=clang++
cmake --build "$FUZZ_DIR" --parallel "$(nproc)"
sh scripts/fuzz-tables.sh "$FUZZ_DIR" "$BUILD_DIR/fixtures/dvd" "$BUILD_DIR/bin/core/torvane" 60
