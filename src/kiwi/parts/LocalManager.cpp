// Localisation data management frame.
#include "kiwi/parts/LocalManager.h"

#include <stdexcept>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/BoundedRead.h"

namespace {
constexpr int64_t kAreaBytes = 22;
constexpr int64_t kLanguagesStart = 19;
} // namespace

TLN_LocalManager::TLN_LocalManager(std::shared_ptr<TLN_Stream> stream, int64_t offset)
    : TLN_Manager(std::move(stream), offset) {
    if (valid_) ReadFrame();
}

void TLN_LocalManager::ReadFrame() {
    try {
        const auto head = bounded::readRecord<kLanguagesStart>(*stream_, base_);
        const BeCursor c = head.cursor();
        managementHeaderSize_ = int64_t(c.u16(0)) * 2;
        centralPoint_ = bounded::coordinatePair(c, 4);
        areaRecordSize_ = c.u8(15);
        numberOfAreas_ = c.u8(16);
        numberOfLanguages_ = c.u8(18);
        valid_ = numberOfLanguages_ <= kMaxLanguages && numberOfAreas_ <= kMaxAreas;
        if (!valid_) return;

        const int64_t streamSize = stream_->Size();
        const int64_t languagesStart = base_ + kLanguagesStart;
        const int64_t languages =
            bounded::recordsThatFit(numberOfLanguages_, languagesStart, 3, 3, streamSize);
        for (int64_t i = 0; i < languages; ++i) {
            const auto text = bounded::readRecord<3>(*stream_, languagesStart + 3 * i);
            languages_.push_back(text.cursor().fixedString(0, 3));
        }
        // Areas are spaced by the stored record size, whatever the fields cover.
        const int64_t areasStart = languagesStart + 3 * int64_t(numberOfLanguages_);
        const int64_t areas =
            bounded::recordsThatFit(numberOfAreas_, areasStart, areaRecordSize_, kAreaBytes, streamSize);
        for (int64_t i = 0; i < areas; ++i) {
            const auto record = bounded::readRecord<kAreaBytes>(*stream_, areasStart + i * areaRecordSize_);
            const BeCursor a = record.cursor();
            TLN_Area area;
            area.AreaCode = a.u8(0);
            area.Toponym = a.fixedString(1, 3);
            area.Property1 = a.u32(4);
            area.MainCity = bounded::coordinatePair(a, 8);
            area.Property2 = a.u16(16);
            area.Property3 = a.u8(18);
            area.Language = a.fixedString(19, 3);
            areas_.push_back(area);
        }
    } catch (const KiwiError& error) {
        fail(error);
        languages_.clear();
        areas_.clear();
    }
}

const TLN_Area& TLN_LocalManager::GetArea(int index) const {
    if (index < 0 || size_t(index) >= areas_.size())
        throw std::out_of_range("localisation area " + std::to_string(index));
    return areas_[size_t(index)];
}

std::string TLN_LocalManager::GetLanguageName(int index) const {
    if (index < 0 || size_t(index) >= languages_.size())
        throw std::out_of_range("localisation language " + std::to_string(index));
    return languages_[size_t(index)];
}

std::string TLN_LocalManager::GetAreaName(int areaCode) const {
    for (const TLN_Area& area : areas_) {
        if (area.AreaCode != areaCode) continue;
        std::string name = area.Toponym;
        for (char& ch : name)
            if (ch >= 'a' && ch <= 'z') ch = char(ch - 'a' + 'A');
        return name;
    }
    return {};
}
