// Ctrl+C, a kill and a closed terminal (SIGINT, SIGTERM, SIGHUP) as one stop request in the headless tools.
#pragma once

// Installs handler for SIGINT, SIGTERM and SIGHUP and unblocks them, so that one that came while they were
// blocked is handled at once. A hangup ignored by whoever started the process (nohup) stays ignored; an
// ignored SIGINT does not (a shell starts background commands so, and a kill must still stop them).
// handler runs in signal context: it may only touch lock-free atomics and call async-signal-safe functions.
void CatchStopSignals(void (*handler)(int));
