#!/usr/bin/env bash
# Voice data through kiwiprobe: the listing against golden text, and WAVE files that sox reads with the
# expected format and sample counts (VOICEDAT 18900 Hz mono; VOICE001.ME at each voice's own rate).
set -euo pipefail
mkdir -p "$KIWI_WORK_DIR"
dir="$KIWI_WORK_DIR/files"
rm -rf "$dir"
"$KIWIPROBE" gen-voice "$dir"

out="$KIWI_WORK_DIR/voice.txt"
{
    "$KIWIPROBE" voice "$dir/VOICEDAT.KWI"
    "$KIWIPROBE" voice "$dir/ALLDATA.KWI" --base 4096 --table 3
    "$KIWIPROBE" voice-me "$dir/VOICE001.ME"
} >"$out"
diff -u "$KIWI_SOURCE_DIR/tests/cli/golden/voice.txt" "$out"

# check FILE RATE CHANNELS SAMPLES-PER-CHANNEL
check() {
    local file=$1 rate=$2 channels=$3 samples=$4
    [ "$(soxi -r "$file")" = "$rate" ] || { echo "$file: rate $(soxi -r "$file"), want $rate"; exit 1; }
    [ "$(soxi -c "$file")" = "$channels" ] || { echo "$file: channels $(soxi -c "$file")"; exit 1; }
    [ "$(soxi -b "$file")" = "16" ] || { echo "$file: bits $(soxi -b "$file")"; exit 1; }
    [ "$(soxi -s "$file")" = "$samples" ] || { echo "$file: samples $(soxi -s "$file"), want $samples"; exit 1; }
    # sox must be able to read every sample, not only the header.
    local stat
    stat=$(sox "$file" -n stat 2>&1)
    grep -q "Samples read: *$((samples * channels))\$" <<<"$stat" || { echo "$file: $stat"; exit 1; }
}

# Table 0: phrases of 300 and 228 bytes decode as 2 + 1 groups (the remainders are not sound).
for table in 0:672 1:672 2:224 3:448; do
    n=${table%%:*}
    "$KIWIPROBE" voice "$dir/VOICEDAT.KWI" --table "$n" --wav "$dir/table$n.wav" >/dev/null
    check "$dir/table$n.wav" 18900 1 "${table##*:}"
done
"$KIWIPROBE" voice "$dir/ALLDATA.KWI" --base 4096 --table 3 --wav "$dir/part3.wav" >/dev/null
cmp "$dir/table3.wav" "$dir/part3.wav"

"$KIWIPROBE" voice-me "$dir/VOICE001.ME" --entry 0 --voice 0 --wav "$dir/me00.wav"
check "$dir/me00.wav" 22050 1 150
"$KIWIPROBE" voice-me "$dir/VOICE001.ME" --entry 0 --voice 1 --wav "$dir/me01.wav"
check "$dir/me01.wav" 11025 2 60
"$KIWIPROBE" voice-me "$dir/VOICE001.ME" --entry 1 --voice 0 --wav "$dir/me10.wav"
check "$dir/me10.wav" 8000 1 90

if "$KIWIPROBE" voice-me "$dir/VOICE001.ME" --entry 1 --voice 1 --wav "$dir/none.wav" 2>/dev/null; then
    echo "a missing voice was written"
    exit 1
fi
echo "voice: ok"
