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

# Read from the start of the larger file there is no valid header.
if "$KIWIPROBE" region "$work/data/ALLDATA.KWI" >"$work/invalid.txt"; then
    echo "ALLDATA.KWI read as region data at base 0"
    exit 1
fi
grep -qx "region valid=0" "$work/invalid.txt"
echo "region: ok"
