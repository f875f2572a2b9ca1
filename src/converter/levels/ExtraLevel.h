// The extra, more detailed level (25 m) added after the last level of the source: a new level record
// modelled on the last one, one block set record per block set of that level, and every table offset
// of the management data moved past them. Its parcels come from imported outlines; without them the
// level's block sets stay empty.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "converter/job/ConversionContext.h"

// Why the source's management data cannot take the extra level, or "" when it can.
Failure ExtraLevelRefusal(TLN_KiwiMap& map);

// The source's management data (its whole size, read from header 0) with the extra level added; sets the
// context's level and table growth.
std::vector<uint8_t> BuildExtraLevelManagement(ConversionContext& context,
                                               const std::vector<uint8_t>& management);

// The extra level's code in the data volume's level list (-2; its level record's byte is F8).
inline constexpr uint8_t kExtraLevelCodeByte = 0xFE;
