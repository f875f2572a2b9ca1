#!/usr/bin/env bash
# kiwiprobe convert at its edges: SIGINT and SIGTERM stop the run as a stop request does (exit 2, no
# temporary file, the earlier output kept); a file size limit fails the run as a write error instead of
# killing the probe; an output "folder" that is a file is refused; an extra level is refused on a map
# that already has one; a damaged table is refused, a run without a parcel fails.
set -euo pipefail
: "${KIWIPROBE:?}" "${STROVANE_SAMPLE_DISC:?}" "${KIWI_WORK_DIR:?}"
work="$KIWI_WORK_DIR"
rm -rf "$work" && mkdir -p "$work"
cd "$work"
fail() { echo "FAIL: $1" >&2; exit 1; }
status() { set +e; "$@" > /dev/null 2> last.err; local rc=$?; set -e; echo $rc; }

"$KIWIPROBE" gen-alldata src --large 12 > /dev/null
mkdir out
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI out)" = 0 ] || fail "a plain run did not finish"
first=$(sha256sum < out/ALLDATA.KWI)

# The probe echoes every log line; with the detail lines on and nobody reading, the run blocks on its
# output once the pipe is full, so the signal arrives while it is surely under way.
echo '{"logDetails": true}' > details.json
for signal in INT TERM HUP; do
    rm -f lines && mkfifo lines
    "$KIWIPROBE" convert src/ALLDATA.KWI out --options details.json --replace > lines 2> /dev/null &
    pid=$!
    exec 3< lines
    for _ in $(seq 1 500); do [ -e out/ALLDATA.KWI.part ] && break; sleep 0.01; done
    [ -e out/ALLDATA.KWI.part ] || fail "the run never started its output"
    kill -s "$signal" "$pid"
    cat <&3 > /dev/null
    exec 3<&-
    set +e; wait "$pid"; rc=$?; set -e
    [ "$rc" = 2 ] || fail "SIG$signal gave exit $rc, not 2"
    [ ! -e out/ALLDATA.KWI.part ] && [ ! -e out/Log.txt.part ] || fail "SIG$signal left a temporary file"
    [ "$(sha256sum < out/ALLDATA.KWI)" = "$first" ] || fail "SIG$signal changed the earlier output"
done

# A file size limit below the map's size: a write error named as such, no temporary file.
mkdir limited
rc=$(ulimit -f 1024; status "$KIWIPROBE" convert src/ALLDATA.KWI limited)
[ "$rc" = 3 ] || fail "a run over the file size limit gave exit $rc, not 3"
grep -q "File too large" last.err || fail "the size limit was not reported: $(cat last.err)"
[ ! -e limited/ALLDATA.KWI.part ] && [ ! -e limited/ALLDATA.KWI ] || fail "a run over the limit left a map"

# An output folder that is a file is refused as a missing one is.
touch plain-file
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI plain-file)" = 4 ] || fail "a file as output folder was not refused"

# A block table offset of 0 (header 30 and two 52-byte level records: the first block set record at 8326,
# the offset at +2) is refused naming it; a file cut after its 352 bytes of management data, without its
# data files, converts no parcel: it fails.
"$KIWIPROBE" gen-alldata small > /dev/null && cp -r small damaged && mkdir cut && cp small/ALLDATA.KWI cut
printf '\0\0\0\0' | dd of=damaged/ALLDATA.KWI bs=1 seek=8328 conv=notrunc status=none
truncate -s 8544 cut/ALLDATA.KWI
[ "$(status "$KIWIPROBE" convert damaged/ALLDATA.KWI out-damaged)" = 4 ] &&
    grep -q "level 0 block set 0: its block table" last.err || fail "a table at the header was not refused"
[ "$(status "$KIWIPROBE" convert cut/ALLDATA.KWI out-cut)" = 3 ] && grep -q "No parcel" last.err ||
    fail "a run that converted no parcel did not fail: $(cat last.err)"
# Level records of 38 bytes (the size in words at 8212), and level 0's parcel counts (at 8222 + 28) at
# 256 x 256, running its first block's list past the file: each refused naming what is wrong.
cp -r small sizes && printf '\0\023' | dd of=sizes/ALLDATA.KWI bs=1 seek=8212 conv=notrunc status=none
cp -r small counts && printf '\377\377' | dd of=counts/ALLDATA.KWI bs=1 seek=8250 conv=notrunc status=none
[ "$(status "$KIWIPROBE" convert sizes/ALLDATA.KWI out-sizes)" = 4 ] && grep -q "level records 38 bytes" last.err ||
    fail "level records too small for their fields were not refused: $(cat last.err)"
[ "$(status "$KIWIPROBE" convert counts/ALLDATA.KWI out-counts)" = 4 ] &&
    grep -q "block 0: its parcel management list (65536 records" last.err || fail "a list past the file: $(cat last.err)"

# The extra level: refused below a last level not of level code 0 and without building data; on the sample
# disc with one house number in the town (inside a city area over everything), then again on its output:
# refused.
echo '{"addExtraLevel": true}' > extra.json
echo '{"addExtraLevel": true, "address": true}' > numbers.json
"$STROVANE_SAMPLE_DISC" disc > /dev/null
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
w=$(le32 -82944000) n=$(le32 41472000) e=$(le32 82944000) s=$(le32 -41472000)
printf "$w$n$e$s\\x05\\0\\x01\\0$w$n$e$n$e$s$w$s$w$n\\x01\\0\\x33\\x01$(le32 17290240)$(le32 25903360)1\\0\\0\\0" > one.lmp
mkdir extra again
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI extra --options extra.json --buildings one.lmp)" = 4 ] &&
    grep -q "level code 1, not 0" last.err || fail "an extra level below a level of code 1 was not refused"
[ "$(status "$KIWIPROBE" convert disc/ALLDATA.KWI extra --options extra.json)" = 4 ] &&
    grep -q "needs building data" last.err || fail "an extra level without building data was not refused"
[ "$(status "$KIWIPROBE" convert disc/ALLDATA.KWI extra --options numbers.json --buildings one.lmp)" = 0 ] ||
    fail "the extra level failed"
[ "$(status "$KIWIPROBE" convert extra/ALLDATA.KWI again --options numbers.json --buildings one.lmp)" = 4 ] ||
    fail "a second extra level was not refused"
grep -q "already has an extra level" last.err || fail "the refusal gave no reason: $(cat last.err)"
echo "convert-edges: ok"
