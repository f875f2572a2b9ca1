#!/usr/bin/env bash
# strovane-sample-disc --install with the user's folders in a scratch place: the image appears in the data
# folder and the settings list it while the reopen list is empty; a second run changes nothing; settings
# with a reopen list are left byte for byte alone; bad arguments are refused.
set -euo pipefail
: "${KIWIPROBE:?}" "${STROVANE_SAMPLE_DISC:?}" "${KIWI_WORK_DIR:?}"
work="$KIWI_WORK_DIR"
rm -rf "$work" && mkdir -p "$work"
cd "$work"

fail() { echo "FAIL: $1" >&2; exit 1; }
if ! command -v xorriso > /dev/null; then
    [ "${CI:-}" = true ] && fail "xorriso is not installed, and CI=true needs it"
    echo "sample install: skipped, xorriso is not installed"
    exit 0
fi
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
image="$work/data/strovane/sample-disc.iso"
settings="$work/config/Strovane/settings.txt"
hex() { printf '%s\r\n' "$1" | od -An -tx1 -v | tr -d ' \n'; }

# First run: the image, and the settings the program reads its reopen list from.
"$STROVANE_SAMPLE_DISC" --install > first.txt
town="$work/data/strovane/sample-disc-town.mp"
printf 'sample disc: wrote %s\nsample town map: wrote %s\nreopen list: %s\n' "$image" "$town" "$image" |
    diff -u - first.txt || fail "first run"
[ -s "$image" ] || fail "no image"
grep -q '^Type=0x13' "$town" || fail "no buildings in the town map"
grep -qx "B ReopenData $(hex "$image")" "$settings" || fail "ReopenData"
grep -qx "I ReopenDataSize $((${#image} + 2))" "$settings" || fail "ReopenDataSize"
grep -q '^S IsoFile ' "$settings" || fail "IsoFile"
LC_ALL=C "$KIWIPROBE" map ALLDATA.KWI --image "$image" | grep -q '^map valid 1 levels 2 ' || fail "image unreadable"

# Second run: nothing changes.
cp "$settings" settings-before.txt
cp "$image" image-before.iso
"$STROVANE_SAMPLE_DISC" --install > second.txt
printf 'sample disc: %s (already there)\nreopen list: not empty, left alone\n' "$image" | diff -u - second.txt ||
    fail "second run"
cmp -s "$settings" settings-before.txt || fail "settings changed"
cmp -s "$image" image-before.iso || fail "image changed"

# Another user whose reopen list holds a disk: the image is written, the settings stay as they were.
export XDG_DATA_HOME="$work/data2" XDG_CONFIG_HOME="$work/config2"
mkdir -p "$work/config2/Strovane"
printf 'StrovaneSettings 1\nB ReopenData %s\nI ReopenDataSize 14\n' "$(hex /media/cdrom)" > "$work/config2/Strovane/settings.txt"
cp "$work/config2/Strovane/settings.txt" settings2-before.txt
"$STROVANE_SAMPLE_DISC" --install | grep -qx 'reopen list: not empty, left alone' || fail "listed user"
[ -s "$work/data2/strovane/sample-disc.iso" ] || fail "no image for the listed user"
cmp -s "$work/config2/Strovane/settings.txt" settings2-before.txt || fail "a listed user's settings changed"

# Arguments it does not know: exit 2 and a message on stderr that names what is wrong (as nobody when root,
# so that nothing can be written).
as_user=()
[ "$(id -u)" != 0 ] || as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
while IFS='|' read -r arguments message; do
    status=0
    eval "set -- $arguments"
    "${as_user[@]}" "$STROVANE_SAMPLE_DISC" "$@" > out.txt 2> err.txt || status=$?
    [ "$status" -eq 2 ] && [ ! -s out.txt ] || fail "'$arguments' gave $status"
    grep -qF -- "$message" err.txt || fail "'$arguments' said: $(cat err.txt)"
done <<'TABLE'
|give FOLDER, --iso IMAGE or --install
--install disc|--install takes no FOLDER and no --iso
--iso|after '--iso'
--frobnicate|unknown option --frobnicate
a b|one FOLDER only, not also "b"
''|FOLDER is empty
--iso ''|--iso is empty
--iso=|--iso is empty
TABLE
"$STROVANE_SAMPLE_DISC" --help | grep -q '^usage: strovane-sample-disc FOLDER' || fail "--help"
"$STROVANE_SAMPLE_DISC" --version | grep -qx 'strovane-sample-disc [0-9.]*' || fail "--version"
# The desktop entry that starts the program: no file argument (it takes none), no icon the tree lacks.
entry="$KIWI_SOURCE_DIR/resources/strovane.desktop"
grep -qx 'Exec=strovane' "$entry" || fail "desktop entry: $(grep '^Exec=' "$entry")"
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -z "$icon" ] || ls "$KIWI_SOURCE_DIR/resources/$icon".* > /dev/null 2>&1 || fail "desktop entry icon $icon is not in resources/"
echo "sample install: ok"
