#!/usr/bin/env bash
# Picture data through kiwiprobe: the generated PCT2MNG.KWI set, listed and decoded, compared with golden
# text checked by hand against what the fixture encodes; the decoded pictures written as PNG and read back
# pixel by pixel; a list with 20 entries is refused.
set -euo pipefail
rm -rf "$KIWI_WORK_DIR"
mkdir -p "$KIWI_WORK_DIR/set" "$KIWI_WORK_DIR/png"
out="$KIWI_WORK_DIR/picture.txt"
golden="$KIWI_SOURCE_DIR/tests/cli/golden/picture.txt"

"$KIWIPROBE" gen-picture "$KIWI_WORK_DIR/set"
{
    "$KIWIPROBE" picture "$KIWI_WORK_DIR/set/PCT2MNG.KWI" --png "$KIWI_WORK_DIR/png"
    # Only the pictures that decode are written.
    for png in $(cd "$KIWI_WORK_DIR/png" && ls | LC_ALL=C sort); do
        "$KIWIPROBE" png "$KIWI_WORK_DIR/png/$png"
    done
} >"$out"
diff -u "$golden" "$out"

# The entry count is the big-endian word at 4: 20 entries are refused.
cp "$KIWI_WORK_DIR/set/PCT2MNG.KWI" "$KIWI_WORK_DIR/TWENTY.KWI"
printf '\x14' | dd of="$KIWI_WORK_DIR/TWENTY.KWI" bs=1 seek=5 conv=notrunc status=none
"$KIWIPROBE" picture "$KIWI_WORK_DIR/TWENTY.KWI" | grep -qx "list TWENTY.KWI valid 0 stored 20 entries 0"
echo "picture: ok"
