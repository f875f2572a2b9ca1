// Exception classes of the data-access layer; readers report bad data through their valid flag instead.
#pragma once

#include <stdexcept>
#include <string>

#include "kiwi/core/Failure.h"

// Base of every error the data-access layer raises; the message is the failure's English text, and the
// failure itself goes with it for a front end that tells it in another language.
class KiwiError : public std::runtime_error {
public:
    explicit KiwiError(const std::string& message)
        : std::runtime_error(message), failure_(Failure::Words(message)) {}
    explicit KiwiError(const Failure& failure) : std::runtime_error(failure.English()), failure_(failure) {}
    const Failure& Reason() const { return failure_; }

private:
    Failure failure_;
};

// What an exception says as data: a library error's failure, any other one's words, naming `file` when
// the failure is of no known class.
Failure FailureOf(const std::exception& error, const std::string& file = {});

// A read failed or ran past what a file holds ("File read error!", "File Read or File Size Error …").
class EReadError : public KiwiError {
public:
    using KiwiError::KiwiError;
};

// A write delivered fewer bytes than asked (disk full, read-only stream).
class EWriteError : public KiwiError {
public:
    using KiwiError::KiwiError;
};

// A file could not be opened for reading.
class EFOpenError : public KiwiError {
public:
    using KiwiError::KiwiError;
};

// A file could not be created (temporary files, outputs).
class EFCreateError : public KiwiError {
public:
    using KiwiError::KiwiError;
};

// A value could not be represented or converted (a KIWI address past 32 GiB, a missing reader).
class EConvertError : public KiwiError {
public:
    using KiwiError::KiwiError;
};

// Decompression of a CMP-listed block failed.
class ECompressionError : public KiwiError {
public:
    using KiwiError::KiwiError;
};
