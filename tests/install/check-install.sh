#!/bin/sh
# Installs the build into a fresh prefix, moves that prefix elsewhere (so
# nothing can lean on the build tree or on the first location) and checks what
# a user meets: the command in bin/ runs without a display, the program starts
# and finds its converter launcher, the desktop files validate and name files
# that are installed.
#
#     check-install.sh BUILD_DIR WORK_DIR APP_ID VERSION WINDOW_PROGRAM
set -eu
BUILD=$1
WORK=$2
APP_ID=$3
VERSION=$4
WINDOW_PROGRAM=$5

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$WORK"
mkdir -p "$WORK"
cmake --install "$BUILD" --prefix "$WORK/first" > "$WORK/install.log" ||
    fail "cmake --install failed (see $WORK/install.log)"
mv "$WORK/first" "$WORK/moved prefix"
PREFIX="$WORK/moved prefix"
CMD="$PREFIX/bin/velko-free-dvd-ripper"

# A private home, as a user would have one, and no display at all.
export HOME="$WORK/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
export XDG_CACHE_HOME="$HOME/.cache" XDG_RUNTIME_DIR="$HOME/runtime"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM LD_LIBRARY_PATH

echo "-- the command in bin/"
[ -L "$CMD" ] || fail "$CMD is not a symbolic link"
PROGRAM_DIR=$(dirname "$(readlink -f "$CMD")")
case $PROGRAM_DIR in
    "$PREFIX"/*/velko-free-dvd-ripper) ;;
    *) fail "bin/velko-free-dvd-ripper leads to $PROGRAM_DIR, not to the program folder" ;;
esac
out=$("$CMD" --version) || fail "--version failed"
[ "$out" = "Velko Free DVD Ripper $VERSION" ] || fail "--version printed: $out"

echo "-- the command line loads no window library"
ldd "$PROGRAM_DIR/VelkoFreeDVDRipper" > "$WORK/ldd-front.txt"
! grep -E "libQt6(Gui|Widgets)|libprevkit|libavcodec" "$WORK/ldd-front.txt" ||
    fail "the front program loads window or codec libraries"

echo "-- the preview library comes from the program folder"
ldd "$PROGRAM_DIR/$WINDOW_PROGRAM" > "$WORK/ldd.txt"
grep -q "libprevkit.so => $PROGRAM_DIR/libprevkit.so" "$WORK/ldd.txt" ||
    fail "libprevkit.so not found in the program folder: $(grep prevkit "$WORK/ldd.txt")"

echo "-- an offscreen start finds the launcher"
out=$(QT_QPA_PLATFORM=offscreen "$CMD" --self-check 2> "$WORK/start.err") ||
    fail "the installed program did not start: $(cat "$WORK/start.err")"
echo "$out" | grep -qx "launcher: $PROGRAM_DIR/core/torvane" || fail "self-check printed: $out"
# The window names the desktop entry it belongs to: that entry is installed.
entry=$(echo "$out" | sed -n 's/^desktop entry: //p')
if [ -z "$entry" ] || [ ! -f "$PREFIX/share/applications/$entry" ]; then
    fail "the window's desktop entry '$entry' is not installed"
fi
"$PROGRAM_DIR/core/torvane" -version > /dev/null 2>&1 ||
    fail "the installed launcher does not run"

echo "-- without its launcher the program says so"
mv "$PROGRAM_DIR/core/torvane" "$WORK/torvane.away"
if QT_QPA_PLATFORM=offscreen "$CMD" --self-check > /dev/null 2> "$WORK/missing.err"; then
    fail "self-check passed without core/torvane"
fi
grep -q "launcher not found: $PROGRAM_DIR/core/torvane" "$WORK/missing.err" ||
    fail "no message about the missing launcher: $(cat "$WORK/missing.err")"
mv "$WORK/torvane.away" "$PROGRAM_DIR/core/torvane"

echo "-- desktop entry"
DESKTOP="$PREFIX/share/applications/$APP_ID.desktop"
[ -f "$DESKTOP" ] || fail "no desktop entry $DESKTOP"
[ "$entry" = "$APP_ID.desktop" ] || fail "the window belongs to $entry, not to $APP_ID.desktop"
desktop-file-validate "$DESKTOP" || fail "desktop-file-validate"
exec_cmd=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$DESKTOP")
[ -x "$PREFIX/bin/$exec_cmd" ] || fail "Exec=$exec_cmd is not in bin/"
icon=$(sed -n 's/^Icon=//p' "$DESKTOP")
for size in 16 22 24 32 48 64 128 256; do
    png="$PREFIX/share/icons/hicolor/${size}x$size/apps/$icon.png"
    [ -f "$png" ] || fail "no $size px icon"
    file -b "$png" | grep -q "PNG image data, $size x $size" || fail "$png: $(file -b "$png")"
done
svg="$PREFIX/share/icons/hicolor/scalable/apps/$icon.svg"
grep -q "<svg" "$svg" || fail "no scalable icon"

echo "-- metainfo"
META="$PREFIX/share/metainfo/$APP_ID.metainfo.xml"
[ -f "$META" ] || fail "no metainfo $META"
appstreamcli validate --no-net "$META" || fail "appstreamcli validate"
grep -q "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>" "$META" ||
    fail "the metainfo does not launch the desktop entry"
grep -q "<release version=\"$VERSION\"" "$META" || fail "the metainfo's release is not $VERSION"

echo "-- man page"
MAN="$PREFIX/share/man/man1/velko-free-dvd-ripper.1.gz"
warnings=$(man --warnings -l "$MAN" 2>&1 > /dev/null) || fail "man cannot show $MAN"
[ -z "$warnings" ] || fail "man warnings: $warnings"

rm -rf "$WORK"
echo "installed program checked"
