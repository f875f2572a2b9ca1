// TLN_CompressionManager: a CMP list ("05.CMP", "06.CMP" or "13.CMP") that names compressed files and,
// for kinds 1 and 2, where each 64 KiB block of a listed file lies in the compressed file.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kiwi/cmp/CmpListCache.h"
#include "kiwi/cmp/CompressionRecord.h"
#include "kiwi/io/Stream.h"

class TLN_CompressionManager {
public:
    // Opens the list at listPath (on disk, or inside the mounted image). Never raises on bad list data:
    // an unknown name, a missing file, a count at or over its limit or a wrong magic leave it invalid.
    explicit TLN_CompressionManager(const std::string& listPath);
    // A list read from a stream the caller opened (the unpack tools choose disk or image themselves); the
    // kind comes from listPath's file name. Parsed afresh, not through the process-wide cache.
    TLN_CompressionManager(const std::string& listPath, std::shared_ptr<TLN_Stream> listStream);
    ~TLN_CompressionManager();

    // A second manager over the same list stream and parsed entries with a block table of its own, so
    // that each worker thread can locate blocks without sharing the (not thread-safe) loaded table.
    std::unique_ptr<TLN_CompressionManager> Share() const;

    TLN_CompressionManager(const TLN_CompressionManager&) = delete;
    TLN_CompressionManager& operator=(const TLN_CompressionManager&) = delete;

    bool IsValid() const { return valid_; }
    // Why reading the list failed ("" when it did not fail, or no error was raised).
    const std::string& ErrorString() const { return error_; }
    CmpListKind Kind() const { return kind_; }
    // Why the list cannot be read whole ("" when it can): the list is cut inside its header or an entry, so
    // a file it does not name among the entries before the cut may still be one it lists.
    std::string Damage() const { return list_ ? list_->damage : std::string(); }
    // The count the list declares (entries that do not fit in the file are not found).
    uint32_t EntryCount() const { return list_ ? list_->entryCount : 0; }
    const std::string& ListFileName() const { return listFileName_; }
    // The list file's stream (shared with whoever shows its bytes); null when the list could not be opened.
    const std::shared_ptr<TLN_Stream>& ListStream() const { return listStream_; }

    // Looks a file up by its path; the key is the path relative to the list's folder, "/" separated and
    // upper-cased. Kinds 1 and 2 match exactly; "13.CMP" names match when one is a prefix of the other
    // (never an empty one). False (and a cleared record) when the file is not listed, its entry has type 0,
    // or its block table is damaged.
    bool FindEntry(const std::string& fileName, TLN_Compression_Record& record);

    // Reads the kind 1/2 entry at position (the first is at 4) with its block-table header; returns the
    // next entry's position, or -1 (and a cleared record) when the entry does not lie inside the list.
    int64_t ReadEntry(int64_t position, TLN_Compression_Record& record);

    // Why the last FindEntry found the file listed as compressed but its block table is no table ("" when
    // it did not): such a file can be read neither decompressed nor as it is.
    const std::string& RefusedEntry() const { return refusedEntry_; }

    // Every entry that lies inside the list, in list order, filled as ReadEntry fills it.
    std::vector<TLN_Compression_Record> Entries();

    // Block i of the record's file: offset = block address × 2048, size = the stored compressed size
    // (0 for stored blocks and for the segmented types). Offset -1, size 0 past the table.
    // Loads the record's block table when another entry's is loaded. Not thread-safe.
    void GetBlockInfo(const TLN_Compression_Record& record, int64_t blockIndex, TLN_Block_Info& info);
    void LoadBlockTable(const TLN_Compression_Record& record);
    // Number of blocks in the loaded table.
    size_t LoadedBlockCount() const { return sectors_.size(); }

    // The lock held around block-table reads (a borrowed image read lock), or nullptr.
    void SetLock(std::mutex* lock) { lock_ = lock; }

    // Opens the list file itself for writing in place (not truncated); false when the list is invalid or
    // lies inside an image. The caller writes through WriteStream() with the big-endian writers.
    bool OpenForWriting();
    TLN_Stream* WriteStream() const { return writeStream_.get(); }
    // Frees the write stream and forgets what was read from the list, so later lookups see the writes.
    void CloseWriting();

private:
    void fail(const std::exception& error) {
        valid_ = false;
        error_ = error.what();
    }
    void load();
    // Reads the block-table header into record; false (with record.tableError) when the table is no table.
    bool fillFromTable(TLN_Compression_Record& record);
    void fillEntry(const CmpListEntry& entry, TLN_Compression_Record& record, bool describedByDataFile);
    std::string lookupKey(const std::string& fileName) const;
    std::string cacheIdentity(int64_t& modified, int64_t& size);

    std::string listFileName_;
    CmpListKind kind_ = CmpListKind::None;
    bool valid_ = false;
    std::string error_;
    std::string refusedEntry_;
    std::shared_ptr<TLN_Stream> listStream_;
    std::shared_ptr<const ParsedCmpList> list_;
    // The loaded block table: sector addresses (64-bit, a segment base plus an offset may pass 2^32) and
    // compressed sizes.
    std::vector<uint64_t> sectors_;
    std::vector<uint16_t> sizes_;
    int64_t loadedEntry_ = -1;
    std::mutex* lock_ = nullptr;
    std::unique_ptr<TLN_Stream> writeStream_;
    // Read from a stream handed in: never looked up, cached or written.
    bool givenStream_ = false;
};
