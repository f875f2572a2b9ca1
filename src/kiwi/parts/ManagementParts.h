// Which management header of "ALLDATA.KWI" holds which part: the record's index in the header table. Every
// reader and writer that looks for one of these parts asks here rather than counting for itself.
#pragma once

enum class ManagementPart { RegionData, VoiceData, Management21, Management32 };

constexpr int ManagementHeaderIndex(ManagementPart part) {
    switch (part) {
    case ManagementPart::RegionData:
        return 1;
    case ManagementPart::VoiceData:
        return 6;
    case ManagementPart::Management21:
        return 20;
    case ManagementPart::Management32:
        return 31;
    }
    return -1;
}
