// What the ALLDATA family's nodes and the management views both read of a management header record: the
// names of the first seven parts and whether the record points past the end of ALLDATA.KWI.
#pragma once

#include "kiwi/parts/ManagementHeader.h"

class TLN_KiwiMap;

// The names of management header records 0 to 6 ("Map", "Region", ...; " Data" and " Data Management"
// follow them in captions and headers).
extern const char* const kManagementPartNames[7];

// True when a management header names no file of its own and its address lies at or beyond the end of
// the ALLDATA stream: the node's caption gets "  (Error)" and its view says the address exceeds the file.
bool ManagementAddressBeyondEnd(const TLN_KiwiMap& map, const TLN_Management_Header& header);
