#!/usr/bin/env bash
# kiwiprobe index over the generated INDEXDAT.KWI fixture: the index alone, as a part at a base inside a
# larger file with a lower-case data file name, with a CMP-listed data file, inside an ISO image, and data
# files that do not exist.
set -euo pipefail
: "${KIWIPROBE:?}" "${KIWI_SOURCE_DIR:?}" "${KIWI_WORK_DIR:?}"
work="$KIWI_WORK_DIR"
golden="$KIWI_SOURCE_DIR/tests/cli/golden"
rm -rf "$work" && mkdir -p "$work"
cd "$work"

probe() { LC_ALL=C "$KIWIPROBE" "$@"; }

# The index file with its data file beside it.
mkdir -p plain
probe gen-index plain > /dev/null
probe index plain/INDEXDAT.KWI --records > index.txt
diff -u "$golden/index.txt" index.txt

# The index data 0x800 bytes into its file; the data file is found whatever its case.
mkdir -p based
probe gen-index based --base 0x800 --data-name srch0001.kwi > /dev/null
probe index based/INDEXDAT.KWI --base 0x800 --records > index-base.txt
diff -u "$golden/index-base.txt" index-base.txt

# The data file compressed and named by a "05.CMP" list: the reader sees the same records.
mkdir -p listed
probe gen-index listed --listed > /dev/null
[ -f listed/05.CMP ]
if cmp -s listed/SRCH0001.KWI plain/SRCH0001.KWI; then echo "listed data file is not compressed"; exit 1; fi
probe index listed/INDEXDAT.KWI --records > index-listed.txt
diff -u "$golden/index.txt" index-listed.txt

# Opening data files by name: present, missing, and names that must never leave the folder.
{
    probe index plain/INDEXDAT.KWI --open SRCH0001.KWI
    probe index based/INDEXDAT.KWI --base 0x800 --open SRCH0001.KWI
    probe index plain/INDEXDAT.KWI --open CATDATA.KWI
    probe index plain/INDEXDAT.KWI --open ../plain/SRCH0001.KWI
    probe index plain/INDEXDAT.KWI --open ""
} > index-open.txt
diff -u "$golden/index-open.txt" index-open.txt

# The same files inside an image: what the reader sees does not change.
if command -v xorriso > /dev/null; then
    mkdir -p tree/DATA
    cp plain/INDEXDAT.KWI plain/SRCH0001.KWI tree/DATA/
    xorriso -as mkisofs -quiet -o disc.iso tree 2> /dev/null
    probe index 'D:\DATA\INDEXDAT.KWI' --image disc.iso --records > index-image.txt
    diff -u "$golden/index.txt" index-image.txt
    probe index 'D:\DATA\INDEXDAT.KWI' --image disc.iso --open POIDATA.KWI > index-image-open.txt
    grep -qx 'open POIDATA.KWI error="File POIDATA.KWI does not exist!"' index-image-open.txt
elif [ "${CI:-}" = true ]; then
    echo "FAIL: xorriso is not installed, and CI=true needs it" >&2
    exit 1
fi
echo "index: ok"
