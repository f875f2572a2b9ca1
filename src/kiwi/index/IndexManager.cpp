// INDEXDAT.KWI: the data management frame header, volume and POI management records, the individual
// expansion records, the data files the index names and the zone list.
#include "kiwi/index/IndexManager.h"

#include "kiwi/cmp/OpenKiwiFile.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/disc/FileStream.h"
#include "kiwi/index/IndexSpan.h"
#include "kiwi/io/WholeRead.h"

namespace {

constexpr int64_t kHeaderLength = 96;
constexpr int64_t kManagementRecordLength = 52;
// An expansion record with an empty name: 25 + 0 + 4 bytes rounded up to 4.
constexpr int64_t kShortestExpansionRecord = 32;
// No index comes near this many expansion records; it keeps a huge (or hugely declared) field from
// filling memory with positions and from being stepped through for minutes.
constexpr uint32_t kExpansionRecordLimit = 65536;
// Data file streams kept open for repeated reads.

// The name a stream was opened with, which for an image entry still carries its folder.
std::string openedNameOf(const TLN_Stream& stream) {
    if (const auto* file = dynamic_cast<const TLN_FileStream*>(&stream)) return file->OpenedName();
    return stream.FileName();
}

} // namespace

TLN_IndexManager::TLN_IndexManager(const std::string& fileName) : TLN_Manager(fileName) {
    folder_ = folderPart(fileName);
    indexFileName_ = fileNamePart(fileName);
    readHeader();
}

TLN_IndexManager::TLN_IndexManager(std::shared_ptr<TLN_Stream> stream, int64_t base)
    : TLN_Manager(std::move(stream), base) {
    if (stream_) {
        const std::string name = openedNameOf(*stream_);
        folder_ = folderPart(name);
        indexFileName_ = fileNamePart(name);
    }
    if (valid_) readHeader();
}

std::unique_ptr<TLN_IndexManager> TLN_IndexManager::Create(const std::string& fileName) {
    return std::make_unique<TLN_IndexManager>(fileName);
}

std::unique_ptr<TLN_IndexManager> TLN_IndexManager::CreateFromStream(std::shared_ptr<TLN_Stream> stream,
                                                                     int64_t base) {
    return std::make_unique<TLN_IndexManager>(std::move(stream), base);
}

void TLN_IndexManager::readHeader() {
    try {
        TLN_Stream& stream = *stream_;
        const std::vector<uint8_t> bytes = bounded::readBytes(stream, base_, kHeaderLength);
        if (int64_t(bytes.size()) < kHeaderLength) {
            fail(KiwiError(HeaderShortFailure("the data management frame header", kHeaderLength,
                                              int64_t(bytes.size()))));
            return;
        }
        const BeCursor c = index_span::cursor(bytes);
        TLN_Data_Management_Frame_Header& h = header_;
        h.DataDeclaration = index_span::code4(c, 0);
        h.DataFormatVersion = c.fixedString(4, 8);
        h.CreationDateHigh = c.u32(12);
        h.CreationDateLow = c.u32(16);
        h.Copyright = c.fixedString(20, 32);
        h.UserFieldSize = c.u32(52);
        h.UserFieldOffset = c.u32(56);
        h.ExpansionFieldSize = c.u32(60);
        h.ExpansionFieldOffset = c.u32(64);
        h.VolumeRecordCount = c.u32(68);
        h.VolumeRecordSize = c.u32(72);
        h.VolumeRecordOffset = c.u32(76);
        h.POIRecordCount = c.u32(80);
        h.POIRecordSize = c.u32(84);
        h.POIRecordOffset = c.u32(88);
        h.TitleSize = c.u16(92);
        h.TitleOffset = c.u16(94);
        if (h.TitleOffset > 0)
            h.Title = index_span::readRepresentation(stream, base_ + 92 + int64_t(h.TitleOffset) * 2);

        volumeCount_ = countManagementRecords("Number of Volume Management Records", h.VolumeRecordCount,
                                              h.VolumeRecordOffset, h.VolumeRecordSize);
        poiCount_ = countManagementRecords("Number of POI Information Management Records", h.POIRecordCount,
                                           h.POIRecordOffset, h.POIRecordSize);
        locateExpansionRecords();
    } catch (const KiwiError& error) {
        // A stream that cannot deliver its header (a broken compressed block) leaves the reader invalid.
        fail(error);
        volumeCount_ = poiCount_ = 0;
        expansionPositions_.clear();
        tableDamage_.clear();
    }
}

void TLN_IndexManager::addDamage(const Failure& reason) {
    if (!reason) return;
    noteDamage(reason);
    tableDamage_.push_back(reason);
}

std::string TLN_IndexManager::TableDamage() const {
    std::string text;
    for (const Failure& reason : tableDamage_)
        text += (text.empty() ? "" : "\n") + reason.English();
    return text;
}

uint32_t TLN_IndexManager::countManagementRecords(const char* countName, uint32_t stored, uint32_t wordOffset,
                                                  uint32_t recordWords) {
    const int64_t start = WordOffsetToPosition(wordOffset, base_);
    const int64_t stride = int64_t(recordWords) * 2;
    const int64_t size = stream_->Size();
    const uint32_t usable = UsableRecordCount(stored, start, stride, kManagementRecordLength, size);
    // Records closer together than their fields overlap: only the first is read, as a layout allows no
    // better; the file's end is what makes the others damage.
    if (stride >= kManagementRecordLength)
        addDamage(
            whole::CountRecords(*stream_, countName, stored, start, kManagementRecordLength, size, stride)
                .reason);
    else if (usable < std::min<uint32_t>(stored, 1))
        addDamage(ShortReadFailure(
            whole::Shortfall(*stream_, std::string(countName) + " " + std::to_string(stored), start,
                             kManagementRecordLength, start < 0 ? 0 : size - start, true)));
    return usable;
}

void TLN_IndexManager::locateExpansionRecords() {
    TLN_Data_Management_Frame_Header& h = header_;
    TLN_Stream& stream = *stream_;
    const int64_t start = WordOffsetToPosition(h.ExpansionFieldOffset, base_);
    const int64_t size = stream.Size();
    if (h.ExpansionFieldSize == 0) return;
    if (start < 0 || start > size - 16) {
        addDamage(ShortReadFailure(whole::Shortfall(stream, "the expansion field's header", start, 16,
                                                    start < 0 ? 0 : size - start)));
        return;
    }
    const std::vector<uint8_t> head = bounded::readBytes(stream, start, 16);
    const BeCursor c = index_span::cursor(head);
    h.HasExpansionField = true;
    h.ExpansionDataDeclaration = index_span::code4(c, 0);
    h.ExpansionRecordCount = c.u32(12);

    // The records are found by stepping over the earlier ones; the steps are taken once, here, and only
    // inside the field as far as the stream holds it.
    const int64_t end = std::min(size, start + int64_t(h.ExpansionFieldSize) * 2);
    int64_t position = start + 16;
    const int64_t room = std::max<int64_t>(0, end - position);
    const uint32_t count = std::min(h.ExpansionRecordCount, kExpansionRecordLimit);
    expansionTruncated_ = count < h.ExpansionRecordCount;
    if (expansionTruncated_)
        addDamage(Failure::Words("expansion records " + std::to_string(h.ExpansionRecordCount) +
                                 ": only the first " + std::to_string(count) + " are read"));
    expansionPositions_.reserve(size_t(std::min<int64_t>(count, room / kShortestExpansionRecord)));
    for (uint32_t i = 0; i < count; ++i) {
        const std::vector<uint8_t> lengthByte = bounded::readBytes(stream, position + 24, 1);
        const int64_t length = lengthByte.empty() ? 25 : 25 + int64_t(lengthByte[0]) + 4;
        if (lengthByte.empty() || position + length > end) {
            expansionTruncated_ = true;
            // Past the file's end is damage; past the field's own size, a field too small for its count.
            const std::string what =
                "expansion record " + std::to_string(i) + " of " + std::to_string(h.ExpansionRecordCount);
            addDamage(
                position + length > size
                    ? ShortReadFailure(whole::Shortfall(stream, what, position, length, size - position))
                    : Failure::Words(what + " runs past the end of the expansion field"));
            break;
        }
        expansionPositions_.push_back(position);
        position += (25 + int64_t(lengthByte[0]) + 4 + 3) & ~int64_t(3);
    }
}

bool TLN_IndexManager::readManagementRecord(uint32_t i, uint32_t count, uint32_t recordSize, uint32_t offset,
                                            bool volume, TLN_Volume_Management_Record& out) {
    out = TLN_Volume_Management_Record{};
    if (!valid_ || i >= count) return false;
    TLN_Stream& stream = *stream_;
    const int64_t position = WordOffsetToPosition(offset, base_) + int64_t(i) * int64_t(recordSize) * 2;
    const std::vector<uint8_t> bytes = bounded::readBytes(stream, position, kManagementRecordLength);
    if (int64_t(bytes.size()) < kManagementRecordLength) return false;
    const BeCursor c = index_span::cursor(bytes);
    out.Position = position;
    out.DataDeclaration = index_span::code4(c, 0);
    out.KindDeclaration = index_span::code4(c, 4);
    out.AddressDeclaration = index_span::code4(c, 8);
    out.ExpansionFieldSize = c.u32(12);
    out.ExpansionFieldOffset = c.u32(16);
    if (volume) out.KeyboardDesignation = index_span::code4(c, 20);
    out.CoveredMinimum = bounded::coordinatePair(c, 24);
    out.CoveredMaximum = bounded::coordinatePair(c, 32);
    out.FrameSize = c.u32(40);
    out.FrameAddressField = c.u32(44);
    out.RepresentationOffset = c.u32(48);
    const FileContext index{stream_, std::string(), base_};
    out.FrameAddress =
        readAddress(index, out.FrameAddressField, out.UsesFileAddresses(), &out.FrameAddressError);
    out.Representation =
        index_span::readRepresentation(stream, WordOffsetToPosition(out.RepresentationOffset, base_));
    return true;
}

std::string TLN_IndexManager::readRecordID(uint32_t i, uint32_t count, uint32_t recordSize, uint32_t offset) {
    if (!valid_ || i >= count) return {};
    const int64_t position = WordOffsetToPosition(offset, base_) + int64_t(i) * int64_t(recordSize) * 2;
    const std::vector<uint8_t> bytes = bounded::readBytes(*stream_, position, 4);
    return index_span::code4(index_span::cursor(bytes), 0);
}

bool TLN_IndexManager::ReadVolumeRecord(uint32_t i, TLN_Volume_Management_Record& out) {
    return readManagementRecord(i, volumeCount_, header_.VolumeRecordSize, header_.VolumeRecordOffset, true,
                                out);
}

bool TLN_IndexManager::ReadPOIManagementRecord(uint32_t i, TLN_POI_Management_Record& out) {
    return readManagementRecord(i, poiCount_, header_.POIRecordSize, header_.POIRecordOffset, false, out);
}

std::string TLN_IndexManager::GetVolumeRecordID(uint32_t i) {
    return readRecordID(i, volumeCount_, header_.VolumeRecordSize, header_.VolumeRecordOffset);
}

std::string TLN_IndexManager::GetPOIManagementRecordID(uint32_t i) {
    return readRecordID(i, poiCount_, header_.POIRecordSize, header_.POIRecordOffset);
}

bool TLN_IndexManager::ReadExpansionRecord(uint32_t i, TLN_Index_Expansion_Rec& out) {
    out = TLN_Index_Expansion_Rec{};
    if (i >= expansionPositions_.size()) return false;
    const int64_t position = expansionPositions_[i];
    // locateExpansionRecords checked that the whole record lies inside the field.
    const std::vector<uint8_t> bytes = bounded::readBytes(*stream_, position, 25 + 255 + 4);
    const BeCursor c = index_span::cursor(bytes);
    const int64_t nameLength = c.u8(24);
    out.Position = position;
    out.Length = (25 + nameLength + 4 + 3) & ~int64_t(3);
    out.DataDeclaration = index_span::code4(c, 0);
    out.ManufacturerID = bounded::pointRecord(c, 4);
    out.Size = c.u32(16);
    out.AddressDeclaration = index_span::code4(c, 20);
    out.FileName = c.fixedString(25, nameLength);
    out.DataOffset = c.u32(25 + nameLength);
    if (c.bad()) return false;
    const FileContext index{stream_, std::string(), base_};
    out.Data = namedOrLocal(index, out.AddressDeclaration, out.FileName, out.DataOffset);
    return true;
}

TLN_Additional_Address TLN_IndexManager::readAddress(const FileContext& file, uint32_t field,
                                                     bool fileAddress, std::string* error) {
    TLN_Additional_Address address;
    const int64_t position = WordOffsetToPosition(field, file.base);
    if (!fileAddress) {
        address.DataPosition = position;
        address.FileName = file.fileName;
        return address;
    }
    // File-address item: u32 word offset inside the named file, u16 name length in words, the name.
    const std::vector<uint8_t> head = bounded::readBytes(*file.stream, position, 6);
    if (head.size() < 6) {
        if (error)
            *error = ShortReadText(
                whole::Shortfall(*file.stream, "the file-address item", position, 6, int64_t(head.size())));
        return address;
    }
    const BeCursor c = index_span::cursor(head);
    const int64_t nameBytes = int64_t(c.u16(4)) * 2;
    const std::vector<uint8_t> name = bounded::readBytes(*file.stream, position + 6, nameBytes);
    if (int64_t(name.size()) < nameBytes && error)
        *error = ShortReadText(whole::Shortfall(*file.stream, "the file-address item's file name",
                                                position + 6, nameBytes, int64_t(name.size())));
    if (nameBytes == 0 || int64_t(name.size()) < nameBytes) return address;
    address.ItemPosition = position;
    address.FileName = index_span::cursor(name).fixedString(0, nameBytes);
    // An empty name would stand for the index file itself; a file address without a file leads nowhere.
    if (!address.FileName.empty()) address.DataPosition = WordOffsetToPosition(c.u32(0), 0);
    return address;
}

TLN_Additional_Address TLN_IndexManager::namedOrLocal(const FileContext& file, const std::string& type,
                                                      const std::string& name, uint32_t wordOffset) {
    TLN_Additional_Address address;
    if (type == "FNME") {
        address.FileName = name;
        if (!name.empty()) address.DataPosition = WordOffsetToPosition(wordOffset, 0);
    } else {
        address.FileName = file.fileName;
        address.DataPosition = WordOffsetToPosition(wordOffset, file.base);
    }
    return address;
}

std::string TLN_IndexManager::dataFilePath(const std::string& bareName) const {
    return joinPath(folder_, bareName);
}

bool TLN_IndexManager::DataFileExists(const std::string& name) const {
    const std::optional<std::string> bare = safeBareName(name);
    if (!bare) return false;
    // With an image mounted every file is opened from the image, so only the image can hold it.
    if (IsISOImageOpen()) return ISOFileExists(dataFilePath(*bare));
    return resolveInFolder(folder_, *bare).has_value();
}

namespace {
constexpr size_t kMaxLocatedNames = 4096;
} // namespace

std::string TLN_IndexManager::locateDataFile(const std::string& name) const {
    const std::string missing = "File " + name + " does not exist!";
    const std::optional<std::string> bare = safeBareName(name);
    if (!bare) throw EIndexDataFileMissing(missing);
    if (IsISOImageOpen()) {
        if (!ISOFileExists(dataFilePath(*bare))) throw EIndexDataFileMissing(missing);
        return dataFilePath(*bare);
    }
    const std::optional<std::string> path = resolveInFolder(folder_, *bare);
    if (!path) throw EIndexDataFileMissing(missing);
    return *path;
}

std::shared_ptr<TLN_Stream> TLN_IndexManager::OpenDataFile(const std::string& name) {
    return OpenKiwiFile(locateDataFile(name));
}

TLN_IndexManager::FileContext TLN_IndexManager::contextFor(const std::string& fileName) {
    if (fileName.empty()) return FileContext{stream_, std::string(), base_};
    std::string path;
    if (IsISOImageOpen()) {
        path = locateDataFile(fileName);
    } else {
        std::unique_lock lock(locatedMutex_);
        const auto known = locatedPaths_.find(fileName);
        if (known != locatedPaths_.end()) {
            path = known->second;
        } else {
            lock.unlock();
            try {
                path = locateDataFile(fileName);
            } catch (const EIndexDataFileMissing&) {
            }
            lock.lock();
            if (locatedPaths_.size() >= kMaxLocatedNames) locatedPaths_.clear();
            locatedPaths_.emplace(fileName, path);
        }
        if (path.empty()) throw EIndexDataFileMissing("File " + fileName + " does not exist!");
    }
    return FileContext{dataFiles_.Get(path, [&] { return OpenKiwiFile(path); }), fileName, 0};
}

QString TLN_IndexManager::GetZoneName(uint32_t code) const {
    for (const auto& [zone, name] : zoneNames_)
        if (zone == code) return "Zone " + name;
    return "Zone " + QString::number(code);
}

void TLN_IndexManager::AddZoneName(uint32_t code, const QString& name) {
    zoneNames_.emplace_back(code, name);
}

void TLN_IndexManager::ClearZoneNames() {
    zoneNames_.clear();
}
