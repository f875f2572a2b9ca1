// TLN_AllDataManager: data volume, system number and variant, management headers.
#include "kiwi/parts/AllDataManager.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/WholeRead.h"

#include <exception>
#include <vector>

TLN_AllDataManager::TLN_AllDataManager(const std::string& fileName) : TLN_Manager(fileName) {
    load();
}

TLN_AllDataManager::TLN_AllDataManager(std::shared_ptr<TLN_Stream> stream)
    : TLN_Manager(std::move(stream), 0) {
    load();
}

void TLN_AllDataManager::load() {
    logicalSectorSize_ = 32;
    valid_ = stream_ != nullptr && ReadDataVolume(volume_);
    // A sector size cut off is no wrong sector size: the reason is where the file ends.
    if (!valid_ && !volumeError_.empty()) error_.Keep(EReadError(volumeError_));
    systemNumber_ = ParseSystemNumber(volume_.Maker.Name);
    systemSubNumber_ = ParseSystemSubNumber(volume_.Maker.Name);
    systemVariant_ = SystemVariantOf(GetSystemCode());
    for (int i = 0; i < kManagementHeaderCount; ++i)
        headers_[size_t(i)] = ReadManagementHeaderRecord(i, kManagementHeaderTablePosition);
}

namespace {
// Bytes of the data volume record up to the end of its level lists (fixed fields end at byte 494).
int64_t dataVolumeBytes(const TLN_Data_Volume& volume) {
    int64_t end = 494;
    for (const TLN_Data_Level_Information& type : volume.LevelInformation)
        end += 2 + 4 * int64_t(type.LevelCount);
    return end;
}
} // namespace

std::string TLN_AllDataManager::ManagementHeaderError(int index) const {
    if (!stream_ || index < 0 || index >= kManagementHeaderCount) return {};
    const int64_t offset = kManagementHeaderRecordSize * index;
    if (headerTableBytes_ >= offset + kManagementHeaderRecordSize) return {};
    return whole::Reason(*stream_, "management header record " + std::to_string(index + 1),
                         kManagementHeaderTablePosition + offset, kManagementHeaderRecordSize,
                         headerTableBytes_ - offset);
}

bool TLN_AllDataManager::ReadDataVolume(TLN_Data_Volume& volume) {
    if (!stream_) return false;
    // One read covers the record, its level lists and the header table; a short file reads as zeros.
    std::vector<uint8_t> bytes(kDataVolumeSpan, 0);
    int64_t delivered = 0;
    try {
        delivered = bounded::readInto(*stream_, 0, bytes.data(), kDataVolumeSpan);
    } catch (const std::exception& error) {
        error_.Keep(error);
        return false;
    }
    // Decoded from the bytes the file holds only: what lies past its end reads as nothing, and says so.
    volume = DecodeDataVolume(BeCursor(bytes.data(), size_t(delivered)));
    const int64_t needed = dataVolumeBytes(volume);
    volumeError_ = delivered >= needed
                       ? std::string()
                       : whole::Reason(*stream_, "the data volume record", 0, needed, delivered);
    headerTableBytes_ = std::max<int64_t>(0, delivered - kManagementHeaderTablePosition);
    logicalSectorSize_ = volume.LogicalSectorSize;
    return logicalSectorSize_ == 32;
}

std::string TLN_AllDataManager::GetSystemCode() const {
    return volume_.Maker.Name.substr(0, 6);
}

TLN_Management_Header TLN_AllDataManager::ReadManagementHeaderRecord(int index, int64_t tablePosition) const {
    TLN_Management_Header header;
    if (!stream_ || index < 0 || index > 255 || tablePosition < 0) return header;
    uint8_t bytes[kManagementHeaderRecordSize] = {};
    try {
        if (bounded::readInto(*stream_, tablePosition + kManagementHeaderRecordSize * index, bytes,
                              sizeof bytes) != int64_t(sizeof bytes))
            return header;
    } catch (const std::exception& error) {
        error_.Keep(error);
        return header;
    }
    DecodeManagementHeader(BeCursor(bytes, sizeof bytes), 0, logicalSectorSize_, header);
    return header;
}

TLN_Management_Header TLN_AllDataManager::GetManagementHeader(int index) const {
    if (index < 0 || index >= kManagementHeaderCount) return {};
    return headers_[size_t(index)];
}

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
// The character at a 1-based place, or NUL when the text is shorter.
char at(const std::string& s, size_t place) {
    return place >= 1 && place <= s.size() ? s[place - 1] : '\0';
}
} // namespace

uint16_t TLN_AllDataManager::ParseSystemNumber(const std::string& s) {
    const size_t colon = s.size() > 3 ? s.find(':', 3) : std::string::npos;
    if (colon == std::string::npos || colon + 1 >= s.size()) return 0;
    return isDigit(s[colon + 1]) ? uint16_t(s[colon + 1] - '0') : 0;
}

uint16_t TLN_AllDataManager::ParseSystemSubNumber(const std::string& s) {
    const size_t dot = s.size() > 5 ? s.find('.', 5) : std::string::npos;
    if (dot == std::string::npos || dot + 2 >= s.size()) return 0;
    const char high = s[dot + 1];
    const char low = s[dot + 2];
    return isDigit(high) && isDigit(low) ? uint16_t((high - '0') * 10 + (low - '0')) : 0;
}

uint8_t TLN_AllDataManager::SystemVariantOf(const std::string& c) {
    const char first = at(c, 1);
    if (first == 'A' || uint8_t(first) == 0xC0) {
        if (at(c, 6) == '2' || at(c, 5) == '2') return 0;
        if (at(c, 6) == '4' || at(c, 5) == '4') return 1;
        if (at(c, 6) == '8') return 2;
        return 4;
    }
    if (first == 'B') return at(c, 6) == '1' ? 3 : 4;
    return 4;
}
