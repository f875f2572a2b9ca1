#!/usr/bin/env bash
# Every record of every parcel data frame of the fixture "ALLDATA.KWI" (system number 2, UTF-8 texts, and
# the wide variant: system number 8, UTF-16 texts) matches the golden text, read as a plain file, as a
# volume set and from inside an ISO image; the frames of a parcel cost at most 3 underlying reads.
set -euo pipefail
: "${KIWIPROBE:?}" "${KIWI_WORK_DIR:?}" "${KIWI_SOURCE_DIR:?}"
work="$KIWI_WORK_DIR"
rm -rf "$work" && mkdir -p "$work"
golden="$KIWI_SOURCE_DIR/tests/cli/golden"

"$KIWIPROBE" gen-alldata "$work/plain" --frames > /dev/null
"$KIWIPROBE" frames "$work/plain/ALLDATA.KWI" --all > "$work/plain.txt"
diff -u "$golden/frames.txt" "$work/plain.txt"

"$KIWIPROBE" gen-alldata "$work/wide" --frames --wide > /dev/null
"$KIWIPROBE" frames "$work/wide/ALLDATA.KWI" --all --codepage 1200 > "$work/wide.txt"
diff -u "$golden/frames-wide.txt" "$work/wide.txt"

# A volume set: the first part ends inside the parcel frames, so some frames cross into the second part.
mkdir -p "$work/volumes"
"$KIWIPROBE" gen-alldata "$work/volumes" --frames --volumes 9000 > /dev/null
"$KIWIPROBE" frames "$work/volumes/ALLDATA1.KWI" --all > "$work/volumes.txt"
diff -u "$golden/frames.txt" "$work/volumes.txt"

# Inside an ISO image, in a folder, the data files beside it.
if command -v xorriso > /dev/null; then
    mkdir -p "$work/tree/MAP"
    cp "$work/wide/"* "$work/tree/MAP/"
    xorriso -as mkisofs -quiet -o "$work/disc.iso" "$work/tree" 2> /dev/null
    "$KIWIPROBE" frames 'MAP\ALLDATA.KWI' --image "$work/disc.iso" --all --codepage 1200 > "$work/iso.txt"
    diff -u "$golden/frames-wide.txt" "$work/iso.txt"
elif [ "${CI:-}" = true ]; then
    echo "FAIL: xorriso is not installed, and CI=true needs it" >&2
    exit 1
fi

# Reads per parcel: the main map data frame in one read, the route guidance frame in one more.
for variant in plain wide; do
    reads=$("$KIWIPROBE" frames "$work/$variant/ALLDATA.KWI" --all --reads --quiet | awk '/^frame reads/ {print $4, $8}')
    set -- $reads
    if (($1 > 3)); then
        echo "too many reads per parcel ($variant): $1" >&2
        exit 1
    fi
    [ "$2" -gt 40 ]
done
echo "frames ok"
