// TLN_LocalManager: the reader of the KIWI localisation data management frame (areas, their names,
// main cities and languages).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kiwi/core/KiwiPrimitives.h"
#include "kiwi/parts/Manager.h"

// Area data management information (22 bytes of an area record).
struct TLN_Area {
    uint8_t AreaCode = 0;
    std::string Toponym; // 3 characters as stored, cut at a NUL
    uint32_t Property1 = 0;
    TLN_Point MainCity;
    uint16_t Property2 = 0;
    uint8_t Property3 = 0;
    std::string Language; // 3 characters as stored, cut at a NUL
};

class TLN_LocalManager : public TLN_Manager {
public:
    static constexpr int kMaxLanguages = 49;
    static constexpr int kMaxAreas = 99;

    // The frame at offset of a shared stream; valid when fewer than 50 languages and 100 areas.
    TLN_LocalManager(std::shared_ptr<TLN_Stream> stream, int64_t offset);

    int64_t ManagementHeaderSize() const { return managementHeaderSize_; }
    TLN_Point MainMapCentralPoint() const { return centralPoint_; }
    uint8_t AreaRecordSize() const { return areaRecordSize_; }
    // The counts as stored; the lists below hold only the entries the stream holds.
    uint8_t NumberOfAreas() const { return numberOfAreas_; }
    uint8_t NumberOfLanguages() const { return numberOfLanguages_; }
    int AreaCount() const { return int(areas_.size()); }
    int LanguageCount() const { return int(languages_.size()); }

    // Raise std::out_of_range for an index outside the lists.
    const TLN_Area& GetArea(int index) const;
    std::string GetLanguageName(int index) const;
    // The toponym of the first area with that code, upper-cased (ASCII); empty when no area has it.
    std::string GetAreaName(int areaCode) const;

private:
    void ReadFrame();

    int64_t managementHeaderSize_ = 0;
    TLN_Point centralPoint_;
    uint8_t areaRecordSize_ = 0;
    uint8_t numberOfAreas_ = 0;
    uint8_t numberOfLanguages_ = 0;
    std::vector<std::string> languages_;
    std::vector<TLN_Area> areas_;
};
