// The places of a source where no frame can lie.
#include "converter/levels/SourceTables.h"

#include <algorithm>
#include <cstddef>

void SourceTables::Add(int64_t start, int64_t end, Kind kind) {
    if (end > start) tables_.push_back({start, end, kind});
}

void SourceTables::Finish() {
    const auto byStart = [](const Table& a, const Table& b) { return a.start < b.start; };
    // Lists come in the source's order as a rule, a few runs of them (a level's, a block's route guidance
    // lists): the runs are merged, which costs a pass each; many runs are sorted.
    std::vector<size_t> runs{0};
    for (size_t i = 1; i < tables_.size() && runs.size() <= 16; ++i)
        if (tables_[i].start < tables_[i - 1].start) runs.push_back(i);
    if (runs.size() > 16) {
        std::stable_sort(tables_.begin(), tables_.end(), byStart);
    } else {
        runs.push_back(tables_.size());
        for (size_t step = 1; step + 1 < runs.size(); step *= 2)
            for (size_t r = 0; r + step + 1 < runs.size(); r += 2 * step) {
                const auto at = [&](size_t k) {
                    return tables_.begin() + std::ptrdiff_t(runs[std::min(k, runs.size() - 1)]);
                };
                std::inplace_merge(at(r), at(r + step), at(r + 2 * step), byStart);
            }
    }
    // Overlapping tables join under the first one's name: a look-up then needs one bisection.
    size_t kept = 0;
    for (const Table& t : tables_) {
        if (kept > 0 && t.start < tables_[kept - 1].end)
            tables_[kept - 1].end = std::max(tables_[kept - 1].end, t.end);
        else
            tables_[kept++] = t;
    }
    tables_.resize(kept);
    hint_ = 0;
}

const char* SourceTables::Meets(int64_t start, int64_t end) const {
    // Frames are asked for in the source's order as a rule: the answer is mostly where the last one was.
    const auto startsAfter = [&](size_t i) { return i == tables_.size() || tables_[i].start > end - 1; };
    const auto startsBefore = [&](size_t i) { return i == 0 || tables_[i - 1].start <= end - 1; };
    size_t at = hint_;
    if (at > tables_.size() || !startsBefore(at) || !startsAfter(at)) {
        if (at < tables_.size() && startsBefore(at + 1) && startsAfter(at + 1))
            ++at;
        else
            at = size_t(std::upper_bound(tables_.begin(), tables_.end(), end - 1,
                                         [](int64_t v, const Table& t) { return v < t.start; }) -
                        tables_.begin());
    }
    hint_ = at;
    const auto after = tables_.begin() + std::ptrdiff_t(at);
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
