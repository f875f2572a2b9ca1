#!/usr/bin/env bash
# The text formatters through kiwiprobe, compared with hand-written golden text.
set -euo pipefail
mkdir -p "$KIWI_WORK_DIR"
out="$KIWI_WORK_DIR/format.txt"
golden="$KIWI_SOURCE_DIR/tests/cli/golden/format.txt"

probe() { LC_ALL=C "$KIWIPROBE" format "$@"; }
{
    probe grouped 0 999 1000 1234567 -1234 1000000000000000000 -9223372036854775808
    probe hex64 0 0x1234 0xFFFFFF 0x100000000 0x10012345678 0x123456789ABCDEF0 -1
    probe hex0x 255 0x100 0xFF12345678 -2
    probe hexdigits 0 0x1000000 0x7FFFFFFFFFFFFFFF
    probe hex32 0 0x1234 0x100000000 0x10000000000 -1
    probe dword 0 0x12AB00CD 4294967295
    probe word 0x0A0B 65535
    probe compact "0 x 12 34" "Offset=0 x 00 00 12 ab" "0 x 7F FF FF FF FF FF FF FF" \
        "0 x 80 00 00 00 00 00 00 00" "0x1234" "0 x 1G" "0 x 123" "0 x 12 34 "
    probe dms 1589820 -1589820 0 4 28799 8388607
    probe lat 0 -8 1589820
    probe lon 0 1 -3947658
    probe degrees 28800 0 -1 72 71 -3947658 1589820
    probe cmptype 0 1 2 258 514 770 3 13258
    probe traffic 0 1 10 15 16
    probe maker 3947658,1005219 5177344,4474190 -2391568,1219088 1005219,3947658
    # The decimal separator follows the system locale.
    LC_ALL=de_DE.UTF-8 "$KIWIPROBE" format degrees 28800 -72
} >"$out"
diff -u "$golden" "$out"

# Values out of a kind's range and unknown kinds are refused.
if "$KIWIPROBE" format word 65536 >/dev/null 2>&1; then echo "word 65536 accepted"; exit 1; fi
if "$KIWIPROBE" format nosuchkind 1 >/dev/null 2>&1; then echo "unknown kind accepted"; exit 1; fi
echo "format: ok"
