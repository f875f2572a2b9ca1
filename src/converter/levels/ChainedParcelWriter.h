// A parcel writer that passes every frame through two writers in turn, so that names can be converted
// and imported outlines added in the same run.
#pragma once

#include <memory>

#include "converter/levels/ParcelWriter.h"
#include "kiwi/io/MemoryStream.h"

// The first writer reads the source and writes into memory; the second reads that as its source and
// writes the output. Both hear of every level and parcel. A frame the first writer cannot write (size 0)
// is not handed on.
class ChainedParcelWriter : public ParcelWriter {
public:
    ChainedParcelWriter(ParcelWriter& first, ParcelWriter& second);

    void BeginLevel(uint8_t level) override;
    void EnterParcel(const ParcelPlace& place) override;
    uint32_t WriteMainFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) override;
    uint32_t WriteGuidanceFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) override;

private:
    // The first writer's frame as a source of the second; one buffer reused for every frame.
    SourceFrame intermediate(uint32_t size) const;

    ParcelWriter& first_;
    ParcelWriter& second_;
    std::shared_ptr<TLN_MemoryStream> memory_ = std::make_shared<TLN_MemoryStream>();
};
