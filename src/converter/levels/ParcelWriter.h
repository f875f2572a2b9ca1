// The one interface through which the conversion run writes parcel data frames. The copy writer here
// copies frames as they are; the writers that add imported outlines and re-encode names fill the same
// interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kiwi/io/Stream.h"

class TLN_KiwiMap;
class ConversionProgress;

// Where the next main frame belongs: the run tells the writer before each one, so that writers which add
// imported records can select them per block.
struct ParcelPlace {
    TLN_KiwiMap* map = nullptr;
    ConversionProgress* progress = nullptr;
    uint8_t level = 0;
    uint32_t blockSet = 0;
    uint32_t block = 0;
    uint32_t parcel = 0;
    // "level/block set/block/parcel", as log lines name a parcel.
    std::string Path() const;
};

// A frame of the source: its stream, byte offset and byte size (stored sectors × 32).
struct SourceFrame {
    std::shared_ptr<TLN_Stream> stream;
    int64_t offset = -1;
    uint32_t size = 0;
};

class ParcelWriter {
public:
    virtual ~ParcelWriter() = default;
    // Called before the first frame of each level (writers whose rules depend on the level).
    virtual void BeginLevel(uint8_t level) { (void)level; }
    // Called before each parcel's main frame with where the parcel lies.
    virtual void EnterParcel(const ParcelPlace& place) { (void)place; }
    // Writes the parcel's main map data frame at `at` of out; returns its size in bytes (a multiple of
    // 32), or 0 when nothing was written (the record then becomes the empty reference). The frame's route
    // guidance reference (bytes 28 to 33) is left empty: the run points it at the new guidance frame.
    virtual uint32_t WriteMainFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) = 0;
    // Writes a route guidance data frame; returns its size in bytes or 0.
    virtual uint32_t WriteGuidanceFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) = 0;
    // Whether every frame comes out as its source bytes (the run may then plan a level's frames and copy
    // them in one pass instead of calling the writer for each).
    virtual bool CopiesFramesUnchanged() const { return false; }
};

// Copies frames byte for byte (the copy path: no imports, no name conversion). PlannedLevels also tells
// the run that its frames come out unchanged, so that a copy-only level is planned and read in long runs
// straight into the output (FrameCopyPlan) instead of frame by frame through this writer.
class CopyParcelWriter : public ParcelWriter {
public:
    enum class Copying { FrameByFrame, PlannedLevels };
    explicit CopyParcelWriter(Copying copying = Copying::FrameByFrame) : copying_(copying) {}

    uint32_t WriteMainFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) override;
    uint32_t WriteGuidanceFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) override;
    bool CopiesFramesUnchanged() const override { return copying_ == Copying::PlannedLevels; }

private:
    uint32_t copy(const SourceFrame& frame, TLN_Stream& out, int64_t at);

    Copying copying_;
};

// The largest frame a parcel record can describe: its size is stored as a 16-bit count of 32-byte sectors.
inline constexpr uint32_t kMaxStoredFrameBytes = 0xFFFF * 32;

// Offset of the route guidance reference in a main map distribution header.
inline constexpr int64_t kGuidanceReferenceOffset = 28;

// The frame's bytes, or nothing when the source does not hold all of them or its size is no whole number
// of 32-byte sectors.
std::vector<uint8_t> ReadSourceFrame(const SourceFrame& frame);
// Empties the route guidance reference (FF FF FF FF 00 00) of a main frame long enough to hold one.
void ClearGuidanceReference(std::vector<uint8_t>& frame);
