// The data volume record of the new map.
#include "converter/output/VolumeHeader.h"

#include "converter/source/VolumeTemplates.h"

#include <array>
#include <cstdlib>
#include <string>

namespace {

constexpr int64_t kEastEdge = 8209;
constexpr int32_t kFullCircle = 10368000;

void putBytes(TLN_Stream& out, int64_t at, const std::vector<uint8_t>& bytes) {
    out.WriteAt(at, bytes.data(), int64_t(bytes.size()));
}

std::vector<uint8_t> identification(const std::vector<uint8_t>& head, const std::string& text) {
    std::vector<uint8_t> record = head;
    record.insert(record.end(), text.begin(), text.end());
    record.resize(32, 0);
    return record;
}

} // namespace

const char* TargetName(ConversionTarget target) {
    switch (target) {
    case ConversionTarget::AisinAw:
        return "AISIN-AW";
    case ConversionTarget::Denso:
        return "DENSO";
    default:
        return "OTHERS";
    }
}

void WriteCoverageEdge(TLN_Stream& out, ConversionTarget target, int32_t west, int32_t east,
                       ConversionProgress& progress) {
    int64_t value = -1;
    if (target == ConversionTarget::AisinAw && east < west) value = int64_t(east) + kFullCircle;
    if (target == ConversionTarget::Denso && east > kFullCircle / 2)
        value = std::llabs(int64_t(east) - kFullCircle) | 0x800000;
    if (value < 0) return;
    if (value > 0xFFFFFF || (target == ConversionTarget::AisinAw && value > 0x7FFFFF)) {
        progress.AddLog("WARNING: the east edge of the coverage area cannot be stored for the target");
        return;
    }
    putBytes(out, kEastEdge, {uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)});
}

void WriteLevelTable(TLN_Stream& out, TLN_Stream& source, const std::vector<LevelTableEntry>& levels) {
    std::vector<uint8_t> table = {1, uint8_t(levels.size())};
    for (const LevelTableEntry& level : levels)
        table.insert(table.end(), {level.code, 0, uint8_t(level.blocks >> 8), uint8_t(level.blocks)});
    std::array<uint8_t, 256> old{};
    source.ReadAt(492, old.data(), int64_t(old.size()));
    const int types = (old[0] << 8) | old[1];
    uint16_t count = 3;
    if (types >= 2 && types <= 4) {
        // Each old data-type block by its own length, the main map's (type 1) replaced by the new one.
        size_t at = 2;
        for (int t = 0; t < types && at + 2 <= old.size(); ++t) {
            const size_t length = 2 + 4 * size_t(old[at + 1]);
            if (at + length > old.size()) break;
            if (old[at] != 1)
                table.insert(table.end(), old.begin() + std::ptrdiff_t(at),
                             old.begin() + std::ptrdiff_t(at + length));
            at += length;
        }
        count = uint16_t(types);
    } else {
        table.insert(table.end(), {0x02, 0x01, 0x00, 0x00, 0x02, 0x34, 0x03, 0x04, 0x08, 0x00, 0x00, 0x01,
                                   0x06, 0x00, 0x00, 0x01, 0x04, 0x00, 0x00, 0x01, 0x02, 0x00, 0x00, 0x01});
    }
    // The level lists end before byte 750.
    if (table.size() > 750 - 494) table.resize(750 - 494);
    putBytes(out, 494, table);
    putBytes(out, 492, {uint8_t(count >> 8), uint8_t(count)});
}

void WriteVolumeHeader(TLN_Stream& out, const ConversionOptions& options, ConversionProgress& progress) {
    if (options.target != ConversionTarget::Others)
        putBytes(out, 0, {0x0F, 0x67, 0x88, 0x00, 0x3C, 0x47, 0x22, 0x00, 0x03, 0x00, 0x07, 0x22});
    if (options.systemIdChecked) {
        std::vector<uint8_t> text(options.systemIdText.begin(), options.systemIdText.end());
        text.resize(52, 0);
        putBytes(out, 12, text);
    }
    std::vector<uint8_t> record;
    if (options.target == ConversionTarget::AisinAw)
        record = identification({0x0F, 0x56, 0xA3, 0x00, 0x3C, 0x3C, 0x8A, 0x00, 0x07, 0x00, 0x01, 0x66},
                                "aisin-aw");
    if (options.target == ConversionTarget::Denso)
        record =
            identification({0x0F, 0x61, 0x3C, 0x00, 0x3C, 0x35, 0x7D, 0x00, 0x00, 0x00, 0x07, 0x22}, "denso");
    if (!record.empty()) {
        putBytes(out, 64, record);
        putBytes(out, 128, record);
    }
    if (options.systemIdChecked && options.systemIdIndex >= 0) {
        const std::vector<uint8_t> chosen = VolumeTemplate(options.systemIdIndex);
        putBytes(out, 0, std::vector<uint8_t>(chosen.begin(), chosen.begin() + kVolumeTemplateWritten));
        progress.AddLog("Data Volume Header is written for " + VolumeTemplateName(options.systemIdIndex));
    }
    if (options.dateStamp) {
        const std::string stamp = "DATA VERSION " + options.dateStampText;
        putBytes(out, 224, std::vector<uint8_t>(stamp.begin(), stamp.end()));
    }
    if (options.versionStamp)
        putBytes(out, 424,
                 std::vector<uint8_t>(options.versionStampText.begin(), options.versionStampText.end()));
}
