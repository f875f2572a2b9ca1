#!/usr/bin/env bash
# Every command that writes files, in each way a write must not go wrong: its own input in the output's
# place (another name of the same file), a file it did not make in the way, a folder it cannot write, a
# full disk, and a hangup (SIGHUP already pending as it starts). Each refuses or fails with the reason,
# never hangs, and leaves its sources, the file in the way and the folder as they were; a hangup ends it
# with exit 2 and nothing written.
set -euo pipefail
: "${KIWIPROBE:?}" "${STROVANE_SAMPLE_DISC:?}" "${KIWI_WORK_DIR:?}"
work="$KIWI_WORK_DIR"
release() {
    grep -F " $work/" /proc/mounts | cut -d' ' -f2 | xargs -r -n1 umount 2> /dev/null || true
    chattr -R -i "$work" 2> /dev/null || true
}
release && rm -rf "$work" && mkdir -p "$work/base" && cd "$work/base"
trap release EXIT
fail() { echo "FAIL: $1" >&2; exit 1; }
command -v xorriso > /dev/null || { [ "${CI:-}" != true ] || fail "CI=true needs xorriso"; echo "skipped: no xorriso"; exit 0; }
"$STROVANE_SAMPLE_DISC" disc --iso disc.iso > /dev/null
"$KIWIPROBE" gen-local local > /dev/null
mkdir png && "$KIWIPROBE" picture disc/PCT2MNG.KWI --png png > /dev/null
png=$(ls png | sed -n 1p)

# Each command writing into the folder out: the file it writes there, the source behind that file, and
# what may stand in its way (a file of the same name, another program's partial file or a FIFO).
commands=(
    "convert|ALLDATA.KWI|disc/ALLDATA.KWI|file|$KIWIPROBE convert disc/ALLDATA.KWI out"
    "iso-extract|ALLDATA.KWI|disc.iso|fifo|$KIWIPROBE iso-extract disc.iso ALLDATA.KWI out/ALLDATA.KWI"
    "voice|out.wav|disc/VOICEDAT.KWI|fifo|$KIWIPROBE voice disc/VOICEDAT.KWI --table 0 --wav out/out.wav"
    "voice-me|out.wav|disc/VOICE001.ME|fifo|$KIWIPROBE voice-me disc/VOICE001.ME --entry 0 --voice 0 --wav out/out.wav"
    "picture|$png|disc/PICT0001.KWI|file|$KIWIPROBE picture disc/PCT2MNG.KWI --png out"
    "unpack|SRCH0001.KWI|disc/SRCH0001.KWI|part|$KIWIPROBE unpack disc/05.CMP out --only SRCH0001.KWI"
    "filecon|FILECON.MNG|local/FC16.MNG|fifo|$KIWIPROBE filecon local/FC16.MNG --delete 0 --save out/FILECON.MNG"
    "sample-disc|ALLDATA.KWI||fifo|$STROVANE_SAMPLE_DISC out"
)
# The sources, and the folder out with its files (a FIFO is listed, never read).
state() {
    find disc disc.iso local out -type f -print0 2> /dev/null | sort -z | xargs -0r sha256sum || true
    ls -l out 2> /dev/null || true
}
# A hangup pending (blocked, so that it waits) when the command starts: handled at once, or never.
hangup=(python3 -c 'import os, signal, sys
signal.pthread_sigmask(signal.SIG_BLOCK, [signal.SIGHUP]); os.kill(os.getpid(), signal.SIGHUP)
os.execvp(sys.argv[1], sys.argv[1:])')

for entry in "${commands[@]}"; do
    IFS='|' read -r name target source blocker command <<< "$entry"
    for case in same foreign unwritable full hangup; do
        row="$work/$name-$case"
        cp -a "$work/base" "$row" && cd "$row" && mkdir out
        what="$name, $case"
        run=$command
        reason='.'
        case $case in
        same)
            if [ -n "$source" ]; then ln "$source" "out/$target"; else run="$command --iso out/$target"; fi ;;
        foreign)
            case $blocker in
            file) echo foreign > "out/$target" ;;
            part) echo foreign > "out/$target.part" ;;
            fifo) mkfifo "out/$target"; reason='not a regular file' ;;
            esac ;;
        unwritable)
            # The superuser writes through permissions: an immutable folder, where the file system has them.
            chattr +i out 2> /dev/null || { [ "$(id -u)" != 0 ] && chmod 555 out; } ||
                { echo "skipped $what: no immutable folders here"; continue; }
            reason='Operation not permitted|Permission denied|нет доступа' ;;
        full)
            mount -t tmpfs -o size=4k tmpfs out 2> /dev/null || { echo "skipped $what: no tmpfs here"; continue; }
            dd if=/dev/zero of=out/filler bs=1k 2> /dev/null || true
            reason='No space left on device|на диске нет места' ;;
        hangup) ;;
        esac
        before=$(state)
        set +e
        prefix=()
        [ "$case" != hangup ] || prefix=("${hangup[@]}")
        timeout 60 "${prefix[@]}" $run > err.txt 2>&1
        rc=$?
        set -e
        [ "$rc" != 124 ] || fail "$what: hangs"
        [ "$case" != hangup ] || { [ "$rc" = 2 ] && [ -z "$(ls -A out)" ] || fail "$what: exit $rc, $(ls out)"; continue; }
        [ "$rc" != 0 ] || fail "$what: exit 0"
        grep -qE "$reason" err.txt || fail "$what: the reason (\"$reason\") was not told: $(cat err.txt)"
        [ "$(state)" = "$before" ] ||
            fail "$what: the sources or the folder changed: $(ls -la out)"
        release
    done
done
echo "guarded-output: ok"
