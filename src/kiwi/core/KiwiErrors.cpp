// What an exception says as data.
#include "kiwi/core/KiwiErrors.h"

Failure FailureOf(const std::exception& error, const std::string& file) {
    if (const auto* known = dynamic_cast<const KiwiError*>(&error)) return known->Reason().AboutFile(file);
    return Failure::Words(error.what(), file);
}
