// Reads LOADING.KWI: system identification records, then per system its unit and module records.
#include "kiwi/parts/Loading.h"

#include <algorithm>

#include "kiwi/cmp/OpenKiwiFile.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/io/BigEndianIO.h"
#include "kiwi/io/WholeRead.h"

namespace {
constexpr int64_t kMinimumFileSize = 2048;
constexpr int kMaxSystems = 19;
constexpr int kMaxUnits = 49;
constexpr int64_t kSystemRecordBytes = 16;
constexpr int64_t kUnitRecordBytes = 64;
constexpr int64_t kModuleRecordBytes = 256;
constexpr int64_t kFileEntryBytes = 16;
constexpr int64_t kSectorBytes = 2048;
constexpr int64_t kIdentificationBytes = 124;
// The file list without a first entry sits in the module record, before the address at +250.
constexpr int64_t kModuleAddressField = 250;

// A module address as a byte position: a KIWI address for AISIN-AW, a 2048-byte sector for DENSO.
int64_t moduleAddressPosition(const std::string& maker, uint32_t value) {
    if (value == 0xFFFFFFFFu) return -1;
    if (maker == "AISIN-AW") return KiwiAddressToOffset(value);
    if (maker == "DENSO") return int64_t(value) * kSectorBytes;
    return int64_t(value);
}

// An identification text: 15 bytes cut at a NUL and before the first CR LF.
std::string identificationText(TLN_Stream& stream, int64_t position) {
    std::string text = ReadFixedString(stream, position, 15);
    const size_t crlf = text.find("\r\n");
    if (crlf != std::string::npos) text.resize(crlf);
    return text;
}
} // namespace

TLN_Loading::TLN_Loading(const std::string& fileName) : stream_(OpenKiwiFile(fileName)), fileName_(fileName) {
    read();
}

TLN_Loading::TLN_Loading(std::shared_ptr<TLN_Stream> stream) : stream_(std::move(stream)) {
    if (!stream_) return;
    fileName_ = stream_->FileName();
    read();
}

void TLN_Loading::read() {
    TLN_Stream& stream = *stream_;
    const int64_t size = stream.Size();
    if (size < kMinimumFileSize) {
        damage_ = whole::Short(stream, "the loading module management frame", 0, kMinimumFileSize, size);
        return;
    }
    const int count = ReadWordBE(stream, 0);
    if (count < 1 || count > kMaxSystems) {
        damage_ =
            Failure::Words("Number of Accommodated Systems " + std::to_string(count) + " (valid 1 to 19)");
        return;
    }
    systemCount_ = count;

    int64_t position = 4 + count * kSystemRecordBytes;
    int unitIndex = 0;
    for (int i = 0; i < count; ++i) {
        TLN_System_Identification_Info system;
        system.Position = 4 + i * kSystemRecordBytes;
        system.Point = ReadPointRecord(stream, system.Position);
        system.MakerName = DataMakerName(TLN_Point{system.Point.X, system.Point.Y});
        system.UnitCount = ReadWordBE(stream, system.Position + 12);
        const int units = system.UnitCount;
        if (units < 1 || units > kMaxUnits) {
            damage_ = Failure::Words("Number of Accommodated Modules " + std::to_string(units) +
                                     " of system " + std::to_string(i + 1) + " (valid 1 to 49)");
            return;
        }
        // The system's unit and module records must lie inside the file; the systems before stay shown.
        const int64_t recordBytes = units * (kUnitRecordBytes + kModuleRecordBytes);
        if (position + recordBytes > size) {
            damage_ = whole::Short(stream,
                                   "Number of Accommodated Modules " + std::to_string(units) + " of system " +
                                       std::to_string(i + 1),
                                   position, recordBytes, size - position, /*records=*/true);
            break;
        }

        for (int k = 0; k < units; ++k) {
            TLN_Unit_Record_AISIN unit;
            unit.Index = unitIndex++;
            unit.UnitPosition = position + k * kUnitRecordBytes;
            unit.UnitNumber = ReadByteAt(stream, unit.UnitPosition);
            unit.UnitName = ReadFixedString(stream, unit.UnitPosition + 4, 52);
            unit.UnitIdentifier = ReadFixedString(stream, unit.UnitPosition + 56, 8);

            const int64_t m = position + units * kUnitRecordBytes + k * kModuleRecordBytes;
            unit.ModulePosition = m;
            unit.ModuleWord1 = ReadWordBE(stream, m);
            unit.ModuleWord2 = ReadWordBE(stream, m + 2);
            unit.ModuleName = ReadFixedString(stream, m + 4, 64);
            unit.ModuleAddressValue = ReadDWordBE(stream, m + kModuleAddressField);
            unit.ModuleAddress = moduleAddressPosition(system.MakerName, unit.ModuleAddressValue);
            unit.ModuleSize = ReadWordBE(stream, m + 254);
            if (system.MakerName == "AISIN-AW") readFileList(unit, size);
            system.Units.push_back(std::move(unit));
        }
        position += units * (kUnitRecordBytes + kModuleRecordBytes);
        systems_.push_back(std::move(system));
    }
    valid_ = true;
}

void TLN_Loading::readFileList(TLN_Unit_Record_AISIN& unit, int64_t size) {
    TLN_Stream& stream = *stream_;
    if (unit.ModuleAddress < 0) return;
    const int64_t moduleEnd = unit.ModuleAddress + int64_t(unit.ModuleSize) * kSectorBytes;
    // The list is read only when the module lies within the file.
    if (moduleEnd > size) {
        unit.FileListError = whole::Short(stream, "the module code of " + unit.ModuleName, unit.ModuleAddress,
                                          moduleEnd - unit.ModuleAddress, size - unit.ModuleAddress);
        return;
    }

    auto readEntry = [&](int64_t at) {
        TLN_Module_Info info;
        info.Name = ReadFixedString(stream, at, 8);
        info.WordOffset = ReadDWordBE(stream, at + 8);
        info.Position = WordOffsetToPosition(info.WordOffset, unit.ModuleAddress);
        info.Size = ReadDWordBE(stream, at + 12);
        return info;
    };

    const int64_t m = unit.ModulePosition;
    int64_t listPosition = m + 68;
    int64_t limit = m + kModuleAddressField;
    if (ReadWordBE(stream, m + 68) == 1) {
        unit.HasFirstEntry = true;
        unit.Files.push_back(readEntry(m + 72));
        // The first entry locates the rest of the list inside the module.
        listPosition = unit.Files.front().Position;
        limit = moduleEnd;
        if (listPosition < unit.ModuleAddress || listPosition + 4 > moduleEnd) {
            unit.FileListTruncated = true;
            unit.FileListError = Failure::Words("the file list of " + unit.ModuleName + " at byte " +
                                                std::to_string(listPosition) + " lies outside its module");
            return;
        }
    }
    int64_t count = ReadWordBE(stream, listPosition);
    unit.StoredFileCount = count + (unit.HasFirstEntry ? 1 : 0);
    const int64_t fits = (limit - (listPosition + 4)) / kFileEntryBytes;
    if (count > fits) {
        unit.FileListError = whole::Short(stream, "Number of Units in module " + std::to_string(count),
                                          listPosition + 4, count * kFileEntryBytes,
                                          std::max<int64_t>(fits, 0) * kFileEntryBytes, /*records=*/true);
        count = std::max<int64_t>(fits, 0);
        unit.FileListTruncated = true;
    }
    for (int64_t j = 0; j < count; ++j)
        unit.Files.push_back(readEntry(listPosition + 4 + j * kFileEntryBytes));
}

bool TLN_Loading::ReadIdentification(int64_t position, TLN_Unit_Identification& out) const {
    if (!stream_) return false;
    TLN_Stream& stream = *stream_;
    if (position < 0 || position + kIdentificationBytes > stream.Size()) return false;
    out.Name = identificationText(stream, position);
    out.Version = identificationText(stream, position + 6);
    out.Date = identificationText(stream, position + 16);
    out.Copyright = identificationText(stream, position + 48);
    out.RamOffset = ReadDWordBE(stream, position + 112);
    out.Size = ReadDWordBE(stream, position + 116);
    out.Checksum = ReadDWordBE(stream, position + 120);
    return true;
}

std::string DataMakerName(const TLN_Point& point) {
    const int32_t x = point.X, y = point.Y;
    if (x == 3947658 && y == 1005219) return "AISIN-AW";
    if (x == 4019390 && y == 1022789) return "PANASONIC";
    if (x == 3950370 && y == 1009544) return "TOYOTA";
    if (x == 3945853 && y == 1007932) return "DENSO";
    // The pair field holding the text "DENSO": "DEN" as latitude, "O" in the longitude's first byte.
    if ((x & 0xFF0000) == 0x4F0000 && y == 4474190) return "DENSO";
    if (x == 310392 && y == 1510128) return "VOLKSWAGEN";
    if (x == 3894568 && y == 1004808) return "MITSUBISHI";
    if (x == -2391568 && y == 1219088) return "GENERAL MOTORS";
    return {};
}
