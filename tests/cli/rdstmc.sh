#!/usr/bin/env bash
# RDS-TMC parts and voice command dictionaries through kiwiprobe, texts in several code pages,
# compared with golden text.
set -euo pipefail
mkdir -p "$KIWI_WORK_DIR"
work="$KIWI_WORK_DIR"
"$KIWIPROBE" gen-rdstmc "$work"
{
    "$KIWIPROBE" rdstmc "$work/RDSTMC1251.KWI" --codepage 1251
    "$KIWIPROBE" rdstmc "$work/RDSTMC1200.KWI" --offset 40 --codepage 1200 --language 1
    "$KIWIPROBE" rdstmc "$work/RDSTMCBAD.KWI"
} >"$work/rdstmc.txt"
diff -u "$KIWI_SOURCE_DIR/tests/cli/golden/rdstmc.txt" "$work/rdstmc.txt"
{
    "$KIWIPROBE" dicvce "$work/DICVCE56.KWI" --codepage 65001
    "$KIWIPROBE" dicvce "$work/DICVCE1251.KWI" --codepage 1251
    "$KIWIPROBE" dicvce "$work/DICVCE1200.KWI" --offset 40 --codepage 1200
} >"$work/dicvce.txt"
diff -u "$KIWI_SOURCE_DIR/tests/cli/golden/dicvce.txt" "$work/dicvce.txt"
echo "rdstmc: ok"
