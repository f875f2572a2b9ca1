// The reason of the last failure an object met, kept by const reads that may fail on several threads at once.
#pragma once

#include <exception>
#include <mutex>
#include <string>

class ErrorText {
public:
    void Keep(const std::exception& error) const {
        std::lock_guard lock(mutex_);
        text_ = error.what();
    }
    // Keeps text unless a reason is kept already: the first damage met is the one told.
    void KeepFirst(const std::string& text) const {
        std::lock_guard lock(mutex_);
        if (text_.empty()) text_ = text;
    }
    std::string Get() const {
        std::lock_guard lock(mutex_);
        return text_;
    }

private:
    mutable std::mutex mutex_;
    mutable std::string text_;
};
