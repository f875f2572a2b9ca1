#!/usr/bin/env bash
# kiwiprobe cat (TLN_FileStream) against dd: a plain file, a three-part volume set and a file inside an
# xorriso image, whole and in ranges that cross part and sector boundaries or run past the end.
set -euo pipefail
: "${KIWIPROBE:?}" "${KIWI_WORK_DIR:?}"
work="$KIWI_WORK_DIR"
rm -rf "$work" && mkdir -p "$work"
cd "$work"

# Range of a file as dd reads it: ddrange FILE OFFSET COUNT
ddrange() { dd if="$1" iflag=skip_bytes,count_bytes skip="$2" count="$3" bs=65536 status=none; }

same() { # same NAME FILE1 FILE2
    if ! cmp -s "$2" "$3"; then
        echo "FAIL: $1" >&2
        exit 1
    fi
}

seq 1 60000 > source.bin # 348894 bytes, different everywhere
size=$(stat -c %s source.bin)

# Plain file.
"$KIWIPROBE" cat source.bin > out.bin
same "plain whole" out.bin source.bin
"$KIWIPROBE" cat source.bin --offset 1000 --count 70000 > out.bin
ddrange source.bin 1000 70000 > want.bin
same "plain range" out.bin want.bin
"$KIWIPROBE" cat source.bin --offset $((size - 10)) --count 100 > out.bin
ddrange source.bin $((size - 10)) 100 > want.bin
same "plain past the end" out.bin want.bin
[ "$(stat -c %s out.bin)" = 10 ]

# Volume set of three parts in a folder with a dot in its name.
mkdir -p set.v1
split -b 131072 -d -a 1 --numeric-suffixes=1 --additional-suffix=.KWI source.bin set.v1/ALLDATA
ls set.v1/ALLDATA1.KWI set.v1/ALLDATA2.KWI set.v1/ALLDATA3.KWI > /dev/null
"$KIWIPROBE" cat set.v1/ALLDATA1.KWI > out.bin
same "volume set whole" out.bin source.bin
for range in "131000 300" "100 300000" "262143 2" "$((size - 5)) 50"; do
    set -- $range
    "$KIWIPROBE" cat set.v1/ALLDATA1.KWI --offset "$1" --count "$2" > out.bin
    ddrange source.bin "$1" "$2" > want.bin
    same "volume set range $range" out.bin want.bin
done

# A file inside an image, compared with the image's own bytes at the file's extent.
mkdir -p tree/DATA tree/OTHER
cp source.bin tree/DATA/ALLDATA.KWI
seq 1 3000 > tree/DATA/BEFORE.KWI
seq 5000 9000 > tree/OTHER/AFTER.KWI
xorriso -as mkisofs -quiet -o disc.iso tree 2>/dev/null
lba=$(xorriso -indev disc.iso -find /DATA/ALLDATA.KWI -exec report_lba -- 2>/dev/null |
    awk -F, '/ALLDATA.KWI/ { gsub(/ /, "", $2); print $2 }')
[ -n "$lba" ]
"$KIWIPROBE" cat 'D:\DATA\ALLDATA.KWI' --image disc.iso > out.bin
ddrange disc.iso $((lba * 2048)) "$size" > want.bin
same "image whole" out.bin want.bin
same "image whole against the source" out.bin source.bin
for range in "2047 2" "5000 100000" "$((size - 7)) 4096"; do
    set -- $range
    "$KIWIPROBE" cat data/alldata.kwi --image disc.iso --offset "$1" --count "$2" > out.bin
    ddrange source.bin "$1" "$2" > want.bin
    same "image range $range" out.bin want.bin
done
# The end of the file is the end of the stream, whatever follows it in the image.
"$KIWIPROBE" cat DATA/ALLDATA.KWI --image disc.iso --offset "$size" --count 4096 > out.bin
[ ! -s out.bin ]

# A name that is not in the image, and an image that cannot be mounted.
if "$KIWIPROBE" cat DATA/NOPE.KWI --image disc.iso > out.bin 2> err.txt; then exit 1; fi
if "$KIWIPROBE" cat DATA/ALLDATA.KWI --image source.bin > out.bin 2> err.txt; then exit 1; fi
grep -q "cannot mount" err.txt
echo OK
