// The places of a source where no parcel data frame can lie: the data volume's header, the main map
// management data and every parcel management list. A record naming a frame there names no frame: copying
// those bytes as a parcel would give the new map a frame made of tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class SourceTables {
public:
    enum class Kind : uint8_t { VolumeHeader, ManagementData, ParcelList };

    // A table of [start, end) in the key space of frames (a stream's key base + byte offset).
    void Add(int64_t start, int64_t end, Kind kind);
    // Sorts and joins the tables; Add after it needs another Finish.
    void Finish();
    // What of the tables [start, end) meets, or null when it meets none.
    const char* Meets(int64_t start, int64_t end) const;
    void Clear() { tables_.clear(); }

private:
    struct Table {
        int64_t start;
        int64_t end;
        Kind kind;
    };
    std::vector<Table> tables_;
    // Where the last look-up ended.
    mutable size_t hint_ = 0;
};
