// The Russian for the failures of the converter and the data library, as the converter wizard and the
// record tree tell them: one form per failure code with the failure's values in it. The run log and the
// headless tools keep the English form of the same failure.
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
// The same for a place already labelled as an error (the record tree's "Ошибка" rows): a failure of no
// known class is its own words alone.
QString RussianReason(const Failure& failure);
