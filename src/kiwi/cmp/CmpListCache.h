// Parsed CMP lists (their entries and a name index) and a process-wide cache of them keyed by the list's
// identity, modification time and size, so that every stream opening a file does not re-read its list.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "kiwi/io/Stream.h"

// Which list format: from the file name "05.CMP", "06.CMP" or "13.CMP"; 0 for any other name.
enum class CmpListKind { None = 0, List05 = 1, List06 = 2, List13 = 3 };

CmpListKind cmpListKindOf(const std::string& listPath);

struct CmpListEntry {
    int64_t entryPosition = 0;
    // Kinds 1 and 2: position of the block table; "13.CMP": the entry's u8 value.
    int64_t tablePosition = 0;
    uint16_t compressionType = 0;
    uint16_t nameLength = 0;
    std::string name; // cut at the first NUL
};

struct ParsedCmpList {
    CmpListKind kind = CmpListKind::None;
    bool valid = false;
    // The count the list declares.
    uint32_t entryCount = 0;
    int64_t listSize = 0;
    // The entries that lie inside the list file, in list order; fewer than entryCount when it is cut short.
    std::vector<CmpListEntry> entries;
    bool truncated = false;
    // Why the list cannot be read whole ("" when it can): its header or an entry lies past its end.
    std::string damage;
    // Kinds 1 and 2: upper-cased name -> index of the first entry with that name.
    std::unordered_map<std::string, size_t> byName;
};

// Reads a list's header and entries; never raises on bad data (the result is then not valid), only on
// an I/O failure of the stream.
std::shared_ptr<const ParsedCmpList> parseCmpList(TLN_Stream& stream, CmpListKind kind);

// ASCII upper case.
std::string upperAscii(std::string text);

class CmpListCache {
public:
    static CmpListCache& instance();

    // The parsed list for this identity, modification time and size, or nullptr.
    std::shared_ptr<const ParsedCmpList> find(const std::string& identity, int64_t modified, int64_t size);
    void store(const std::string& identity, int64_t modified, int64_t size,
               std::shared_ptr<const ParsedCmpList> list);
    // Drops what is cached for a list (after it was written in place).
    void forget(const std::string& identity);
    void clear();

private:
    struct Slot {
        int64_t modified = 0;
        int64_t size = 0;
        uint64_t lastUse = 0;
        std::shared_ptr<const ParsedCmpList> list;
    };
    static constexpr size_t capacity = 64;
    std::mutex mutex_;
    std::unordered_map<std::string, Slot> slots_;
    uint64_t clock_ = 0;
};
