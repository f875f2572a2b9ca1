// CMP list parsing and the parsed-list cache.
#include "kiwi/cmp/CmpListCache.h"

#include <algorithm>
#include <cstring>

#include "kiwi/core/BeCursor.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/WholeRead.h"

namespace {
constexpr uint32_t maxEntries0506 = 10000; // a list with this many entries or more is invalid
constexpr uint32_t maxEntries13 = 100;
constexpr char magic13[8] = {'M', 'C', 'M', 0, 'C', 'M', 'P', 0};

// Reads a list front to back through a 64 KiB window, so a list of thousands of entries costs a few
// reads instead of two per entry.
class ListWindow {
public:
    ListWindow(TLN_Stream& stream, int64_t size) : stream_(stream), size_(size) {}

    // Copies count bytes at position; false when they are not all inside the list.
    bool get(int64_t position, int64_t count, void* out) {
        if (position < 0 || count < 0 || position > size_ || count > size_ - position) return false;
        if (count == 0) return true;
        if (count > int64_t(windowSize)) return bounded::readInto(stream_, position, out, count) == count;
        if (start_ < 0 || position < start_ || position + count > start_ + int64_t(filled_)) {
            buffer_.resize(windowSize);
            start_ = position;
            filled_ = size_t(
                std::max<int64_t>(0, bounded::readInto(stream_, position, buffer_.data(), windowSize)));
            if (position + count > start_ + int64_t(filled_)) return false;
        }
        std::memcpy(out, buffer_.data() + (position - start_), size_t(count));
        return true;
    }

private:
    static constexpr size_t windowSize = 65536;
    TLN_Stream& stream_;
    int64_t size_;
    std::vector<uint8_t> buffer_;
    int64_t start_ = -1;
    size_t filled_ = 0;
};

std::string cutAtNul(const char* data, size_t count) {
    const void* nul = std::memchr(data, 0, count);
    return std::string(data, nul ? size_t(static_cast<const char*>(nul) - data) : count);
}

// The list is cut: what lies at position needed bytes, and the list holds fewer.
void cut(TLN_Stream& stream, ParsedCmpList& list, const std::string& what, int64_t position, int64_t needed) {
    list.truncated = true;
    list.damage = ShortReadText(whole::Shortfall(stream, what, position, needed, list.listSize - position));
}

std::string entryName(uint32_t i, uint32_t count) {
    return "entry " + std::to_string(i) + " of Number of Compressed Files " + std::to_string(count);
}

void parse0506(TLN_Stream& stream, ListWindow& window, ParsedCmpList& list) {
    uint8_t header[8];
    if (!window.get(0, 4, header)) {
        // Shorter than its count field: not a list, and no telling which files it names.
        cut(stream, list, "Number of Compressed Files", 0, 4);
        return;
    }
    const BeCursor fields(header, sizeof header);
    list.entryCount = fields.u32(0);
    list.valid = list.entryCount < maxEntries0506;
    if (!list.valid) return;
    int64_t position = 4;
    std::string name;
    for (uint32_t i = 0; i < list.entryCount; ++i) {
        if (!window.get(position, 8, header)) {
            cut(stream, list, entryName(i, list.entryCount), position, 8);
            return;
        }
        CmpListEntry entry;
        entry.entryPosition = position;
        entry.tablePosition = int64_t(fields.u32(0));
        entry.compressionType = fields.u16(4);
        entry.nameLength = fields.u16(6);
        name.resize(entry.nameLength);
        if (!window.get(position + 8, entry.nameLength, name.data())) {
            cut(stream, list, entryName(i, list.entryCount), position, 8 + int64_t(entry.nameLength));
            return;
        }
        entry.name = cutAtNul(name.data(), name.size());
        const int64_t next = position + 8 + entry.nameLength + (entry.nameLength & 1);
        list.byName.try_emplace(upperAscii(entry.name), list.entries.size());
        list.entries.push_back(std::move(entry));
        position = next;
    }
}

void parse13(TLN_Stream& stream, ListWindow& window, ParsedCmpList& list) {
    uint8_t header[10];
    if (!window.get(0, 10, header)) {
        cut(stream, list, "the list's magic and entry count", 0, 10);
        return;
    }
    if (std::memcmp(header, magic13, 8) != 0) return;
    list.entryCount = BeCursor(header, sizeof header).u16(8);
    list.valid = list.entryCount < maxEntries13;
    if (!list.valid) return;
    int64_t position = 10;
    std::string name;
    for (uint32_t i = 0; i < list.entryCount; ++i) {
        uint8_t fields[2];
        if (!window.get(position, 2, fields)) {
            cut(stream, list, entryName(i, list.entryCount), position, 2);
            return;
        }
        CmpListEntry entry;
        entry.entryPosition = position;
        entry.tablePosition = fields[0];
        entry.nameLength = fields[1];
        entry.compressionType = 13258;
        name.resize(entry.nameLength);
        if (!window.get(position + 2, entry.nameLength, name.data())) {
            cut(stream, list, entryName(i, list.entryCount), position, 2 + int64_t(entry.nameLength));
            return;
        }
        entry.name = cutAtNul(name.data(), name.size());
        list.entries.push_back(std::move(entry));
        position += 2 + fields[1];
    }
}
} // namespace

std::string upperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

CmpListKind cmpListKindOf(const std::string& listPath) {
    const std::string name = upperAscii(fileNamePart(listPath));
    if (name == "05.CMP") return CmpListKind::List05;
    if (name == "06.CMP") return CmpListKind::List06;
    if (name == "13.CMP") return CmpListKind::List13;
    return CmpListKind::None;
}

std::shared_ptr<const ParsedCmpList> parseCmpList(TLN_Stream& stream, CmpListKind kind) {
    auto list = std::make_shared<ParsedCmpList>();
    list->kind = kind;
    list->listSize = stream.Size();
    ListWindow window(stream, list->listSize);
    if (kind == CmpListKind::List05 || kind == CmpListKind::List06)
        parse0506(stream, window, *list);
    else if (kind == CmpListKind::List13)
        parse13(stream, window, *list);
    return list;
}

CmpListCache& CmpListCache::instance() {
    static CmpListCache cache;
    return cache;
}

std::shared_ptr<const ParsedCmpList> CmpListCache::find(const std::string& identity, int64_t modified,
                                                        int64_t size) {
    std::lock_guard guard(mutex_);
    auto it = slots_.find(identity);
    if (it == slots_.end() || it->second.modified != modified || it->second.size != size) return nullptr;
    it->second.lastUse = ++clock_;
    return it->second.list;
}

void CmpListCache::store(const std::string& identity, int64_t modified, int64_t size,
                         std::shared_ptr<const ParsedCmpList> list) {
    std::lock_guard guard(mutex_);
    if (slots_.size() >= capacity && !slots_.count(identity)) {
        auto oldest = std::min_element(slots_.begin(), slots_.end(), [](const auto& a, const auto& b) {
            return a.second.lastUse < b.second.lastUse;
        });
        slots_.erase(oldest);
    }
    slots_[identity] = Slot{modified, size, ++clock_, std::move(list)};
}

void CmpListCache::forget(const std::string& identity) {
    std::lock_guard guard(mutex_);
    slots_.erase(identity);
}

void CmpListCache::clear() {
    std::lock_guard guard(mutex_);
    slots_.clear();
}
