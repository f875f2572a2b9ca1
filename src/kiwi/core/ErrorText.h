// The reason of the last failure an object met, as data, kept by const reads that may fail on several threads
// at once.
#pragma once

#include <exception>
#include <mutex>
#include <string>

#include "kiwi/core/KiwiErrors.h"

class ErrorText {
public:
    void Keep(const std::exception& error) const {
        std::lock_guard lock(mutex_);
        reason_ = FailureOf(error);
    }
    // Keeps the reason unless one is kept already: the first damage met is the one told.
    void KeepFirst(const Failure& reason) const {
        std::lock_guard lock(mutex_);
        if (!reason_) reason_ = reason;
    }
    void KeepFirst(const std::string& text) const {
        if (!text.empty()) KeepFirst(Failure::Words(text));
    }
    // The reason in English ("" when none is kept).
    std::string Get() const { return Reason().English(); }
    // The reason as data, for a front end that tells it in its own language.
    Failure Reason() const {
        std::lock_guard lock(mutex_);
        return reason_;
    }

private:
    mutable std::mutex mutex_;
    mutable Failure reason_;
};
