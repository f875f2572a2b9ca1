// A failure as data: its class (a code) and its values (file, level, block set, sizes, the failure it
// wraps), so that each front end tells it in its own language and none reads another's text.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kiwi/core/FailureCodes.h"

enum class FailureCode : uint16_t {
#define KIWI_FAILURE_ENUM(code, english) code,
    KIWI_FAILURE_CODES(KIWI_FAILURE_ENUM)
#undef KIWI_FAILURE_ENUM
};

class Failure;

// One named value of a failure: a text (a path, a figure), or a failure of its own (a reason, a table's
// name) that is told in the same language as the one that holds it.
struct FailureValue {
    FailureValue(std::string valueName, std::string valueText)
        : name(std::move(valueName)), text(std::move(valueText)) {}
    FailureValue(std::string valueName, int64_t number)
        : name(std::move(valueName)), text(std::to_string(number)) {}
    FailureValue(std::string valueName, const Failure& inner);

    std::string name;
    std::string text;
    std::shared_ptr<const Failure> inner;
};

class Failure {
public:
    // No failure.
    Failure() = default;
    Failure(FailureCode code, std::vector<FailureValue> values = {})
        : code_(code), values_(std::move(values)) {}
    // A failure that wraps another one ("{cause}").
    Failure(FailureCode code, const Failure& cause, std::vector<FailureValue> values = {});

    // A failure of no known class: its own words, with the file it concerns when one is given.
    static Failure Words(std::string words, const std::string& file = {});
    // The system's reason for error number `error` (errno).
    static Failure System(int error);

    explicit operator bool() const { return code_ != FailureCode::None; }
    FailureCode Code() const { return code_; }
    const std::vector<FailureValue>& Values() const { return values_; }
    // The text of the named value ("" when there is none, or when it is a failure of its own).
    std::string Value(std::string_view name) const;
    // The same failure, now naming the file it concerns when it is of no known class and names none.
    Failure AboutFile(const std::string& file) const;

    // The failure in English, as the log and the tools print it.
    std::string English() const;
    // The form with every "{name}" replaced: by the value's text, or by `tell` of the failure the value
    // holds; a name the failure lacks is left empty.
    std::string Fill(std::string_view form, const std::function<std::string(const Failure&)>& tell) const;

private:
    FailureCode code_ = FailureCode::None;
    std::vector<FailureValue> values_;
};

// Prints the English text (test messages, the tools).
std::ostream& operator<<(std::ostream& out, const Failure& failure);

// The English form of a code, and its name as the code is written ("NoMainMap").
std::string_view EnglishForm(FailureCode code);
std::string_view FailureCodeName(FailureCode code);
// Every code, None first.
const std::vector<FailureCode>& AllFailureCodes();
