// The parcel management list types.
#include "kiwi/map/ParcelListType.h"

const ParcelListLayout& ParcelListLayoutOf(uint8_t listType) {
    using Source = ParcelListLayout::FrameSource;
    static const ParcelListLayout plain{6, false, false, Source::ListStream};
    static const ParcelListLayout withWord{8, false, true, Source::ListStream};
    static const ParcelListLayout named{18, false, false, Source::RecordFile};
    static const ParcelListLayout inFile8{8, true, false, Source::InformationFile};
    static const ParcelListLayout inFile6{6, true, false, Source::InformationFile};
    static const ParcelListLayout unknown{6, false, false, Source::None};
    switch (listType) {
    case 0:
        return plain;
    case 1:
    case 2:
        return withWord;
    case 100:
        return named;
    case 202:
    case 206:
        return inFile8;
    case 204:
        return inFile6;
    default:
        return unknown;
    }
}
