// Building the added level's parcels.
#include "converter/levels/ExtraLevelImports.h"

#include <algorithm>

#include "converter/levels/ExtraLevelParcels.h"
#include "converter/levels/FrameBytes.h"
#include "converter/output/OutputEncoding.h"
#include "converter/rewrite/BlockGeometry.h"
#include "converter/rewrite/ParcelFilters.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/io/TempFileStream.h"

namespace rewrite {

ExtraLevelImports BuildExtraLevelParcels(ConversionContext& c, std::vector<uint8_t>& management,
                                         int64_t setsEnd, ImportedOutlines& outlines) {
    ExtraLevelImports extra;
    TLN_KiwiMap& map = c.map;
    const uint8_t n = uint8_t(map.LevelCount());
    const TLN_Level_Management_Record& last = *map.Level(uint8_t(n - 1));
    // The new level: the last level's block sets, four times its blocks a side, its parcels per block.
    LevelGeometry g = GeometryOf(map, last);
    g.bx *= 4, g.by *= 4;
    const int64_t across = int64_t(g.sx) * g.bx * g.px, down = int64_t(g.sy) * g.by * g.py;
    g.w = across > 0 ? int64_t(g.right - g.left) * 16 / across : 0;
    g.h = down > 0 ? int64_t(g.top - g.bottom) * 16 / down : 0;
    if (g.w <= 0 || g.h <= 0) return extra;
    const uint32_t sets = uint32_t(last.BlockSetCount());
    const uint32_t blocks = uint32_t(g.bx * g.by), parcels = uint32_t(g.px * g.py);
    // Every block record of the new map is 6 bytes (the management header says 3 words).
    const uint32_t Z = map.BlockSetRecordSize(), record = 6;
    extra.parcelsPerBlock = parcels;
    const int64_t firstNewSet = setsEnd - int64_t(sets) * Z;
    const ExtraParcelSettings settings{
        c.options.arrowNameClass,
        c.options.numberingClass,
        {c.options.numberingTypeCode, c.options.includeLetters, c.options.codePage}};
    TLN_MemoryStream information;
    c.progress.SetProgressLabel("Creating New MM Data ...  Level " + std::to_string(n));
    for (uint32_t s = 0; s < sets; ++s) {
        c.checkStop();
        c.progress.SetProgress1(s, sets);
        if (int64_t(blocks) * record + int64_t(management.size()) > kExtraManagementLimit) {
            c.warn(std::to_string(n) + "\\" + std::to_string(s) +
                   " Too many data!!! Creating extra level stopped!");
            extra.managementFull = true;
            break;
        }
        outlines.CopyCityAreas();
        if (!outlines.SelectCityAreasForBlock(ExtraBlockSetRectangle(g, s))) continue;
        c.progress.SetProgressLabel("Creating ...  Level " + std::to_string(n) + "   BlockSet " +
                                    std::to_string(s));
        const int64_t table = int64_t(management.size());
        management.resize(size_t(table + int64_t(blocks) * record), 0);
        TLN_MemoryStream tableStream(std::vector<uint8_t>(blocks * record));
        WriteEmptyRecords(tableStream, blocks, record, 0);
        const std::vector<uint8_t> empty = tableStream.Bytes();
        std::copy(empty.begin(), empty.end(), management.begin() + table);
        const int64_t setRecord = firstNewSet + int64_t(s) * Z;
        PutLong(management, setRecord + 2, uint32_t(table / 2));
        PutLong(management, setRecord + 6, uint32_t(int64_t(blocks) * record / 2));
        for (uint32_t b = 0; b < blocks; ++b) {
            c.checkStop();
            // The added level is level n of the new map, more detailed than every old one.
            if (c.filters && !c.filters->BlockInTrimArea(n, g, s, b)) continue;
            const building_data::Box blockRect = ExtraBlockRectangle(g, s, b);
            outlines.CopyCityAreas();
            if (!outlines.SelectCityAreasForBlock(blockRect)) continue;
            if (!outlines.SelectRecordsForBlock(blockRect, c.options.address, {})) continue;
            c.progress.SetProgressLabel("Creating ...  Level " + std::to_string(n) + "   BlockSet " +
                                        std::to_string(s) + "   Block " + std::to_string(b));
            const int64_t start = ReserveParcelManagementInfo(information, parcels);
            bool any = false;
            for (uint32_t p = 0; p < parcels; ++p) {
                c.checkStop();
                if (c.filters && !c.filters->ParcelInTrimArea(n, g, s, b, p)) continue;
                const building_data::Box r = ExtraParcelRectangle(g, s, b, p);
                const ParcelRect rect{r.west, r.north, r.east, r.south};
                if (!CityAreaMeets(outlines, rect)) continue;
                const ExtraParcel parcel = WriteExtraLevelParcel(outlines, rect, p, uint32_t(g.px), settings);
                if (parcel.tooMany)
                    c.warn("Parcel " + ParcelPlace{nullptr, nullptr, uint8_t(n), s, b, p}.Path() +
                           " too many names!");
                const uint32_t sectors = uint32_t(parcel.frame.size() / 32);
                if (sectors == 0 || sectors > 0xFFFF) continue;
                if (!extra.frames)
                    extra.frames =
                        std::make_unique<BufferedOutputStream>(std::make_unique<TLN_TempFileStream>());
                extra.frames->WriteAt(extra.frameBytes, parcel.frame.data(), int64_t(parcel.frame.size()));
                extra.frameBytes += int64_t(parcel.frame.size());
                const uint8_t bytes[6] = {uint8_t(extra.parcels >> 24), uint8_t(extra.parcels >> 16),
                                          uint8_t(extra.parcels >> 8),  uint8_t(extra.parcels),
                                          uint8_t(sectors >> 8),        uint8_t(sectors)};
                information.WriteAt(start + 4 + 6 * int64_t(p), bytes, 6);
                ++extra.parcels;
                extra.arrows += parcel.arrows;
                any = true;
            }
            if (!any) {
                information.SetSize(start); // the block stays an empty reference
                continue;
            }
            ++extra.reservedBlocks;
            ++extra.blocksWithParcels;
            const int64_t at = table + int64_t(b) * record;
            PutLong(management, at, OffsetToKiwiAddress(start));
            management[size_t(at + 4)] = uint8_t((information.Size() - start) / 32 >> 8);
            management[size_t(at + 5)] = uint8_t((information.Size() - start) / 32);
            extra.blockRecords.push_back(at);
        }
    }
    extra.information = information.Bytes();
    if (extra.frames) extra.frames->Flush();
    return extra;
}

void PlaceExtraLevelInformation(std::vector<uint8_t>& management, const ExtraLevelImports& extra,
                                int64_t informationStart) {
    for (int64_t at : extra.blockRecords)
        PutLong(management, at,
                OffsetToKiwiAddress(KiwiAddressToOffset(GetLong(management, at)) + informationStart));
}

void WriteExtraLevelFrames(ConversionContext& c, ExtraLevelImports& extra, int64_t informationStart) {
    if (extra.parcels == 0 || !extra.frames) return;
    c.dataCursor = AlignUp32(c.dataCursor);
    if (c.dataCursor + extra.frameBytes > kMaxKiwiOffset + 1)
        throw EConvertError(Failure(FailureCode::OutputPast32GiB));
    AssignExtraParcelAddresses(c.out, extra.reservedBlocks, extra.parcelsPerBlock, c.dataCursor,
                               informationStart);
    CopyInChunks(*extra.frames, 0, extra.frameBytes, c.out, c.dataCursor, kFrameCopyChunk,
                 [&c] { c.checkStop(); });
    c.dataCursor = AlignUp32(c.dataCursor + extra.frameBytes);
    extra.frames.reset();
}

void CopyInChunks(TLN_Stream& from, int64_t position, int64_t count, TLN_Stream& to, int64_t target,
                  int64_t chunk, const std::function<void()>& beforeChunk) {
    if (count <= 0) return;
    std::vector<uint8_t> buffer(size_t(std::clamp<int64_t>(chunk, 1, count)));
    for (int64_t done = 0; done < count;) {
        if (beforeChunk) beforeChunk();
        const int64_t n = std::min(int64_t(buffer.size()), count - done);
        from.ReadExactAt(position + done, buffer.data(), n);
        to.WriteAt(target + done, buffer.data(), n);
        done += n;
    }
}

} // namespace rewrite
