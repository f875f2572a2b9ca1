// The reason a system call failed (errno), in Russian as the windows show it beside their own words, whatever
// language the system speaks.
#pragma once

#include <string>

std::string SystemErrorText(int error);
