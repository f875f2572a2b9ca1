#!/usr/bin/env bash
# FILECON.MNG through kiwiprobe: header sizes 16/8/4, 99 and 100 records, a byte-exact edit and save,
# and a save that cannot complete.
set -euo pipefail
mkdir -p "$KIWI_WORK_DIR"
work="$KIWI_WORK_DIR"
golden="$KIWI_SOURCE_DIR/tests/cli/golden/filecon.txt"
"$KIWIPROBE" gen-local "$work"
{
    for f in FC16 FC8 FC4 FC100; do "$KIWIPROBE" filecon "$work/$f.MNG"; done
    "$KIWIPROBE" filecon "$work/FC99.MNG" | sed -n '1p;$p'
    "$KIWIPROBE" filecon "$work/FC16.MNG" --delete 0 --insert 1:0:ALLDATA1.KWI:ALLDATA.KWI:4096 \
        --save "$work/SAVED.MNG"
} >"$work/filecon.txt"
diff -u "$golden" "$work/filecon.txt"
cmp "$work/SAVED.MNG" "$work/FC16_EDITED.MNG"

# Names longer than their 12-byte field are refused.
if "$KIWIPROBE" filecon "$work/FC16.MNG" --insert 0:0:ALLDATA10.KWI:ALLDATA.KWI:1 >/dev/null 2>&1; then
    echo "long name accepted"; exit 1
fi
# A save whose target cannot be replaced fails and leaves what was there.
cp "$work/FC8.MNG" "$work/before.MNG"
rm -rf "$work/blocked.MNG" && mkdir -p "$work/blocked.MNG" && cp "$work/FC8.MNG" "$work/blocked.MNG/keep"
if "$KIWIPROBE" filecon "$work/FC16.MNG" --delete 0 --save "$work/blocked.MNG" >/dev/null 2>&1; then
    echo "save over a folder succeeded"; exit 1
fi
cmp "$work/blocked.MNG/keep" "$work/before.MNG"
if "$KIWIPROBE" filecon "$work/FC16.MNG" --save "$work/missing/FILECON.MNG" >/dev/null 2>&1; then
    echo "save into a missing folder succeeded"; exit 1
fi
echo "filecon: ok"
