// The hex grid's bounded cache of rows: bytes read in pages of 64 rows (each page with the first bytes of
// the row after it), and their display characters, so a repaint reads the stream once per page.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "kiwi/io/Stream.h"

class HexCharTable;

struct HexRow {
    int64_t offset = 0;
    // Bytes of the row that exist (0..16); bytes[count..] are zero, never stale data.
    int count = 0;
    uint8_t bytes[16] = {};
    // Display values (HexCharTable::DecodeRow).
    char16_t chars[16] = {};
};

class HexRowCache {
public:
    static constexpr int64_t kRowsPerPage = 64;

    explicit HexRowCache(int pageCapacity = 16);

    // Shows stream (may be null) of size bytes; everything cached is dropped.
    void Reset(std::shared_ptr<TLN_Stream> stream, int64_t size);
    // Characters are decoded with table (not owned; must outlive its use); cached rows are decoded anew.
    void SetCharTable(const HexCharTable* table);
    void Invalidate();

    // Data row index (offset / 16). A row past the end, or one whose bytes could not be read, has count 0.
    const HexRow& Row(int64_t row);

    // Stream reads made so far (tests check that a repaint reads each page once).
    uint64_t Reads() const { return reads_; }
    // Why the last page that could not be read failed ("" when none failed).
    const std::string& ErrorString() const { return error_; }
    int PageCapacity() const { return int(pages_.size()); }

private:
    struct Page {
        int64_t firstRow = -1;
        uint64_t lastUse = 0;
        std::vector<HexRow> rows;
    };
    void fill(Page& page, int64_t firstRow);

    std::shared_ptr<TLN_Stream> stream_;
    int64_t size_ = 0;
    const HexCharTable* table_ = nullptr;
    std::vector<Page> pages_;
    std::vector<uint8_t> buffer_;
    uint64_t clock_ = 0;
    uint64_t reads_ = 0;
    std::string error_;
    HexRow empty_;
};
