#!/usr/bin/env bash
# The Log.txt of converting the sample disc headless, with the default options and with the log box on,
# against golden texts: every line as the conversion run words it, in its order, each ended by CR LF. The
# elapsed time is the one line that differs between runs.
set -euo pipefail
: "${KIWIPROBE:?}" "${STROVANE_SAMPLE_DISC:?}" "${KIWI_SOURCE_DIR:?}" "${KIWI_WORK_DIR:?}"
work="$KIWI_WORK_DIR"
rm -rf "$work" && mkdir -p "$work"
cd "$work"
fail() { echo "FAIL: $1" >&2; exit 1; }
golden="$KIWI_SOURCE_DIR/tests/cli/golden"

"$STROVANE_SAMPLE_DISC" disc > /dev/null
echo '{"logDetails": true}' > details.json
for run in default details; do
    mkdir "$run"
    options=()
    [ "$run" = details ] && options=(--options details.json)
    "$KIWIPROBE" convert disc/ALLDATA.KWI "$run" "${options[@]}" > "$run.echo" || fail "the $run run failed"
    [ "$(grep -c $'\r$' "$run/Log.txt")" = "$(wc -l < "$run/Log.txt")" ] || fail "a $run line lacks its CR LF"
    tr -d '\r' < "$run/Log.txt" | sed -e 's/^Elapsed time: [0-9]*:[0-9][0-9]:[0-9][0-9] sec\.$/Elapsed time: 0:00:00 sec./' \
        > "$run.txt"
    diff -u "$golden/convert-log-$run.txt" "$run.txt" || fail "the $run Log.txt differs from the golden text"
    # The probe echoes the same lines as they are logged.
    sed -e 's/^Elapsed time: .*/Elapsed time: 0:00:00 sec./' "$run.echo" | diff -q - "$run.txt" > /dev/null ||
        fail "the $run echo differs from Log.txt"
done
echo "convert-log: ok"
