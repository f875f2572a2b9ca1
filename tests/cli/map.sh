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
# A wrong command line: exit 2, nothing on stdout, and a message on stderr that names what is wrong.
while IFS='|' read -r words message; do
    set +e; (cd "$work/plain" && "$KIWIPROBE" $words) > "$work/out.txt" 2> "$work/err.txt"; rc=$?; set -e
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
TABLE
"$KIWIPROBE" --help | grep -q '^  map ALLDATA.KWI \[--walk\]'
"$KIWIPROBE" help map | grep -q '^usage: kiwiprobe map ALLDATA.KWI'
"$KIWIPROBE" map --help | grep -q '^usage: kiwiprobe map ALLDATA.KWI'
"$KIWIPROBE" --version | grep -qx 'kiwiprobe [0-9.]*'
echo "map walk ok"
