#!/usr/bin/env bash
# kiwiprobe convert: the conversion job run headless on a generated map. Exit codes 0 done, 2 stopped,
# 3 failed, 4 refused; the source folder never changes; a stopped run leaves the earlier output as it was.
set -euo pipefail
: "${KIWIPROBE:?}" "${KIWI_WORK_DIR:?}"
work="$KIWI_WORK_DIR"
rm -rf "$work" && mkdir -p "$work"
cd "$work"
fail() { echo "FAIL: $1" >&2; exit 1; }
status() { set +e; "$@" > /dev/null 2> last.err; local rc=$?; set -e; echo $rc; }

"$KIWIPROBE" gen-alldata src > /dev/null
(cd src && sha256sum * > ../source.sums)
mkdir out

[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI out)" = 0 ] || fail "a plain run did not finish"
[ -f out/ALLDATA.KWI ] && [ -f out/Log.txt ] || fail "the run left no ALLDATA.KWI or Log.txt"
[ ! -e out/ALLDATA.KWI.part ] || fail "a temporary file was left"
grep -q "^Output File Size = " out/Log.txt || fail "the log has no summary"
"$KIWIPROBE" map out/ALLDATA.KWI | grep -q "^map valid 1 levels 2 " || fail "the output does not read as a map"
first=$(sha256sum < out/ALLDATA.KWI)

# Run again: the same bytes.
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI out --replace)" = 0 ] || fail "the second run did not finish"
[ "$(sha256sum < out/ALLDATA.KWI)" = "$first" ] || fail "two runs gave different bytes"

# A stop once the first level starts: exit 2, the earlier output untouched.
echo '{"adjacentMode": "remove"}' > remove.json
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI out --options remove.json --stop-after-lines 6 --replace)" = 2 ] ||
    fail "a stopped run did not exit 2"
[ "$(sha256sum < out/ALLDATA.KWI)" = "$first" ] || fail "a stopped run changed the earlier output"
[ ! -e out/ALLDATA.KWI.part ] || fail "a stopped run left its temporary file"

# Refusals: the source's own folder (by another name), unknown settings, a dictionary that cannot be read.
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI src/.)" = 4 ] || fail "the source folder was not refused"
ln -s src srclink
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI srclink)" = 4 ] || fail "a link to the source folder was not refused"
echo '{"bogus": true}' > bogus.json
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI out --options bogus.json)" = 4 ] || fail "unknown settings were not refused"
echo '{"translate": true, "dictionaryPath": "missing.lndict"}' > nodict.json
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI out --options nodict.json --replace)" = 4 ] || fail "a missing dictionary was not refused"
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI out --options none.json)" = 4 ] && grep -q "none.json" last.err ||
    fail "a missing options file was not named: $(cat last.err)"

# Name translation through a dictionary file named in the options.
printf 'Kremlin=\xca\xf0\xe5\xec\xeb\xfc\r\n' > dict.txt
echo '{"translate": true, "translateByWords": true, "dictionaryPath": "dict.txt", "logDictErrors": true}' > names.json
mkdir names
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI names --options names.json)" = 0 ] || fail "name translation did not finish"
grep -q "^Dictionary for Area (Area Code = 0) in use\." names/Log.txt || fail "the dictionary in use was not logged"
[ -f names/LogDictErrors.txt ] || fail "LogDictErrors.txt was not saved"

# Building data: needed by the import options, refused when it does not parse, and data that adds nothing
# leaves the map byte for byte.
echo '{"buildings": true, "buildingsClass": 1, "buildingsTypeCode": 323}' > buildings.json
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI out --options buildings.json --replace)" = 4 ] ||
    fail "buildings without building data were not refused"
printf 'junk' > junk.lmp
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI out --options buildings.json --buildings junk.lmp --replace)" = 4 ] || fail "a junk .lmp was not refused"
printf '; the town\n[IMG ID]\nID=1\n[END-IMG ID]\n' > town.mp
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI out --options buildings.json --buildings town.mp)" = 4 ] && grep -q 'Сохранить как...' last.err ||
    fail "a Polish-format map as building data was not refused with how to compile it: $(cat last.err)"
printf '\xff\xff\xff\x7f\x00\x00\x00\x80\x00\x00\x00\x80\xff\xff\xff\x7f' > empty.lmp
mkdir imp
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI imp --options buildings.json --buildings empty.lmp)" = 0 ] ||
    fail "a run with empty building data did not finish"
[ "$(sha256sum < imp/ALLDATA.KWI)" = "$first" ] || fail "empty building data changed the map"

# A missing output folder is made when its parent exists, refused (before anything is written) otherwise.
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI missing/folder)" = 4 ] || fail "a missing folder was not refused"
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI made)" = 0 ] && [ -f made/ALLDATA.KWI ] || fail "OUTDIR was not made"
# One that cannot be made is refused with the reason (an immutable parent, where the file system has them).
if mkdir locked && chattr +i locked 2> /dev/null; then
    rc=$(status "$KIWIPROBE" convert src/ALLDATA.KWI locked/new) && chattr -i locked
    [ "$rc" = 4 ] && grep -q "cannot make locked/new: Operation not permitted" last.err || fail "$(cat last.err)"
fi

# The source inside an image, named as the other commands name it: the same map.
xorriso -as mkisofs -quiet -o src.iso src 2>/dev/null
[ "$(status "$KIWIPROBE" convert ALLDATA.KWI fromimage --image src.iso)" = 0 ] || fail "the image source: $(cat last.err)"
[ "$(sha256sum < fromimage/ALLDATA.KWI)" = "$first" ] || fail "the map from the image differs"
# An image that cannot be mounted: named, and the same exit code in every command.
# A FIFO as the image is refused with its reason, never waited on.
mkfifo fifo.iso
for command in "convert ALLDATA.KWI out" "cat ALLDATA.KWI" "cmp-ls 05.CMP" "unpack 05.CMP out" "map ALLDATA.KWI"; do
    [ "$(status "$KIWIPROBE" $command --image none.iso)" = 1 ] && grep -q "cannot mount none.iso: not found" last.err ||
        fail "$command: a missing image gave $(cat last.err)"
    [ "$(status timeout 20 "$KIWIPROBE" $command --image fifo.iso)" = 1 ] && grep -q "fifo.iso is a FIFO" last.err ||
        fail "$command: a FIFO as image gave $(cat last.err)"
done

# Finishing: a single volume (the map is far below 2 GiB), ReadMe.txt; no FILECON.MNG beside the source.
mkdir fin
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI fin --finish split,filecon)" = 0 ] || fail "a finished run failed"
[ ! -e fin/ALLDATA.KWI ] && [ -f fin/ALLDATA1.KWI ] && [ -f fin/ReadMe.txt ] || fail "the split left the wrong files"
[ "$(sha256sum < fin/ALLDATA1.KWI)" = "$first" ] || fail "the volume differs from the unsplit map"
[ "$(status "$KIWIPROBE" convert src/ALLDATA.KWI fin --finish bogus)" = 2 ] || fail "an unknown finishing task was not refused"

# Output that cannot be printed fails the run with the reason, as a file that cannot be written does.
for command in "map src/ALLDATA.KWI" "convert src/ALLDATA.KWI full --replace"; do
    rc=0 && "$KIWIPROBE" $command > /dev/full 2> last.err || rc=$?
    [ "$rc" = 1 ] && grep -q "cannot write the standard output" last.err || fail "$command > /dev/full gave $rc"
done

(cd src && sha256sum -c --quiet ../source.sums) || fail "the source folder changed"
[ "$(ls src | wc -l)" = "$(wc -l < source.sums)" ] || fail "files appeared in the source folder"
echo "convert: ok"
