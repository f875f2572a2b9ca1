#!/usr/bin/env bash
# The parameters part through kiwiprobe: records, palettes and decoded landmark pixels against golden text.
set -euo pipefail
mkdir -p "$KIWI_WORK_DIR"
golden="$KIWI_SOURCE_DIR/tests/cli/golden/param.txt"
"$KIWIPROBE" gen-param "$KIWI_WORK_DIR"
"$KIWIPROBE" param "$KIWI_WORK_DIR/PARAM.KWI" >"$KIWI_WORK_DIR/param.txt"
diff -u "$golden" "$KIWI_WORK_DIR/param.txt"

# The same part behind a 64-byte prefix: every position moves, the palettes and pixels do not.
"$KIWIPROBE" param "$KIWI_WORK_DIR/PARAMOFS.KWI" --offset 64 >"$KIWI_WORK_DIR/param-offset.txt"
pixels() { grep -E '^(palette|images|image|  row)' "$1"; }
diff -u <(pixels "$golden") <(pixels "$KIWI_WORK_DIR/param-offset.txt")
grep -q '^landmark @230 found=1' "$KIWI_WORK_DIR/param-offset.txt"
# Read at the wrong base the part is not recognised.
"$KIWIPROBE" param "$KIWI_WORK_DIR/PARAMOFS.KWI" | grep -qx 'param valid=0 header=122332 records=61166'
echo "param: ok"
