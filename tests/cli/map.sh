#!/usr/bin/env bash
# The main map walk of the fixture "ALLDATA.KWI" matches the golden text.
set -euo pipefail
work="$KIWI_WORK_DIR"
rm -rf "$work" && mkdir -p "$work/plain"
golden="$KIWI_SOURCE_DIR/tests/cli/golden/map-walk.txt"

"$KIWIPROBE" gen-alldata "$work/plain" > /dev/null
"$KIWIPROBE" map "$work/plain/ALLDATA.KWI" --walk > "$work/plain.txt"
diff -u "$golden" "$work/plain.txt"

# Data files found by a case-insensitive match beside the file.
mkdir -p "$work/lower"
"$KIWIPROBE" gen-alldata "$work/lower" > /dev/null
mv "$work/lower/MAP100.DAT" "$work/lower/map100.dat"
mv "$work/lower/BLOCK10.PMI" "$work/lower/Block10.pmi"
"$KIWIPROBE" map "$work/lower/ALLDATA.KWI" --walk > "$work/lower.txt"
diff -u "$golden" "$work/lower.txt"

# The same map split into volumes "ALLDATA1.KWI" and "ALLDATA2.KWI", cut inside a parcel frame.
mkdir -p "$work/volumes"
"$KIWIPROBE" gen-alldata "$work/volumes" --volumes 9000 > /dev/null
[ ! -e "$work/volumes/ALLDATA.KWI" ] && [ -e "$work/volumes/ALLDATA2.KWI" ]
"$KIWIPROBE" map "$work/volumes/ALLDATA1.KWI" --walk > "$work/volumes.txt"
diff -u "$golden" "$work/volumes.txt"

# The same map inside an ISO 9660 image made with xorriso.
mkdir -p "$work/tree/DATA" "$work/tree/OTHER"
"$KIWIPROBE" gen-alldata "$work/tree/DATA" > /dev/null
echo other > "$work/tree/OTHER/MAP100.DAT"
xorriso -as mkisofs -quiet -o "$work/disc.iso" "$work/tree" 2>/dev/null
"$KIWIPROBE" map 'D:\DATA\ALLDATA.KWI' --image "$work/disc.iso" --walk > "$work/image.txt"
diff -u "$golden" "$work/image.txt"

# Reading the walk costs few underlying reads per parcel.
reads=$("$KIWIPROBE" map "$work/plain/ALLDATA.KWI" --walk --reads | awk '/^reads /{print $2, $6}')
set -- $reads
if (( $1 > 3 * $2 )); then
    echo "too many reads: $1 for $2 parcels" >&2
    exit 1
fi

# locate: a position inside the divided parcel 0/0/0/1 (2 x 2) finds its sub-parcel.
"$KIWIPROBE" locate "$work/plain/ALLDATA.KWI" --level 0 --xy 7300,1700 > "$work/locate.txt"
diff -u - "$work/locate.txt" <<'GOLDEN'
point level 0 x 7300 y 1700 inside 1
number 0 0 0 0 0 1 0 0 0 0 0 0 200 106
located 1
parcel 0 0 0 0 0 1 0 1 2 2 1 0 200 106
GOLDEN
# A wrong command line: exit 2, nothing on stdout, a message on stderr that names what is wrong, and no
# file written or changed. As root the probe runs as nobody, so a wrong line that writes after all (an
# empty OUTDIR is "/") fails instead of writing there.
"$KIWIPROBE" gen-local "$work/plain" > /dev/null
"$KIWIPROBE" gen-source "$work/plain/source" --regions 3 > /dev/null
as_user=()
[ "$(id -u)" != 0 ] || as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
(cd "$work/plain" && find . -type f -exec sha256sum {} + | sort) > "$work/before.txt"
while IFS='|' read -r words message; do
    eval "set -- $words"
    set +e; (cd "$work/plain" && "${as_user[@]}" "$KIWIPROBE" "$@") > "$work/out.txt" 2> "$work/err.txt"; rc=$?; set -e
    [ "$rc" = 2 ] && [ ! -s "$work/out.txt" ] || { echo "'$words' gave exit $rc" >&2; exit 1; }
    grep -qF -- "$message" "$work/err.txt" || { echo "'$words' said: $(cat "$work/err.txt")" >&2; exit 1; }
done <<'TABLE'
map ALLDATA.KWI --limt 3|unknown option --limt
frames ALLDATA.KWI --limit abc|--limit abc: not a number
frames nothere.KWI --limit abc|--limit abc: not a number
unpack 05.CMP out --workers 0|--workers 0: not from 1 to 16
unpack 05.CMP out --workers 99|--workers 99: not from 1 to 16
map ALLDATA.KWI --limit|missing value after '--limit'
map ALLDATA.KWI --walk=1|unexpected value after '--walk'
locate ALLDATA.KWI --level 0 --xy 7300,y|--xy 7300,y: not X,Y
mpa ALLDATA.KWI|unknown command "mpa"
help mpa|unknown command "mpa"
convert ALLDATA.KWI ''|argument 2 (OUTDIR) is empty
gen-alldata ''|argument 1 (DIR) is empty
map ALLDATA.KWI --image ''|--image is empty
map ALLDATA.KWI --image=|--image is empty
filecon FC16.MNG --delete 4294967296 --save FC16.MNG|--delete 4294967296: not from 0
filecon FC16.MNG --delete 0 --delete 2 --save FC16.MNG|--delete 2: beyond the 2 records
filecon FC16.MNG --insert abc:1:A:B:1 --save FC16.MNG|abc: not a number
filecon FC16.MNG --insert 0:999:X:Y:-1 --save FC16.MNG|999: not from 0 to 255
convert source/ALLDATA.KWI out --finish region --regions 3|--regions 3: 3: not from 0 to 2
gen-source made --regions x|--regions x: not a number
gen-region made --embed x|--embed x: not a number
convert ALLDATA.KWI out --buildings x.lmp|"buildings": true in --options switches buildings on
convert ALLDATA.KWI out --finish bogus|unknown finishing task "bogus"
frames ALLDATA.KWI --codepage 12345|--codepage 12345: not a code page
voice ALLDATA.KWI --wav out.wav|--wav needs --table
address --offset 1 --ka 2|--ka cannot go with --offset
frames ALLDATA.KWI --all --limit 1|--limit cannot go with --all
map ALLDATA.KWI --limit 2|--limit needs --walk
index ALLDATA.KWI --records --open X|--open cannot go with --records
gen-alldata made --disc-shape 2 --frames|--frames cannot go with --disc-shape
gen-alldata made --large 2 --wide|--wide cannot go with --large
gen-alldata made --hostile crowded --system X|--system cannot go with --hostile
gen-alldata made --large 84|--large 84: the main map management data would be
convert ALLDATA.KWI out --finish split --finish region|--finish is given twice
gen-index made --base 4294967296|--base 4294967296: not from 0 to 16777216
loading ALLDATA.KWI --id -5|--id -5: not at least 0
frames ALLDATA.KWI --limit 9223372036854775808|--limit 9223372036854775808: out of range
TABLE
(cd "$work/plain" && find . -type f -exec sha256sum {} + | sort) | diff -u "$work/before.txt" -
cmp <("$KIWIPROBE" cat "$work/plain/ALLDATA.KWI" --offset 010 --count 9) <(tail -c +11 "$work/plain/ALLDATA.KWI" | head -c 9)
"$KIWIPROBE" --help | grep -q '^  map ALLDATA.KWI \[--walk \[--limit N\]\]'
"$KIWIPROBE" help map | grep -q '^usage: kiwiprobe map ALLDATA.KWI'
"$KIWIPROBE" map --help | grep -q '^usage: kiwiprobe map ALLDATA.KWI'
"$KIWIPROBE" --version | grep -qx 'kiwiprobe [0-9.]*'
echo "map walk ok"
