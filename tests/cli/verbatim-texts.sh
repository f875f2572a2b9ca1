#!/usr/bin/env bash
# The program's own texts (labels, captions, remarks, messages) must appear in the sources exactly as the
# format's documents write them, misspellings, doubled apostrophes and trailing blanks included. Each
# tests/labels/*.txt holds one text per line between double quotes; lines starting with # are comments.
# exceptions.txt lists texts that are not labels (file names, settings written elsewhere) and are skipped.
set -euo pipefail
mkdir -p "$KIWI_WORK_DIR"
work="$KIWI_WORK_DIR"
labels="$KIWI_SOURCE_DIR/tests/labels"

# The text between the first and the last double quote of each line.
texts() {
    grep -hv '^#' "$@" | grep '"' | sed -e 's/^[^"]*"//' -e 's/"[^"]*$//' || true
}

texts $(ls "$labels"/*.txt | grep -v '/exceptions.txt$') | sort -u >"$work/wanted.txt"
if [ -f "$labels/exceptions.txt" ]; then
    texts "$labels/exceptions.txt" | sort -u >"$work/skipped.txt"
    comm -23 "$work/wanted.txt" "$work/skipped.txt" >"$work/checked.txt"
else
    cp "$work/wanted.txt" "$work/checked.txt"
fi
# In C++ sources a double quote inside a string is written \" and a backslash \\.
sed -e 's/\\/\\\\/g' -e 's/"/\\"/g' "$work/checked.txt" >"$work/escaped.txt"
paste "$work/checked.txt" "$work/escaped.txt" >"$work/pairs.txt"

grep -rhoF -f "$work/checked.txt" -f "$work/escaped.txt" "$KIWI_SOURCE_DIR/src" | sort -u >"$work/found.txt" || true
missing=0
while IFS=$'\t' read -r plain escaped; do
    if ! grep -qxF -- "$plain" "$work/found.txt" && ! grep -qxF -- "$escaped" "$work/found.txt"; then
        echo "not found verbatim in src/: \"$plain\""
        missing=$((missing + 1))
    fi
done <"$work/pairs.txt"
echo "$(wc -l <"$work/checked.txt") texts checked, $missing missing"
[ "$missing" = 0 ]
