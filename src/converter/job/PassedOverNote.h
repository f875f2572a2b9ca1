// What a finished run or its finishing tasks left undone that the user asked for, with why: said in the log
// and the headless summary in English, and in the wizard's report in Russian.
#pragma once

#include <string>
#include <vector>

struct PassedOverNote {
    // The log's words (after "WARNING: " or "ERROR: ").
    std::string english;
    // The wizard's words, UTF-8.
    std::string russian;
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
