// The walk of every parcel's frames.
#include "support/walkers/FrameWalk.h"

#include <set>
#include <string>
#include <utility>

#include "kiwi/frames/ParcelFrames.h"
#include "kiwi/map/KiwiMap.h"

namespace {

class FrameWalker {
public:
    FrameWalker(TLN_KiwiMap& map, std::ostream* out, const FrameWalkOptions& options)
        : map_(map), out_(out), options_(options) {}

    FrameWalkResult run() {
        for (uint32_t level = 0; level < map_.LevelCount() && more(); ++level) {
            const TLN_Level_Management_Record& l = *map_.Level(uint8_t(level));
            // As many block sets and blocks as the map accepts: damaged counts can declare millions.
            for (uint32_t set = 0; set < l.AcceptedBlockSetCount && more(); ++set) {
                TLN_BlockSet_Management_Record record;
                if (!map_.ReadBlockSet(uint8_t(level), set, record)) continue;
                for (uint32_t block = 0; block < record.BlockCount && more(); ++block)
                    walkBlock(uint8_t(level), set, block);
            }
        }
        return result_;
    }

private:
    bool more() const { return options_.limit == 0 || result_.parcels < options_.limit; }

    void walkBlock(uint8_t level, uint32_t set, uint32_t block) {
        ++result_.blocks;
        TLN_Block_Management_Record record;
        if (!map_.ReadBlock(level, set, block, record)) return;
        TLN_Parcel_Management_Info info;
        if (!map_.ReadParcelManagement(record.Stream, level, info, record.Address)) return;
        const std::string name =
            std::to_string(level) + "/" + std::to_string(set) + "/" + std::to_string(block);
        for (uint32_t index = 0; index < info.RecordCount && more(); ++index) {
            TLN_MM_Parcel_Managenent_Record parcel;
            if (!map_.ReadParcel(record.Stream, level, index, parcel, false, record.Address)) continue;
            const std::string parcelName = name + "/" + std::to_string(index);
            if (!parcel.IsDivided()) {
                walkParcel(level, parcelName, parcel);
                continue;
            }
            TLN_Parcel_Management_Info sub;
            if (!map_.ReadParcelManagement(parcel.Stream, level, sub, parcel.Address)) continue;
            for (uint32_t s = 0; s < sub.RecordCount && more(); ++s) {
                TLN_MM_Parcel_Managenent_Record subParcel;
                if (map_.ReadParcel(parcel.Stream, level, s, subParcel, false, parcel.Address) &&
                    !subParcel.IsDivided())
                    walkParcel(level, parcelName + "/" + std::to_string(s), subParcel);
            }
        }
    }

    void walkParcel(uint8_t level, const std::string& name, const TLN_MM_Parcel_Managenent_Record& parcel) {
        // The parcels of an integrated group share one frame: it is read once.
        if (!seen_.insert({parcel.Stream.get(), parcel.Address}).second) {
            if (out_) *out_ << "parcel " << name << " frame " << parcel.Address << " seen\n";
            return;
        }
        ++result_.parcels;
        if (options_.beforeFrames) options_.beforeFrames();
        const auto frames = LoadParcelFrames(map_, level, parcel);
        if (out_)
            *out_ << "parcel " << name << " frame " << parcel.Address << " size " << parcel.Size << " file \""
                  << parcel.FileName << "\"" << (frames ? "" : " not read") << "\n";
        if (frames) result_.records += dumpParcelFrames(map_, *frames, out_, options_.dump);
        if (options_.afterFrames) options_.afterFrames();
    }

    TLN_KiwiMap& map_;
    std::ostream* out_;
    const FrameWalkOptions& options_;
    FrameWalkResult result_;
    std::set<std::pair<const TLN_Stream*, int64_t>> seen_;
};

} // namespace

FrameWalkResult walkFrames(TLN_KiwiMap& map, std::ostream* out, const FrameWalkOptions& options) {
    return FrameWalker(map, out, options).run();
}
