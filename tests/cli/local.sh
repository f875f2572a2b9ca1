#!/usr/bin/env bash
# Localisation frame and Manager21 header through kiwiprobe, compared with golden text.
set -euo pipefail
mkdir -p "$KIWI_WORK_DIR"
golden="$KIWI_SOURCE_DIR/tests/cli/golden/local.txt"
"$KIWIPROBE" gen-local "$KIWI_WORK_DIR"
{
    "$KIWIPROBE" local "$KIWI_WORK_DIR/LOCAL.KWI"
    "$KIWIPROBE" local "$KIWI_WORK_DIR/LOCALOFS.KWI" --offset 33
    "$KIWIPROBE" manager21 "$KIWI_WORK_DIR/M21_44.KWI"
    "$KIWIPROBE" manager21 "$KIWI_WORK_DIR/M21_46.KWI"
    "$KIWIPROBE" manager21 "$KIWI_WORK_DIR/M21_46.KWI" --offset 1000
} >"$KIWI_WORK_DIR/local.txt"
diff -u "$golden" "$KIWI_WORK_DIR/local.txt"
echo "local: ok"
