// The converter wizard's Russian for the failures of the converter and the data library: one form per
// failure code with the failure's values in it. The run log keeps the English form of the same failure.
#pragma once

#include <QString>
#include <string_view>

#include "kiwi/core/Failure.h"

// The Russian form of a code ("{name}" stands for a value, as in the English form), or "" when the code
// has none.
std::string_view RussianForm(FailureCode code);
// The failure in Russian, its first letter a capital; a failure of no known class keeps its own words
// after "Ошибка: ", with the file it concerns.
QString RussianText(const Failure& failure);
