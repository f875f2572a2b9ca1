// What a finished run or its finishing tasks left undone that the user asked for, with why: said in the log
// and the headless summary in English, and in the wizard's report in Russian, from the same failure.
#pragma once

#include <vector>

#include "kiwi/core/Failure.h"

struct PassedOverNote {
    // No note: nothing was left undone.
    PassedOverNote() = default;
    PassedOverNote(Failure reason, bool taskFailed = false) : why(std::move(reason)), failed(taskFailed) {}
    PassedOverNote(FailureCode code) : why(code) {}

    Failure why;
    // The task was tried and failed (the run's exit says so), rather than passed over.
    bool failed = false;
};

using PassedOverNotes = std::vector<PassedOverNote>;

// Whether any of the notes is a task that failed.
inline bool AnyTaskFailed(const PassedOverNotes& notes) {
    for (const PassedOverNote& note : notes)
        if (note.failed) return true;
    return false;
}
