// The decompressing stream: list lookup at construction, block location by type, decoding into the cache.
#include "kiwi/cmp/DecompFileStream.h"

#include <algorithm>
#include <cstring>

#include "kiwi/cmp/CmpFileAccess.h"
#include "kiwi/cmp/CmpListSearch.h"
#include "kiwi/core/BeCursor.h"
#include "kiwi/core/KiwiErrors.h"

namespace {
constexpr int64_t oneSlotLimit = 0x400000;       // 4 MiB
constexpr int64_t sixteenSlotLimit = 0x40000000; // 1 GiB
} // namespace

TLN_DecompFileStream::TLN_DecompFileStream(const std::string& fileName, std::mutex* lock)
    : lock_(lock), fileName_(fileName) {}

TLN_DecompFileStream::~TLN_DecompFileStream() = default;

std::unique_ptr<TLN_DecompFileStream> TLN_DecompFileStream::Create(const std::string& fileName) {
    std::unique_ptr<TLN_DecompFileStream> stream(new TLN_DecompFileStream(fileName, nullptr));
    stream->open(false);
    // The locked variant serves unpack workers, whose callers hold the lock around reads of an unlisted
    // file and read it in large pieces: no pages there.
    if (!stream->listed_) stream->pages_ = std::make_unique<PageCache>();
    return stream;
}

std::unique_ptr<TLN_DecompFileStream> TLN_DecompFileStream::CreateLocked(const std::string& fileName,
                                                                         std::mutex* lock) {
    std::unique_ptr<TLN_DecompFileStream> stream(new TLN_DecompFileStream(fileName, lock));
    if (lock) {
        std::lock_guard guard(*lock);
        stream->open(true);
    } else {
        stream->open(true);
    }
    // From now on the list takes the lock itself around its block-table reads.
    if (stream->list_) stream->list_->SetLock(lock);
    return stream;
}

std::unique_ptr<TLN_DecompFileStream>
TLN_DecompFileStream::ForEntry(std::unique_ptr<TLN_CompressionManager> list,
                               const TLN_Compression_Record& entry, std::shared_ptr<TLN_Stream> data,
                               std::mutex* lock) {
    if (!data) throw EFOpenError("No data file for " + entry.name);
    std::unique_ptr<TLN_DecompFileStream> stream(new TLN_DecompFileStream(data->FileName(), lock));
    stream->data_ = std::move(data);
    const bool usable = list && list->IsValid() && list->Kind() != CmpListKind::List13 && entry.tableValid &&
                        entry.compressionType != CompressionType::None;
    if (!usable) return stream;
    stream->list_ = std::move(list);
    stream->entry_ = entry;
    if (lock) {
        std::lock_guard guard(*lock);
        stream->bindEntry(true);
    } else {
        stream->bindEntry(true);
    }
    stream->list_->SetLock(lock);
    return stream;
}

void TLN_DecompFileStream::open(bool lockedVariant) {
    data_ = cmpOpenFile(fileName_);
    auto match = findCmpListFor(fileName_, lockedVariant ? CmpListSearchMode::LockedStream
                                                         : CmpListSearchMode::AllLists);
    if (!match) return;
    list_ = std::move(match->list);
    entry_ = match->entry;
    bindEntry(lockedVariant);
}

void TLN_DecompFileStream::bindEntry(bool lockedVariant) {
    uint16_t type = entry_.compressionType;
    if (CompressionType::isSegmented(type)) type = CompressionType::GzipSegmented;
    if (type == CompressionType::BytePair && list_->Kind() == CmpListKind::List06)
        type = CompressionType::Gzip;
    decodedType_ = type;
    listed_ = type == CompressionType::BytePair || type == CompressionType::Gzip ||
              type == CompressionType::GzipSegmented || (type == CompressionType::Zlib && !lockedVariant);
    if (!listed_) return;
    dataSize_ = data_->Size();
    fileSize_ = entry_.fileSize;
    blockCount_ = entry_.blockCount;
    // A "13.CMP" file whose header fails its checks is read unchanged.
    if (type == CompressionType::Zlib) listed_ = readZlibHeader();
    if (!listed_) return;
    slotCount_ = lockedVariant ? 1 : fileSize_ <= oneSlotLimit ? 1 : fileSize_ <= sixteenSlotLimit ? 16 : 256;
    cache_ = std::make_unique<BlockCache>(slotCount_);
}

bool TLN_DecompFileStream::readZlibHeader() {
    uint8_t header[18];
    if (data_->ReadAt(0, header, 18) != 18) return false;
    const BeCursor fields(header, sizeof header);
    if (std::memcmp(header, "CMP\0", 4) != 0 || fields.u16(8) != 2 || fields.u16(14) != 4096) return false;
    const int64_t base = fields.u32(4);
    const int64_t size = fields.u32(10);
    const size_t count = fields.u16(16);
    // Enough blocks for the size, all offsets inside the data file and in order; checked before any
    // offset is used, so a bad header can never produce a negative block length.
    if (int64_t(count) * blockSize < size || 18 + 4 * int64_t(count) > dataSize_) return false;
    std::vector<uint8_t> table(4 * count);
    if (data_->ReadAt(18, table.data(), int64_t(table.size())) != int64_t(table.size())) return false;
    const BeCursor entries(table.data(), table.size());
    std::vector<int64_t> offsets(count);
    for (size_t i = 0; i < count; ++i) {
        offsets[i] = base + entries.u32(4 * int64_t(i));
        if (offsets[i] > dataSize_ || (i > 0 && offsets[i] < offsets[i - 1])) return false;
    }
    blockOffsets_ = std::move(offsets);
    fileSize_ = size;
    blockCount_ = uint32_t(count);
    return true;
}

int64_t TLN_DecompFileStream::Size() {
    if (listed_) return fileSize_;
    if (!lock_) return data_->Size();
    std::lock_guard guard(*lock_);
    return data_->Size();
}

int64_t TLN_DecompFileStream::readData(int64_t position, void* buffer, int64_t count) {
    if (!lock_) return data_->ReadAt(position, buffer, count);
    std::lock_guard guard(*lock_);
    return data_->ReadAt(position, buffer, count);
}

uint8_t* TLN_DecompFileStream::scratch(size_t size) {
    if (scratch_.size() < size) scratch_.resize(std::max<size_t>(size, size_t(blockSize)));
    return scratch_.data();
}

int64_t TLN_DecompFileStream::ReadAt(int64_t position, void* buffer, int64_t count) {
    if (!listed_)
        return pages_ ? pages_->Read(*data_, position, buffer, count)
                      : data_->ReadAt(position, buffer, count);
    if (position < 0 || count <= 0 || position >= fileSize_) return 0;
    count = std::min(count, fileSize_ - position);
    auto* out = static_cast<uint8_t*>(buffer);
    std::lock_guard guard(cacheMutex_);
    int64_t done = 0;
    while (done < count) {
        const int64_t at = position + done;
        const int64_t block = at / blockSize;
        const int64_t within = at - block * blockSize;
        const BlockCache::Block& slot = ensureBlock(block);
        const int64_t n = std::min(count - done, blockSize - within);
        if (within + n > slot.length)
            throw ECompressionError("Compressed block " + std::to_string(block) + " of " + fileName_ +
                                    " is truncated");
        std::memcpy(out + done, slot.data.get() + within, size_t(n));
        done += n;
    }
    return done;
}

int64_t TLN_DecompFileStream::LoadBlock(int64_t index) {
    if (!listed_) return 0;
    std::lock_guard guard(cacheMutex_);
    return ensureBlock(index).length;
}

const uint8_t* TLN_DecompFileStream::CurrentBlockData() const {
    if (!cache_) return nullptr;
    std::lock_guard guard(cacheMutex_);
    const BlockCache::Block* current = cache_->Current();
    return current ? current->data.get() : nullptr;
}

std::vector<int64_t> TLN_DecompFileStream::SuspectBlocks() const {
    std::lock_guard guard(cacheMutex_);
    return suspectBlocks_;
}

const BlockCache::Block& TLN_DecompFileStream::ensureBlock(int64_t block) {
    if (const BlockCache::Block* held = cache_->Find(block)) return *held;
    std::unique_ptr<uint8_t[]> data = cache_->Claim();
    const int64_t length = decodeBlock(block, data.get());
    // Only a block that decoded completely is recorded as held.
    return cache_->Keep(block, std::move(data), length);
}

int64_t TLN_DecompFileStream::decodeBlock(int64_t block, uint8_t* destination) {
    const auto missing = [&] {
        return ECompressionError("Compressed block " + std::to_string(block) + " of " + fileName_ +
                                 " is not in the list");
    };
    // Block numbers beyond any file are refused before the size arithmetic below can overflow.
    if (block < 0 || block > (int64_t(1) << 40)) throw missing();
    // gzip and zlib output stops at the file size.
    const int64_t limit = std::clamp<int64_t>(fileSize_ - block * blockSize, 0, blockSize);
    int64_t offset = -1;
    int64_t size = 0;
    if (decodedType_ == CompressionType::Zlib) {
        if (block < 0 || block >= int64_t(blockOffsets_.size())) throw missing();
        offset = blockOffsets_[size_t(block)];
        const int64_t end =
            size_t(block) + 1 < blockOffsets_.size() ? blockOffsets_[size_t(block) + 1] : dataSize_;
        const int64_t length = end - offset;
        if (length == 0) throw ECompressionError("Zlib error");
        if (length < blockSize) {
            size = length;
        } else if (length > blockSize &&
                   std::find(suspectBlocks_.begin(), suspectBlocks_.end(), block) == suspectBlocks_.end()) {
            // Read as stored and cut at 65536 bytes, but remembered as suspect.
            suspectBlocks_.push_back(block);
        }
    } else {
        TLN_Block_Info info;
        list_->GetBlockInfo(entry_, block, info);
        if (info.offset < 0) throw missing();
        offset = info.offset;
        size = info.size;
        if (decodedType_ == CompressionType::GzipSegmented) {
            // The compressed size precedes the block.
            uint8_t field[2];
            if (readData(offset, field, 2) != 2) throw missing();
            size = BeCursor(field, sizeof field).u16(0);
            offset += 2;
        }
    }
    if (size == 0) {
        const int64_t stored = std::clamp<int64_t>(dataSize_ - offset, 0, blockSize);
        return readData(offset, destination, stored);
    }
    uint8_t* compressed = scratch(size_t(size));
    const int64_t got = std::max<int64_t>(0, readData(offset, compressed, size));
    switch (decodedType_) {
    case CompressionType::BytePair:
        return int64_t(bpe_.Decode(compressed, size_t(got), destination, size_t(blockSize)));
    case CompressionType::Zlib:
        return limit == 0
                   ? 0
                   : int64_t(inflater_.Uncompress(compressed, size_t(got), destination, size_t(limit)));
    default:
        return limit == 0 ? 0
                          : int64_t(inflater_.Gunzip(compressed, size_t(got), destination, size_t(limit)));
    }
}
