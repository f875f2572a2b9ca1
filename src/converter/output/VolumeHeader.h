// The data volume record of the new map: its level table, the coverage edge the target system expects,
// the target's identification records and the date and version stamps.
#pragma once

#include <cstdint>
#include <vector>

#include "converter/job/ConversionContext.h"
#include "converter/job/ConversionProgress.h"
#include "converter/source/ConversionOptions.h"

const char* TargetName(ConversionTarget target);

// The longitude of the coverage's east edge at 8209 as the target system reads it.
void WriteCoverageEdge(TLN_Stream& out, ConversionTarget target, int32_t west, int32_t east,
                       ConversionProgress& progress);
// The level table of data type 1 at 494, followed by the source's other data types (or the fixed ones of
// data types 2 and 3 when the source has none), and their number at 492.
void WriteLevelTable(TLN_Stream& out, TLN_Stream& source, const std::vector<LevelTableEntry>& levels);
// Identification records of the target, the system identification text, the stamps.
void WriteVolumeHeader(TLN_Stream& out, const ConversionOptions& options, ConversionProgress& progress);
