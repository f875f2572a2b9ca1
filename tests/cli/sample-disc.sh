#!/usr/bin/env bash
# The sample disc written by strovane-sample-disc as files and as an ISO image, read by kiwiprobe: every
# reader reads it as valid with sensible counts, reads the same inside the image, and a compact summary
# (how many records of each kind each reader prints) matches the golden text.
set -euo pipefail
: "${KIWIPROBE:?}" "${STROVANE_SAMPLE_DISC:?}" "${KIWI_SOURCE_DIR:?}" "${KIWI_WORK_DIR:?}"
work="$KIWI_WORK_DIR"
rm -rf "$work" && mkdir -p "$work"
cd "$work"

fail() { echo "FAIL: $1" >&2; exit 1; }
probe() { LC_ALL=C "$KIWIPROBE" "$@"; }
has_image=0
if command -v xorriso > /dev/null; then
    has_image=1
elif [ "${CI:-}" = true ]; then
    fail "xorriso is not installed, and CI=true needs it"
fi

if [ "$has_image" -eq 1 ]; then
    "$STROVANE_SAMPLE_DISC" disc --iso disc.iso
    [ -s disc.iso ] || fail "no image"
    ls -a | grep -q '^\.sample-disc' && fail "a temporary folder was left beside the image"
    grep -q '^Type=0x3300' disc-town.mp || fail "no town map with house numbers beside the image"
    # An image inside its own folder holds the disc's files only, as one beside it does.
    "$STROVANE_SAMPLE_DISC" inner --iso inner/in.iso && "$STROVANE_SAMPLE_DISC" inner --iso inner/in.iso
    diff <(xorriso -indev disc.iso -find / 2> /dev/null) <(xorriso -indev inner/in.iso -find / 2> /dev/null) ||
        fail "the image inside its folder holds more than the disc"
else
    "$STROVANE_SAMPLE_DISC" disc
fi

# A folder name that is not UTF-8 is refused, not written under another name.
rc=0 && "$STROVANE_SAMPLE_DISC" $'bad\xff' 2> /dev/null || rc=$?
[ "$rc" = 2 ] && [ -z "$(ls | grep '^bad')" ] || fail "a name that is not UTF-8 gave exit $rc: $(ls)"

commands=(
    "map ALLDATA.KWI --walk"
    "frames ALLDATA.KWI --all"
    "loading LOADING.KWI"
    "coverage COVERAGE.BIN"
    "cmp-ls 05.CMP"
    "region REGION.KWI --nodes"
    "index INDEXDAT.KWI --records"
    "picture PCT2MNG.KWI"
    "voice VOICEDAT.KWI"
)
: > summary.txt
for command in "${commands[@]}"; do
    set -- $command
    name=$1
    (cd disc && probe "$@") > "$name.txt" || fail "$name"
    if [ "$has_image" -eq 1 ]; then
        probe "$1" --image disc.iso "${@:2}" > "$name-image.txt" || fail "$name in the image"
        diff -u "$name.txt" "$name-image.txt" || fail "$name reads otherwise inside the image"
    fi
    awk -v command="$name" '{ count[$1]++ } END { for (kind in count) print command, kind, count[kind] }' \
        "$name.txt" | LC_ALL=C sort >> summary.txt
done

# Parts the probe reads from files only: not compared inside the image.
for command in "param PARAMDAT.KWI" "rdstmc RDSTMC.KWI" "dicvce DICVCE56.KWI" "voice-me VOICE001.ME"; do
    set -- $command
    name=$1
    (cd disc && probe "$@") > "$name.txt" || fail "$name"
    awk -v command="$name" '{ count[$1]++ } END { for (kind in count) print command, kind, count[kind] }' \
        "$name.txt" | LC_ALL=C sort >> summary.txt
done

# Valid, complete, and not empty.
grep -q '^map valid 1 levels 2 ' map.txt || fail "map"
! grep -q 'not found\|truncated' map.txt || fail "map walk"
grep -qE '^parcels 37 records [0-9]{4}$' frames.txt || fail "frames: $(tail -1 frames.txt)"
! grep -q 'unreadable\|truncated' frames.txt || fail "frame records"
grep -q '^loading LOADING.KWI valid 1 systems 2$' loading.txt || fail "loading"
grep -q '^item 0 code 0x0001 name "ZARECHYE.BMP" picture 128x128 ' coverage.txt || fail "coverage"
[ "$(wc -l < cmp-ls.txt)" -eq 2 ] || fail "cmp-ls"
grep -q ' levels=2 ' region.txt || fail "region"
! grep -q 'complete=0' region.txt || fail "region nodes"
grep -q '^header valid=1 ' index.txt || fail "index"
! grep -q 'missing\|truncated=1' index.txt || fail "index records"
[ "$(grep -c ' valid 1 ' picture.txt)" -eq 3 ] || fail "picture files"
[ "$(grep -cE -- '-> (clut|gif) [0-9]+x[0-9]+$' picture.txt)" -eq 607 ] || fail "pictures"
grep -q '^voice VOICEDAT.KWI valid 1 .* languages 2$' voice.txt || fail "voice"
! grep -q 'truncated 1' voice.txt || fail "voice tables"

if [ "${UPDATE_GOLDEN:-0}" = 1 ]; then
    cp summary.txt "$KIWI_SOURCE_DIR/tests/cli/golden/sample-disc.txt"
fi
diff -u "$KIWI_SOURCE_DIR/tests/cli/golden/sample-disc.txt" summary.txt || fail "summary"
echo "sample disc: ok"
