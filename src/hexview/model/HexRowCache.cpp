// Page-wise reading and decoding of the hex grid's rows, least recently used page replaced first.
#include "hexview/model/HexRowCache.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "hexview/model/HexCharTable.h"

HexRowCache::HexRowCache(int pageCapacity) : pages_(size_t(std::max(1, pageCapacity))) {}

void HexRowCache::Reset(std::shared_ptr<TLN_Stream> stream, int64_t size) {
    stream_ = std::move(stream);
    size_ = stream_ ? std::max<int64_t>(0, size) : 0;
    Invalidate();
}

void HexRowCache::SetCharTable(const HexCharTable* table) {
    table_ = table;
    Invalidate();
}

void HexRowCache::Invalidate() {
    for (Page& page : pages_) {
        page.firstRow = -1;
        page.rows.clear();
    }
}

const HexRow& HexRowCache::Row(int64_t row) {
    if (row < 0 || !stream_ || row >= (size_ + 15) / 16) return empty_;
    const int64_t first = row / kRowsPerPage * kRowsPerPage;
    Page* target = nullptr;
    for (Page& page : pages_)
        if (page.firstRow == first) target = &page;
    if (!target) {
        target = &*std::min_element(pages_.begin(), pages_.end(),
                                    [](const Page& a, const Page& b) { return a.lastUse < b.lastUse; });
        fill(*target, first);
    }
    target->lastUse = ++clock_;
    return target->rows[size_t(row - first)];
}

void HexRowCache::fill(Page& page, int64_t firstRow) {
    page.firstRow = firstRow;
    page.rows.assign(size_t(kRowsPerPage), HexRow{});
    const int64_t offset = firstRow * 16;
    // The page's rows and the first row of the next page, for characters that span a row's end; never
    // more than the stream holds.
    const int64_t wanted = std::min<int64_t>((kRowsPerPage + 1) * 16, size_ - offset);
    buffer_.assign(size_t((kRowsPerPage + 1) * 16), 0);
    int64_t got = 0;
    try {
        ++reads_;
        got = std::clamp<int64_t>(stream_->ReadAt(offset, buffer_.data(), wanted), 0, wanted);
    } catch (const std::exception& error) {
        error_ = error.what();
        // An unreadable page shows empty rows; the next repaint does not read it again.
        got = 0;
    }
    // Bytes the stream did not deliver stay zero and are not counted as existing.
    for (int64_t r = 0; r < kRowsPerPage; ++r) {
        HexRow& row = page.rows[size_t(r)];
        row.offset = offset + r * 16;
        const int64_t start = r * 16;
        const int available = int(std::clamp<int64_t>(got - start, 0, 32));
        row.count = std::min(available, 16);
        std::memcpy(row.bytes, buffer_.data() + start, size_t(row.count));
        if (table_) table_->DecodeRow(buffer_.data() + start, available, row.count, row.chars);
    }
}
