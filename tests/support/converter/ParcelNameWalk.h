// Name records of converted maps read back with the project's readers, parcel by parcel in a source and
// its conversion side by side, for the tests of name translation and re-encoding.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "kiwi/frames/ParcelFrames.h"
#include "kiwi/map/KiwiMap.h"

namespace namewalk {

struct NameRecord {
    std::vector<uint8_t> bytes;
    QString text;
    bool hasString = false;
    bool table = false;
};

// Every name record of a parcel, class by class, and the texts its references reach.
struct ParcelNames {
    std::vector<NameRecord> records;
    std::vector<QString> referenced;
};

// One name record as the readers see it: its bytes, its text, whether it has a string and whether the
// string is a table of several languages.
NameRecord readRecord(const TLN_FrameSpan& names, int64_t position);
// Every name record of a parcel and the texts its road and background references reach.
ParcelNames parcelNames(TLN_KiwiMap& map, uint8_t level, const TLN_MM_Parcel_Managenent_Record& parcel);

// Calls visit(level, source parcel, output parcel) for every parcel with a frame in both maps, divided
// parcels by their sub-parcels.
template <typename Visit> void eachParcel(TLN_KiwiMap& source, TLN_KiwiMap& output, Visit visit) {
    for (uint8_t level = 0; level < source.LevelCount(); ++level) {
        const auto& record = *source.Level(level);
        for (uint32_t s = 0; s < uint32_t(record.BlockSetCount()); ++s)
            for (uint32_t b = 0; b < uint32_t(record.BlockCount()); ++b) {
                TLN_Block_Management_Record oldBlock, newBlock;
                TLN_Parcel_Management_Info oldInfo, newInfo;
                if (!source.ReadBlock(level, s, b, oldBlock) || !output.ReadBlock(level, s, b, newBlock) ||
                    !source.ReadParcelManagement(oldBlock.Stream, level, oldInfo, oldBlock.Address) ||
                    !output.ReadParcelManagement(newBlock.Stream, level, newInfo, newBlock.Address))
                    continue;
                for (uint32_t i = 0; i < oldInfo.StoredRecordCount; ++i) {
                    TLN_MM_Parcel_Managenent_Record oldParcel, newParcel;
                    if (!source.ReadParcel(oldBlock.Stream, level, i, oldParcel, false, oldBlock.Address) ||
                        !output.ReadParcel(newBlock.Stream, level, i, newParcel, false, newBlock.Address))
                        continue;
                    if (!oldParcel.IsDivided() && !newParcel.IsDivided()) {
                        visit(level, oldParcel, newParcel);
                        continue;
                    }
                    // A divided parcel: each of its sub-parcels.
                    TLN_Parcel_Management_Info oldSubs, newSubs;
                    if (!oldParcel.IsDivided() || !newParcel.IsDivided() ||
                        !source.ReadParcelManagement(oldParcel.Stream, level, oldSubs, oldParcel.Address) ||
                        !output.ReadParcelManagement(newParcel.Stream, level, newSubs, newParcel.Address))
                        continue;
                    for (uint32_t k = 0; k < oldSubs.StoredRecordCount; ++k) {
                        TLN_MM_Parcel_Managenent_Record oldSub, newSub;
                        if (source.ReadParcel(oldParcel.Stream, level, k, oldSub, false, oldParcel.Address) &&
                            output.ReadParcel(newParcel.Stream, level, k, newSub, false, newParcel.Address) &&
                            !oldSub.IsDivided() && !newSub.IsDivided())
                            visit(level, oldSub, newSub);
                    }
                }
            }
    }
}

// What a name check counted over both maps.
struct TranslationTally {
    int parcels = 0, translated = 0, refused = 0, references = 0;
    std::vector<QString> newTexts; // every rewritten text
};

// The text a stored name should become (its translation in the dictionary, code page 1251), or nothing
// when the old record stays: what the names writer promises.
using ExpectedText = std::function<std::optional<QString>(const QString&)>;
ExpectedText expectedTranslation(const std::function<std::string(const std::string&)>& translateByWords);

// Compares every name record and name reference of the two maps parcel by parcel with gtest expectations:
// a translated record holds the expected text, a refused one keeps its bytes, and every reference reaches
// the expected text of the name it reached before.
TranslationTally checkTranslatedNames(TLN_KiwiMap& source, TLN_KiwiMap& output, const ExpectedText& expected);
// The same over a source map and its converted copy (their ALLDATA.KWI paths), expecting the word-by-word
// translations of a dictionary loaded from its text form.
TranslationTally checkTranslatedMaps(const std::string& sourcePath, const std::string& outputPath,
                                     const std::string& dictionaryText);

} // namespace namewalk
