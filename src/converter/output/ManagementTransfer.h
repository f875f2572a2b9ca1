// The management data of the source's other parts appended after the new main map data, their header
// records re-pointed; the block that management 32 refers to moved with them; the language code set.
#pragma once

#include "converter/job/ConversionContext.h"

// Appends from the output's current size. Returns the new size of the output (32-aligned).
int64_t TransferManagementData(ConversionContext& context, int64_t sourceSize);
