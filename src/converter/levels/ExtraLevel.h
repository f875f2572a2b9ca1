// The extra, more detailed level (25 m) added after the last level of the source: a new level record
// modelled on the last one, one block set record per block set of that level, and every table offset
// of the management data moved past them. Its parcels come from imported outlines; without them the
// level's block sets stay empty.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "converter/job/ConversionContext.h"
#include "converter/job/PassedOverNote.h"

// Why the source's management data cannot take the extra level, or "" when it can.
Failure ExtraLevelRefusal(TLN_KiwiMap& map);

// The note of an extra level left out because management data of managementBytes had no room for its
// block tables.
PassedOverNote ExtraLevelNoRoomNote(int64_t managementBytes);
// The same, said before the run, when the source's management data cannot take even the first block set's
// table of the extra level; an empty note when it can (or cannot take the level at all).
PassedOverNote ExtraLevelRoomShortage(TLN_KiwiMap& map);

// The source's management data (its whole size, read from header 0) with the extra level added; sets the
// context's level and table growth.
std::vector<uint8_t> BuildExtraLevelManagement(ConversionContext& context,
                                               const std::vector<uint8_t>& management);

// The extra level's code in the data volume's level list (-2; its level record's byte is F8).
inline constexpr uint8_t kExtraLevelCodeByte = 0xFE;
