#!/usr/bin/env bash
# The record tree through kiwiprobe tree: the roots the program's opener makes for the fixture sources and
# the nodes the builders add (crawled to depth 12), and the fallback views and hex viewer placements of the
# first levels, compared with golden text. UPDATE_GOLDEN=1 rewrites the golden files instead (check the difference by hand before committing).
set -euo pipefail
mkdir -p "$KIWI_WORK_DIR"
work="$KIWI_WORK_DIR"
golden="$KIWI_SOURCE_DIR/tests/cli/golden"

compare() {
    local name=$1 out=$2
    # Views name the folders they read from: the work folder is written as <work>.
    sed -i "s|$work|<work>|g" "$out"
    if [ "${UPDATE_GOLDEN:-0}" = 1 ]; then
        cp "$out" "$golden/$name"
    else
        diff -u "$golden/$name" "$out"
    fi
}

# ALLDATA.KWI with parcel data frames: every node of the map, then the first two levels with their views.
rm -rf "$work/alldata"
"$KIWIPROBE" gen-alldata "$work/alldata" --frames >/dev/null
"$KIWIPROBE" tree "$work/alldata" >"$work/tree-alldata.txt"
compare tree-alldata.txt "$work/tree-alldata.txt"

# The map's management records with their views, down to the parcels (depth 5; the parcels' frames are
# not opened): the data volume, every management header (with spare ones inside and past the end of the
# file), levels, block sets, blocks, divided parcels and parcels. Once as format 2, once as format 8.
mapRecords() {
    # The "ALL DATA" subtree, without what lies below the management nodes other than "Map Data".
    awk '
        /^"/ { inside = ($0 ~ /^"ALL DATA" kind 7 /) }
        !inside { next }
        /^  "/ { other = ($0 !~ /^  "Map Data" /) }
        other && (/^    "/ || /^      /) { next }
        { print }
    '
}
for variant in "" wide; do
    rm -rf "$work/managed"
    "$KIWIPROBE" gen-alldata "$work/managed" --frames --spare-headers ${variant:+--$variant} >/dev/null
    name="tree-alldata-grid${variant:+-$variant}.txt"
    "$KIWIPROBE" tree "$work/managed" --depth 5 --grid | mapRecords >"$work/$name"
    compare "$name" "$work/$name"
done
# The same records of the sample disc's map.
rm -rf "$work/sample"
"$STROVANE_SAMPLE_DISC" "$work/sample" >/dev/null
"$KIWIPROBE" tree "$work/sample" --depth 5 --grid | mapRecords >"$work/tree-sample-grid.txt"
compare tree-sample-grid.txt "$work/tree-sample-grid.txt"

# The parcel data views: the first three nodes of each kind of the frames map and the first of each kind of
# the sample disc, with their rows, texts decoded as UTF-8 as the charset menu would. Every kind of a
# parcel's frames must be there with rows of its own.
"$KIWIPROBE" tree "$work/alldata" --grid --per-kind 3 --codepage 65001 >"$work/tree-alldata-kinds.txt"
compare tree-alldata-kinds.txt "$work/tree-alldata-kinds.txt"
rm -rf "$work/sample"
mkdir -p "$work/sample"
(cd "$work/sample" && "$STROVANE_SAMPLE_DISC" disc >/dev/null)
"$KIWIPROBE" tree "$work/sample/disc" --grid --per-kind 1 --codepage 65001 >"$work/tree-sample-kinds.txt"
compare tree-sample-kinds.txt "$work/tree-sample-kinds.txt"
for dump in tree-alldata-kinds.txt tree-sample-kinds.txt; do
    for kind in 15 16 17 23 25 26 27 28 29 30 31 40 41 42 46 433 435 436 2300 2310 2320 2330 2340 2350; do
        # The node's line is followed by a row of its view, not the fallback.
        if ! grep -A1 "\" kind $kind index" "$work/$dump" | grep -q '^ *| [0-9]|'; then
            echo "tree: no kind $kind node with its rows in $dump"
            exit 1
        fi
        if grep -A1 "\" kind $kind index" "$work/$dump" | grep -q 'Sorry. Not Implimented'; then
            echo "tree: kind $kind shows the fallback in $dump"
            exit 1
        fi
    done
done

# Format 8: the RDS-TMC and local headers are not there, parcels get no frame nodes.
rm -rf "$work/wide"
"$KIWIPROBE" gen-alldata "$work/wide" --frames --wide >/dev/null
"$KIWIPROBE" tree "$work/wide/ALLDATA.KWI" | grep -c '" kind 15 ' >"$work/wide-roads.txt" || true
[ "$(cat "$work/wide-roads.txt")" = 0 ] || { echo "tree: format 8 parcels got frame nodes"; exit 1; }

# LOADING.KWI and COVERAGE.BIN (a picture named with "../" gets no file), from files and from an image.
rm -rf "$work/loading"
"$KIWIPROBE" gen-loading "$work/loading"
{
    "$KIWIPROBE" tree "$work/loading" --grid
    "$KIWIPROBE" tree "$work/loading/disc" --grid
} >"$work/tree-loading.txt"
compare tree-loading.txt "$work/tree-loading.txt"
# The program opens an image at its root: LOADING.KWI of one, COVERAGE.BIN of another. The current folder
# holds decoys of the same names that must not be read instead of the image's files.
xorriso -as mkisofs -quiet -o "$work/loading.iso" "$work/loading" 2>/dev/null
xorriso -as mkisofs -quiet -o "$work/disc.iso" "$work/loading/disc" 2>/dev/null
rm -rf "$work/elsewhere"
mkdir -p "$work/elsewhere"
cp "$work/loading/disc/area1.bmp" "$work/elsewhere/none.bmp"
cp "$work/loading/disc/COVERAGE.BIN" "$work/elsewhere/COVERAGE.BIN"
(
    cd "$work/elsewhere"
    "$KIWIPROBE" tree --image ../loading.iso --grid
    "$KIWIPROBE" tree --image ../disc.iso --grid
) >"$work/tree-loading-image.txt"
compare tree-loading-image.txt "$work/tree-loading-image.txt"

# Single files: the roots of the other readers and what their builders add.
rm -rf "$work/files"
for command in gen-voice gen-region gen-picture gen-index gen-rdstmc; do
    "$KIWIPROBE" $command "$work/files" >/dev/null
done
{
    for file in VOICEDAT.KWI VOICE001.ME REGION.KWI PCT2MNG.KWI INDEXDAT.KWI DICVCE56.KWI; do
        echo "== $file"
        "$KIWIPROBE" tree "$work/files/$file" --depth 3
    done
} >"$work/tree-files.txt"
compare tree-files.txt "$work/tree-files.txt"

# Every data part of a disc (files named by the management headers, parts inside ALLDATA.KWI): each node
# with the rows its view shows, what it asks of the window (pictures, sound) and where the hex viewer goes.
rm -rf "$work/parts"
"$KIWIPROBE" gen-source "$work/parts" --parts >/dev/null
"$KIWIPROBE" tree "$work/parts" --grid >"$work/tree-parts-grid.txt"
compare tree-parts-grid.txt "$work/tree-parts-grid.txt"

# The sample disc's search data, pictures and voice, each file alone: the index tables that the views open
# are dumped with their columns and their first and last rows.
rm -rf "$work/sample"
"$STROVANE_SAMPLE_DISC" "$work/sample" >/dev/null
{
    for file in INDEXDAT.KWI PCT2MNG.KWI VOICEDAT.KWI; do
        echo "== $file"
        "$KIWIPROBE" tree "$work/sample/$file" --grid --per-kind 20
    done
} >"$work/tree-sample-parts.txt"
compare tree-sample-parts.txt "$work/tree-sample-parts.txt"

# A folder without KIWI files opens nothing.
mkdir -p "$work/empty"
if "$KIWIPROBE" tree "$work/empty" 2>"$work/empty.txt"; then
    echo "tree: an empty folder opened"
    exit 1
fi
grep -qx "no KIWI data in empty" "$work/empty.txt"
echo "tree: ok"
