#!/usr/bin/env bash
# The route planning reader through kiwiprobe: REGION.KWI and the same data inside a larger file at a base
# offset, compared with golden text that was checked by hand against what the fixture encodes.
set -euo pipefail
mkdir -p "$KIWI_WORK_DIR"
work="$KIWI_WORK_DIR"
golden="$KIWI_SOURCE_DIR/tests/cli/golden"
rm -rf "$work/data"
mkdir -p "$work/data"

"$KIWIPROBE" gen-region "$work/data" --embed 0x12340 >/dev/null

"$KIWIPROBE" region "$work/data/REGION.KWI" >"$work/region.txt"
diff -u "$golden/region.txt" "$work/region.txt"
"$KIWIPROBE" region "$work/data/REGION.KWI" --nodes >"$work/region-nodes.txt"
diff -u "$golden/region-nodes.txt" "$work/region-nodes.txt"

# The region part inside ALLDATA: every address counts from the part's base, so the reader sees the same.
"$KIWIPROBE" region "$work/data/ALLDATA.KWI" --offset 0x12340 --nodes >"$work/region-embedded.txt"
diff -u "$golden/region-nodes.txt" "$work/region-embedded.txt"

# The volume set: REGION1.KWI and REGION2.KWI, split inside the first region's frames.
mkdir -p "$work/data/set"
split -b 512 -d -a 1 --numeric-suffixes=1 --additional-suffix=.KWI "$work/data/REGION.KWI" "$work/data/set/REGION"
[ "$(stat -c %s "$work/data/set/REGION2.KWI")" -gt 0 ]
"$KIWIPROBE" region "$work/data/set/REGION1.KWI" --nodes >"$work/region-set.txt"
diff -u "$golden/region-nodes.txt" "$work/region-set.txt"

# Inside an ISO image made by xorriso, looked up by a disc path.
mkdir -p "$work/tree/DATA"
cp "$work/data/REGION.KWI" "$work/tree/DATA/REGION.KWI"
xorriso -as mkisofs -quiet -o "$work/disc.iso" "$work/tree" 2>/dev/null
"$KIWIPROBE" region 'D:\DATA\REGION.KWI' --image "$work/disc.iso" --nodes >"$work/region-image.txt"
diff -u "$golden/region-nodes.txt" "$work/region-image.txt"

# Read from the start of the larger file there is no valid header.
if "$KIWIPROBE" region "$work/data/ALLDATA.KWI" >"$work/invalid.txt"; then
    echo "ALLDATA.KWI read as region data at base 0"
    exit 1
fi
grep -qx "region valid=0" "$work/invalid.txt"
echo "region: ok"
