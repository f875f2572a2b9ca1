#!/usr/bin/env bash
# Damaged "ALLDATA.KWI" files whose level tables declare far more block sets, blocks and parcels than the
# file holds: the probe's walks stop at what fits, print a bounded number of lines and end at once.
set -euo pipefail
work="$KIWI_WORK_DIR"
rm -rf "$work" && mkdir -p "$work"

check() { # shape, most map-walk lines, most frames lines
    local shape=$1 most_map=$2 most_frames=$3
    mkdir -p "$work/$shape"
    "$KIWIPROBE" gen-alldata "$work/$shape" --hostile "$shape" > /dev/null
    # A walk that ran away would take minutes; a stop after 20 s counts as a failure.
    timeout 20 "$KIWIPROBE" map "$work/$shape/ALLDATA.KWI" --walk > "$work/$shape-map.txt"
    timeout 20 "$KIWIPROBE" frames "$work/$shape/ALLDATA.KWI" --all > "$work/$shape-frames.txt"
    local map_lines frames_lines
    map_lines=$(wc -l < "$work/$shape-map.txt")
    frames_lines=$(wc -l < "$work/$shape-frames.txt")
    if (( map_lines == 0 || map_lines > most_map || frames_lines > most_frames )); then
        echo "$shape: map walk printed $map_lines lines (at most $most_map), frames $frames_lines (at most $most_frames)" >&2
        exit 1
    fi
}

# 69 block sets of 128 accepted blocks (of 1560 × 1722 declared); 256 overlapping levels give one level
# whose 65280 block sets are cut to the 192 that fit. No parcel frame lies in either file.
check crowded 9000 1
check overlapping 200 1
echo "hostile maps: walks bounded"
