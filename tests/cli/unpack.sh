#!/usr/bin/env bash
# kiwiprobe unpack: a "05.CMP" list written with printf and gzip blocks made by the gzip tool, unpacked by
# the unpack job on one and four workers from a folder and from inside an xorriso image, compared with the
# originals; an entry whose name climbs out of the output folder fails and writes nothing outside it.
set -euo pipefail
: "${KIWIPROBE:?}" "${KIWI_WORK_DIR:?}"
work="$KIWI_WORK_DIR"
rm -rf "$work" && mkdir -p "$work"
cd "$work"

fail() { echo "FAIL: $1" >&2; exit 1; }
byte() { printf "\\x$(printf %02x $(($1 & 255)))"; }
u16() { byte $(($1 >> 8)); byte "$1"; }
u32() { byte $(($1 >> 24)); byte $(($1 >> 16)); byte $(($1 >> 8)); byte "$1"; }
padto() { # padto FILE MULTIPLE
    local size; size=$(stat -c %s "$1")
    head -c $(( ($2 - size % $2) % $2 )) /dev/zero >> "$1"
}

seq 1 60000 > source.bin # 348894 bytes: five full 64 KiB blocks and a short one
size=$(stat -c %s source.bin)
mkdir -p disc/DATA
split -b 65536 -d -a 2 source.bin chunk.
data=disc/DATA/MAP.KWI
head -c 2048 /dev/zero > "$data"
sectors=() sizes=()
for chunk in chunk.??; do
    gzip -n -c "$chunk" > "$chunk.gz"
    sectors+=($(( $(stat -c %s "$data") / 2048 )))
    sizes+=("$(stat -c %s "$chunk.gz")")
    cat "$chunk.gz" >> "$data"
    padto "$data" 2048
done
blocks=${#sectors[@]}
seq 1 20000 > disc/README.TXT # uncompressed: copied in chunks of 61440 bytes

# Three entries (names of 12, 10 and 8 bytes: no pad bytes) and two bytes of padding, then the first
# entry's block table at 60.
{
    u32 3
    u32 60; u16 2; u16 12; printf 'DATA/MAP.KWI'
    u32 0; u16 0; u16 10; printf 'README.TXT'
    u32 0; u16 0; u16 8; printf '../x.kwi'
    u16 0
    printf 'TEST'; u32 "$blocks"; u32 "$size"
    for s in "${sectors[@]}"; do u32 "$s"; done
    for s in "${sizes[@]}"; do u16 "$s"; done
} > disc/05.CMP
[ "$(stat -c %s disc/05.CMP)" = $((60 + 12 + 6 * blocks)) ] || fail "list layout"
echo "outside" > x.kwi

check() { # check OUTDIR REPORT
    cmp -s "$1/DATA/MAP.KWI" source.bin || fail "$1: compressed file"
    cmp -s "$1/README.TXT" disc/README.TXT || fail "$1: uncompressed file"
    grep -q "^DATA/MAP.KWI	done	$size\$" "$2" || fail "$1: report of the compressed file"
    grep -q "^\.\./x\.kwi	failed	0	недопустимое имя файла\$" "$2" || fail "$1: report of the unsafe name"
    [ "$(cat x.kwi)" = outside ] || fail "$1: a file outside the output folder was touched"
    [ -z "$(find "$1" -name '*.part')" ] || fail "$1: temporary files left"
}

for workers in 1 4; do
    status=0
    "$KIWIPROBE" unpack disc/05.CMP "out$workers/inner" --workers "$workers" > report.txt || status=$?
    [ "$status" = 1 ] || fail "exit status $status with a failed entry"
    check "out$workers/inner" report.txt
done
[ ! -e out1/x.kwi ] || fail "the unsafe name wrote beside the output folder"

status=0
"$KIWIPROBE" unpack disc/05.CMP only-out --only NOSUCH 2> err.txt || status=$?
[ "$status" = 2 ] && grep -q "only NOSUCH: disc/05.CMP lists no entry" err.txt && [ ! -e only-out ] || fail "--only NOSUCH"

# SIGINT, SIGTERM and SIGHUP stop a run as they stop convert: exit 2, no temporary file left. One 64 KiB gzip
# block of zeros named 2000 times by one entry (125 MiB to write); the gate (a file never made) holds the run
# after its first block until the signal comes.
mkdir big
{ head -c 2048 /dev/zero; head -c 65536 /dev/zero | gzip -n -c; } > big/ZERO.KWI
zsize=$(( $(stat -c %s big/ZERO.KWI) - 2048 ))
{
    u32 1; u32 20; u16 2; u16 8; printf 'ZERO.KWI'
    printf 'TEST'; u32 2000; u32 $((2000 * 65536))
    printf '\0\0\0\1%.0s' $(seq 2000); printf "$(printf '\\x%02x\\x%02x' $((zsize >> 8)) $((zsize & 255)))%.0s" $(seq 2000)
} > big/05.CMP
for signal in INT TERM HUP; do
    rm -rf big-out
    KIWIPROBE_UNPACK_GATE="$work/no-gate" "$KIWIPROBE" unpack big/05.CMP big-out > /dev/null &
    pid=$!
    for _ in $(seq 1 6000); do [ -n "$(ls -A big-out 2> /dev/null)" ] && break; sleep 0.01; done
    kill -s "$signal" "$pid"
    status=0
    wait "$pid" || status=$?
    [ "$status" = 2 ] || fail "SIG$signal gave exit $status, not 2"
    [ -z "$(find big-out -type f ! -name ZERO.KWI)" ] || fail "SIG$signal left $(find big-out -type f)"
done

if command -v xorriso > /dev/null; then
    xorriso -as mkisofs -quiet -o disc.iso disc 2> /dev/null
    "$KIWIPROBE" unpack --image disc.iso 05.CMP image-out --workers 4 > report.txt || true
    check image-out report.txt
elif [ "${CI:-}" = true ]; then
    echo "FAIL: xorriso is not installed, and CI=true needs it" >&2
    exit 1
fi
echo "unpack: ok"
