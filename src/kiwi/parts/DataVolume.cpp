// Decoding of the data volume record.
#include "kiwi/parts/DataVolume.h"

#include "kiwi/io/BoundedRead.h"

namespace {

TLN_NamedPointRecord namedPoint(const BeCursor& span, int64_t offset) {
    TLN_NamedPointRecord record;
    static_cast<TLN_PointRecord&>(record) = bounded::pointRecord(span, offset);
    record.Name = span.fixedString(offset + 12, 20);
    return record;
}

} // namespace

TLN_Data_Volume DecodeDataVolume(const BeCursor& span) {
    TLN_Data_Volume volume;
    volume.Maker = namedPoint(span, 0);
    volume.DataAuthor = namedPoint(span, 64);
    volume.System = namedPoint(span, 128);
    volume.FormatVersionNumber = span.fixedString(160, 64);
    volume.DataVersionNumber = span.fixedString(224, 64);
    volume.DiskTitle = span.fixedString(288, 128);
    volume.DataContents = span.u16(416);
    volume.MediaVersionNumber = span.fixedString(424, 32);
    volume.CoverageLowerLeft = bounded::coordinatePair(span, 456);
    volume.CoverageUpperRight = bounded::coordinatePair(span, 464);
    volume.LogicalSectorSize = span.u16(472);
    volume.SectorSize = span.u16(474);
    volume.BackgroundDataDefaults = span.u16(476);
    volume.DataTypeCount = span.u16(492);
    if (volume.DataTypeCount < 5) {
        int64_t position = 494;
        for (int32_t type = 0; type < volume.DataTypeCount; ++type) {
            TLN_Data_Level_Information information;
            information.DataType = span.u8(position);
            information.LevelCount = span.u8(position + 1);
            for (int level = 0; level < information.LevelCount; ++level) {
                const int64_t entry = position + 2 + 4 * int64_t(level);
                information.Levels.push_back({span.u8(entry), span.u16(entry + 2)});
            }
            position += 2 + 4 * int64_t(information.LevelCount);
            volume.LevelInformation.push_back(std::move(information));
        }
    }
    return volume;
}
