#!/bin/sh
# Prints which source folders include headers of which others, one line per
# folder: "app -> cli controls dvd ...". A header is placed in the folder that
# holds it; includes of a folder's own headers are left out. Compare the
# lines with the layers in CODING_GUIDELINES.md.
#
# Usage: scripts/include-graph.sh [repository root]
set -eu
root=${1:-$(dirname "$0")/..}
cd "$root"

folders=$(for f in */CMakeLists.txt; do dirname "$f"; done | grep -v -e '^tests$' -e '^bench$')

# header name -> folder, for every header of the source folders
map=$(for d in $folders; do
    find "$d" -name '*.h' -printf "%f $d\n"
done)

for d in $folders; do
    used=$(find "$d" \( -name '*.cpp' -o -name '*.h' \) -exec \
        sed -n 's/^#include "\([^"]*\)".*/\1/p' {} + | sed 's|.*/||' | sort -u |
        while read -r header; do
            printf '%s\n' "$map" | awk -v h="$header" '$1 == h { print $2 }'
        done | grep -v -x "$d" | sort -u | tr '\n' ' ')
    echo "$d -> ${used:-(none)}"
done
