#!/usr/bin/env bash
# kiwiprobe iso-ls and iso-extract against an image made by xorriso: the listing equals xorriso's own
# listing of the ISO 9660 tree, and every extracted file equals its source (also behind a leading block).
set -euo pipefail

work="$KIWI_WORK_DIR"
rm -rf "$work"
mkdir -p "$work/source/DATA/SUB/DEEP" "$work/source/MAPS" "$work/source/lower"
cd "$work"

printf 'hello iso\n' > source/README.TXT
: > source/EMPTY.BIN
head -c 10000 /dev/urandom > source/DATA/BIG.BIN
head -c 4096 /dev/urandom > source/DATA/SUB/EXACT.BIN
head -c 5000 /dev/urandom > source/DATA/SUB/DEEP/X.KWI
head -c 77 /dev/urandom > source/lower/mixed.txt
for i in $(seq 1 90); do head -c "$i" /dev/urandom > "source/MAPS/M$i.DAT"; done

xorriso -as mkisofs -quiet -J -R -o plain.iso source 2>/dev/null
{ head -c 307200 /dev/zero; cat plain.iso; } > offset.iso

# xorriso's listing of the plain ISO 9660 tree as "FOLDER\<TAB>NAME<TAB>SIZE"; zero-length files are
# not part of the reader's listing.
xorriso -read_fs ecma119 -indev plain.iso -find / -type f -exec lsdl 2>/dev/null |
    sed -n "s|^[^ ]*  *[0-9]*  *[^ ]*  *[^ ]*  *\([0-9]*\) .* '/\(.*\)'\$|\1 \2|p" |
    awk '$1 != 0 { size = $1; path = substr($0, length($1) + 2); n = split(path, part, "/");
                   folder = ""; for (i = 1; i < n; i++) folder = folder part[i] "\\";
                   printf "%s\t%s\t%s\n", folder, part[n], size }' |
    LC_ALL=C sort > expected.txt
test "$(wc -l < expected.txt)" -eq 95

for image in plain.iso offset.iso; do
    "$KIWIPROBE" iso-ls "$image" | LC_ALL=C sort > listed.txt
    diff -u expected.txt listed.txt
done

# Every file, by its ISO path, with "/" and "\" separators and in lower case.
while IFS= read -r line; do
    folder="${line%%$'\t'*}"    # tabs are whitespace to read, so split by hand: the folder may be empty
    rest="${line#*$'\t'}"
    name="${rest%%$'\t'*}"
    # The ISO tree holds upper-case names; find the source case-insensitively.
    source_path="$(find source -ipath "source/$(printf '%s%s' "$folder" "$name" | tr '\\' '/')" -print -quit)"
    test -n "$source_path"
    "$KIWIPROBE" iso-extract offset.iso "$folder$name" out.bin > /dev/null
    cmp out.bin "$source_path"
    slashed="$(printf '%s%s' "$folder" "$name" | tr '\\' '/' | tr 'A-Z' 'a-z')"
    "$KIWIPROBE" iso-extract plain.iso "/$slashed" out2.bin > /dev/null
    cmp out2.bin "$source_path"
done < expected.txt

# A root directory whose length runs past the image is read with the length of its own "." record.
mkdir hostile && printf 'a\n' > hostile/A.TXT && xorriso -as mkisofs -quiet -o rootlen.iso hostile 2>/dev/null
printf '\xff\xff\xff\xff\xff\xff\xff\xff' | dd of=rootlen.iso bs=1 seek=$((16 * 2048 + 166)) conv=notrunc status=none
test "$("$KIWIPROBE" iso-ls rootlen.iso)" = "$(printf '\tA.TXT\t2')"
! "$KIWIPROBE" iso-ls nothere.iso 2> err.txt && grep -qx "iso-ls: nothere.iso: not found" err.txt

# A missing path fails without leaving a target.
if "$KIWIPROBE" iso-extract plain.iso DATA/NOPE.BIN nope.bin 2>/dev/null; then exit 1; fi
test ! -e nope.bin
! "$KIWIPROBE" iso-extract nothere.iso A.TXT a.txt 2> err.txt &&
    grep -qx "iso-extract: cannot read nothere.iso: No such file or directory" err.txt
echo "iso: ok"
