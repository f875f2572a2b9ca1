// TLN_Manager: the base of every KIWI reader; binds a reader to its stream, its base position, a valid
// flag and, when reading failed, why.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "kiwi/core/ErrorText.h"
#include "kiwi/io/Stream.h"

class TLN_Manager {
public:
    // Opens the named file through OpenKiwiFile (decompressed when a CMP list names it) and owns it; base 0.
    // Raises EFOpenError when the file cannot be opened.
    explicit TLN_Manager(const std::string& fileName);
    // Shares a stream opened by someone else; valid only when 0 <= offset < stream size.
    TLN_Manager(std::shared_ptr<TLN_Stream> stream, int64_t offset);
    virtual ~TLN_Manager() = default;

    TLN_Manager(const TLN_Manager&) = delete;
    TLN_Manager& operator=(const TLN_Manager&) = delete;

    bool IsValid() const { return valid_; }
    void SetValid(bool valid) { valid_ = valid; }
    // Why reading the file failed ("" when it did not fail, or no error was raised).
    std::string ErrorString() const { return error_.Get(); }
    // Why some records of a valid part cannot be read while those before them can ("" when every record
    // can): a count the file holds fewer records for, a table past the end of the file.
    std::string Damage() const { return damage_.Get(); }
    // The same two reasons as data, for a front end that tells them in its own language.
    Failure ErrorReason() const { return error_.Reason(); }
    Failure DamageReason() const { return damage_.Reason(); }
    // The name the reader's stream was opened with ("" for a stream without a file).
    std::string GetFileName() const;
    // True when the reader opened its stream itself.
    bool OwnsStream() const { return ownsStream_; }

    TLN_Stream& Stream() const { return *stream_; }
    const std::shared_ptr<TLN_Stream>& SharedStream() const { return stream_; }
    int64_t Base() const { return base_; }

protected:
    // The reader is not valid, and keeps the reason.
    void fail(const std::exception& error) {
        valid_ = false;
        error_.Keep(error);
    }

    // The part reads on, but not whole: the first reason is kept.
    void noteDamage(const std::string& reason) const {
        if (!reason.empty()) damage_.KeepFirst(reason);
    }
    void noteDamage(const Failure& reason) const {
        if (reason) damage_.KeepFirst(reason);
    }

    std::shared_ptr<TLN_Stream> stream_;
    bool valid_ = false;
    bool ownsStream_ = false;
    int64_t base_ = 0;
    // Kept by const reads too: a record that failed to read leaves its reason here.
    ErrorText error_;
    ErrorText damage_;
};
