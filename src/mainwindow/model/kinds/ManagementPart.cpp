// The management header record's part names and its address check.
#include "mainwindow/model/kinds/ManagementPart.h"

#include "kiwi/map/KiwiMap.h"

const char* const kManagementPartNames[7] = {"Map",     "Region", "Index", "Parameters", "Infrastructure",
                                             "Graphic", "Voice"};

bool ManagementAddressBeyondEnd(const TLN_KiwiMap& map, const TLN_Management_Header& header) {
    if (!header.Name.empty()) return false;
    const std::shared_ptr<TLN_Stream> stream = map.GetAllDataStream();
    return stream && header.Address >= stream->Size();
}
