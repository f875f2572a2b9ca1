// The one table of parcel management list types: record size, header extension and where each type keeps
// its parcels' frames. Every reader of parcel lists uses it, so they cannot disagree.
#pragma once

#include <cstdint>

struct ParcelListLayout {
    enum class FrameSource : uint8_t {
        // The frame lies in the stream of the list.
        ListStream,
        // The frame lies in the data file named at record offset 6 (12 bytes).
        RecordFile,
        // The frame lies in the data file named at +6 of the information (when the word at +4 is 1).
        InformationFile,
        // Unknown list type: no record is found.
        None,
    };
    uint8_t RecordSize = 6;
    // True for list types whose information carries the word at +4 and maybe a file name.
    bool HasExtension = false;
    bool HasExtraWord = false;
    FrameSource Source = FrameSource::None;

    bool Known() const { return Source != FrameSource::None; }
    // The header extension: 14 when the word at +4 is 1 (a file name follows), else 2; 0 without extension.
    int64_t Extension(uint16_t fileNameFlag) const { return HasExtension ? (fileNameFlag == 1 ? 14 : 2) : 0; }
};

const ParcelListLayout& ParcelListLayoutOf(uint8_t listType);
