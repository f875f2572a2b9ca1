// TLN_RdstmcManager: the reader of the KIWI RDS-TMC traffic message part.
#pragma once

#include <string>

#include "kiwi/parts/Manager.h"
#include "kiwi/parts/PartText.h"
#include "kiwi/parts/RdstmcRecords.h"

class TLN_RdstmcManager : public TLN_Manager {
public:
    static constexpr int64_t kEventsHeaderBytes = 74;
    // Record sizes of the three message layouts (partitions 0, 1 and 2).
    static constexpr int64_t kMessageBytes[3] = {14, 8, 6};

    // Valid when the usage code is 44880 or 65297.
    explicit TLN_RdstmcManager(const std::string& fileName);
    TLN_RdstmcManager(std::shared_ptr<TLN_Stream> stream, int64_t offset);

    const TLN_RdstmcHeader& Header() const { return header_; }
    const TLN_TmcFrameHeader& TmcHeader() const { return tmcHeader_; }
    const TLN_TmcEventsHeader& EventsHeader() const { return eventsHeader_; }

    // The regions whose records lie inside the TMC data frame (at most the stored count).
    int64_t RegionCount() const { return regionCount_; }
    // Why the region table is no table ("" when it is one): its records are closer together than the
    // fields each holds. There are then no regions.
    const std::string& RegionTableError() const { return regionTableError_; }
    // Messages of partition 0, 1 or 2 that lie inside the events data frame.
    int64_t MessageCount(int partition) const;

    // Each read returns whether its record (and the records it is reached through) exist.
    bool ReadRegionDataInfo(int64_t region, TLN_TmcRegion& record) const;
    bool ReadGroupInfo(int64_t region, int group, TLN_TmcGroup& record) const;
    bool ReadLocationInfo(int64_t region, int group, int location, TLN_TmcLocationInfo& record) const;
    bool ReadLocationData(int64_t region, int group, int location, TLN_TmcLocationData& record) const;
    bool ReadMessageRecord(int64_t index, TLN_TmcMessage& record) const;
    bool ReadMessageRecord2(int64_t index, TLN_TmcMessage& record) const;
    bool ReadMessageRecord3(int64_t index, TLN_TmcMessage& record) const;

    // The character string at position in the given text language; position -1 gives an empty text.
    TLN_PartText ReadText(int64_t position, int language = 0) const;

private:
    void ReadHeaders();
    bool ReadMessage(int partition, int64_t index, TLN_TmcMessage& record) const;

    TLN_RdstmcHeader header_;
    TLN_TmcFrameHeader tmcHeader_;
    TLN_TmcEventsHeader eventsHeader_;
    int64_t regionCount_ = 0;
    std::string regionTableError_;
    int64_t messageCount_[3] = {};
};
