// TLN_DecompFileStream: the stream every KIWI reader reads. When a CMP list names the file it presents
// the file's decompressed content, decoding 64 KiB blocks on demand into a small MRU cache; otherwise it
// reads the file unchanged, small reads through a few cached 64 KiB pages.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kiwi/cmp/BlockCache.h"
#include "kiwi/cmp/BlockInflate.h"
#include "kiwi/cmp/BpeDecoder.h"
#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/io/PageCache.h"
#include "kiwi/io/Stream.h"

class TLN_DecompFileStream : public TLN_Stream {
public:
    static constexpr int64_t blockSize = BlockCache::blockSize;

    // Opens the file (inside the mounted image, as a volume set or plain) and looks for a list naming it.
    // Raises EFOpenError when the file cannot be opened.
    static std::unique_ptr<TLN_DecompFileStream> Create(const std::string& fileName);
    // The unpack workers' variant: lock (borrowed) is held for the whole construction and afterwards only
    // around the size query, block-table loads, stored block-size reads and each block's byte read, never
    // around decompression. Only "05.CMP"/"06.CMP" lists, types 1, 2 and 258, one cache slot. Reads of a
    // file that is not listed do not take the lock (the caller holds it around them).
    static std::unique_ptr<TLN_DecompFileStream> CreateLocked(const std::string& fileName, std::mutex* lock);
    // The unpack tools' variant without a search: the stream of one entry of a list the caller read,
    // over the data file the caller opened, with CreateLocked's rules (types 1, 2 and 258, one slot, lock
    // around reads only). Listed only when the entry has a compressed type with a trustworthy table; an
    // entry of another type leaves the stream unlisted, reading data unchanged.
    static std::unique_ptr<TLN_DecompFileStream> ForEntry(std::unique_ptr<TLN_CompressionManager> list,
                                                          const TLN_Compression_Record& entry,
                                                          std::shared_ptr<TLN_Stream> data, std::mutex* lock);

    ~TLN_DecompFileStream() override;

    // The decompressed size when listed, else the data stream's size.
    int64_t Size() override;
    int64_t GetSize() { return Size(); }
    // Listed: reads stop at the decompressed size; blocks are decoded as needed. Thread-safe. Raises
    // ECompressionError when a block cannot be decoded or decodes shorter than the bytes asked of it.
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override;
    std::string FileName() const override { return fileName_; }

    // Brings block index into MRU entry 0, decoding it unless cached, and returns the bytes it holds
    // (0 for a stream that is not listed). Raises ECompressionError as ReadAt does, also for a block the
    // list does not locate. For a single owner.
    int64_t LoadBlock(int64_t index);
    // The data of MRU entry 0 (after LoadBlock, that block), or nullptr.
    const uint8_t* CurrentBlockData() const;

    bool Listed() const { return listed_; }
    // Block count and decompressed size of the entry ("13.CMP": from the data header).
    uint32_t BlockCount() const { return blockCount_; }
    int64_t FileSize() const { return fileSize_; }
    // The list entry (compression type as listed) and the type the stream decodes (514/770 read as 258,
    // type 1 of "06.CMP" as 2).
    const TLN_Compression_Record& Entry() const { return entry_; }
    uint16_t DecodedType() const { return decodedType_; }
    bool ListFound() const { return list_ != nullptr; }
    const TLN_CompressionManager* List() const { return list_.get(); }
    int SlotCount() const { return slotCount_; }
    // The stream on the file itself (compressed bytes when listed).
    TLN_Stream& DataStream() const { return *data_; }
    // "13.CMP" blocks longer than 65536 bytes that were read as stored and cut.
    std::vector<int64_t> SuspectBlocks() const;
    // The pages of a file read unchanged (not for the locked variant); null when the file is listed.
    const PageCache* Pages() const { return pages_.get(); }

private:
    TLN_DecompFileStream(const std::string& fileName, std::mutex* lock);
    void open(bool lockedVariant);
    void bindEntry(bool lockedVariant);
    bool readZlibHeader();
    const BlockCache::Block& ensureBlock(int64_t block);
    int64_t decodeBlock(int64_t block, uint8_t* destination);
    int64_t readData(int64_t position, void* buffer, int64_t count);
    uint8_t* scratch(size_t size);

    std::mutex* lock_ = nullptr;
    std::string fileName_;
    std::shared_ptr<TLN_Stream> data_;
    std::unique_ptr<TLN_CompressionManager> list_;
    TLN_Compression_Record entry_;
    bool listed_ = false;
    uint16_t decodedType_ = 0;
    uint32_t blockCount_ = 0;
    int64_t fileSize_ = 0;
    int64_t dataSize_ = 0;
    int slotCount_ = 1;
    // "13.CMP" files: absolute block offsets in the data file.
    std::vector<int64_t> blockOffsets_;

    mutable std::mutex cacheMutex_;
    std::unique_ptr<BlockCache> cache_;
    BlockInflater inflater_;
    BpeDecoder bpe_;
    std::vector<uint8_t> scratch_;
    std::vector<int64_t> suspectBlocks_;
    std::unique_ptr<PageCache> pages_;
};
