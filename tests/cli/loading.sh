#!/usr/bin/env bash
# LOADING.KWI and COVERAGE.BIN through kiwiprobe, compared with golden text checked by hand against the
# fixture layout (AISIN-AW modules at KIWI addresses, the DENSO module at sector 3, a refused "../" name),
# from plain files and from an ISO image.
set -euo pipefail
mkdir -p "$KIWI_WORK_DIR"
dir="$KIWI_WORK_DIR/files"
rm -rf "$dir"
"$KIWIPROBE" gen-loading "$dir"

out="$KIWI_WORK_DIR/loading.txt"
{
    "$KIWIPROBE" loading "$dir/LOADING.KWI" --id 4608
    "$KIWIPROBE" coverage "$dir/disc/COVERAGE.BIN"
} >"$out"
diff -u "$KIWI_SOURCE_DIR/tests/cli/golden/loading.txt" "$out"

# The same files inside an ISO image, read from a folder where none of them exists on disk; the
# picture is found in the image beside COVERAGE.BIN.
xorriso -as mkisofs -quiet -o "$KIWI_WORK_DIR/disc.iso" "$dir" 2>/dev/null
mkdir -p "$KIWI_WORK_DIR/elsewhere"
(
    cd "$KIWI_WORK_DIR/elsewhere"
    "$KIWIPROBE" loading LOADING.KWI --id 4608 --image ../disc.iso
    "$KIWIPROBE" coverage disc/COVERAGE.BIN --image ../disc.iso
) >"$KIWI_WORK_DIR/loading-image.txt"
diff -u "$KIWI_SOURCE_DIR/tests/cli/golden/loading.txt" "$KIWI_WORK_DIR/loading-image.txt"

# A file shorter than 2048 bytes is read but invalid.
head -c 2047 "$dir/LOADING.KWI" >"$dir/SHORT.KWI"
"$KIWIPROBE" loading "$dir/SHORT.KWI" | grep -qx "loading SHORT.KWI valid 0 systems 0"
echo "loading: ok"
