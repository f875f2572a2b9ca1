// The places of a source where no frame can lie.
#include "converter/levels/SourceTables.h"

#include <algorithm>

void SourceTables::Add(int64_t start, int64_t end, Kind kind) {
    if (end > start) tables_.push_back({start, end, kind});
}

void SourceTables::Finish() {
    std::sort(tables_.begin(), tables_.end(),
              [](const Table& a, const Table& b) { return a.start < b.start; });
    // Overlapping tables join under the first one's name: a look-up then needs one bisection.
    size_t kept = 0;
    for (const Table& t : tables_) {
        if (kept > 0 && t.start < tables_[kept - 1].end)
            tables_[kept - 1].end = std::max(tables_[kept - 1].end, t.end);
        else
            tables_[kept++] = t;
    }
    tables_.resize(kept);
}

const char* SourceTables::Meets(int64_t start, int64_t end) const {
    const auto after = std::upper_bound(tables_.begin(), tables_.end(), end - 1,
                                        [](int64_t at, const Table& t) { return at < t.start; });
    if (after == tables_.begin()) return nullptr;
    const Table& t = *(after - 1);
    if (t.end <= start) return nullptr;
    switch (t.kind) {
    case Kind::VolumeHeader:
        return "the data volume's header";
    case Kind::ManagementData:
        return "the main map management data";
    case Kind::ParcelList:
        return "a parcel management list";
    }
    return "a table";
}
