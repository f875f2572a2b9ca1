// CMP lists: lookup, enumeration, block tables (plain and segmented) and in-place writing.
#include "kiwi/cmp/CompressionManager.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "kiwi/cmp/CmpFileAccess.h"
#include "kiwi/core/BeCursor.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/HandleStream.h"
#include "kiwi/io/WholeRead.h"

namespace {
// A block table never needs more blocks than a 4 GiB file has.
constexpr uint32_t maxBlocks = 65536;

std::string withSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool statFile(const std::string& path, struct stat& st) {
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Runs a read under the optional lock.
template <typename F> auto underLock(std::mutex* lock, F&& read) {
    if (!lock) return read();
    std::lock_guard guard(*lock);
    return read();
}
} // namespace

TLN_CompressionManager::TLN_CompressionManager(const std::string& listPath) : listFileName_(listPath) {
    try {
        load();
    } catch (const KiwiError& error) {
        fail(error);
        list_.reset();
        listStream_.reset();
    }
}

TLN_CompressionManager::TLN_CompressionManager(const std::string& listPath,
                                               std::shared_ptr<TLN_Stream> listStream)
    : listFileName_(listPath), listStream_(std::move(listStream)), givenStream_(true) {
    kind_ = cmpListKindOf(listFileName_);
    if (kind_ == CmpListKind::None || !listStream_) return;
    try {
        list_ = parseCmpList(*listStream_, kind_);
        valid_ = list_->valid;
    } catch (const KiwiError& error) {
        fail(error);
        list_.reset();
    }
}

TLN_CompressionManager::~TLN_CompressionManager() = default;

std::unique_ptr<TLN_CompressionManager> TLN_CompressionManager::Share() const {
    auto copy = std::make_unique<TLN_CompressionManager>(listFileName_, nullptr);
    copy->kind_ = kind_;
    copy->valid_ = valid_;
    copy->listStream_ = listStream_;
    copy->list_ = list_;
    copy->lock_ = lock_;
    return copy;
}

void TLN_CompressionManager::load() {
    valid_ = false;
    list_.reset();
    kind_ = cmpListKindOf(listFileName_);
    if (kind_ == CmpListKind::None) return;
    struct stat st {};
    const bool exists = cmpImageMounted() ? cmpImageFileExists(listFileName_) : statFile(listFileName_, st);
    if (!exists) return;
    if (!listStream_) listStream_ = cmpOpenFile(listFileName_);
    int64_t modified = 0, size = 0;
    const std::string identity = cacheIdentity(modified, size);
    list_ = CmpListCache::instance().find(identity, modified, size);
    if (!list_) {
        list_ = parseCmpList(*listStream_, kind_);
        CmpListCache::instance().store(identity, modified, size, list_);
    }
    valid_ = list_->valid;
}

std::string TLN_CompressionManager::cacheIdentity(int64_t& modified, int64_t& size) {
    struct stat st {};
    if (cmpImageMounted()) {
        const std::string image = cmpImageFileName();
        modified = ::stat(image.c_str(), &st) == 0
                       ? int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec
                       : 0;
        size = listStream_->Size();
        return "image:" + image + "|" + upperAscii(withSlashes(listFileName_));
    }
    if (::stat(listFileName_.c_str(), &st) == 0) {
        modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        size = int64_t(st.st_size);
    }
    return "file:" + listFileName_;
}

std::string TLN_CompressionManager::lookupKey(const std::string& fileName) const {
    const std::string name = withSlashes(fileName);
    std::string folder = withSlashes(folderPart(listFileName_));
    if (folder.empty()) {
        // A list at the image root (or in the working folder): the path itself is the key.
        const size_t first = name.find_first_not_of('/');
        return first == std::string::npos ? std::string() : upperAscii(name.substr(first));
    }
    if (folder.back() != '/') folder += '/';
    // Folders compare without regard to case; a file outside the list's folder is not listed by it.
    if (name.size() <= folder.size() || !equalsIgnoreCase(name.substr(0, folder.size()), folder)) return {};
    return upperAscii(name.substr(folder.size()));
}

bool TLN_CompressionManager::FindEntry(const std::string& fileName, TLN_Compression_Record& record) {
    record = TLN_Compression_Record{};
    refusedEntry_.clear();
    if (!valid_ || !list_) return false;
    const std::string key = lookupKey(fileName);
    if (key.empty()) return false;
    if (kind_ == CmpListKind::List13) {
        for (const CmpListEntry& entry : list_->entries) {
            // Either may be a prefix of the other; an empty name matches nothing.
            if (entry.name.empty()) continue;
            const size_t common = std::min(key.size(), entry.name.size());
            if (upperAscii(entry.name.substr(0, common)) == key.substr(0, common)) {
                fillEntry(entry, record, kind_ == CmpListKind::List13);
                return true;
            }
        }
        return false;
    }
    const auto it = list_->byName.find(key);
    if (it == list_->byName.end()) return false;
    fillEntry(list_->entries[it->second], record, false);
    if (!record.tableValid) refusedEntry_ = record.tableError;
    if (record.compressionType == CompressionType::None || !record.tableValid) {
        // Not compressed, or a table that cannot be trusted (RefusedEntry says why).
        const int64_t position = record.entryPosition;
        const std::string name = record.name;
        const auto path = record.relativePath;
        record = TLN_Compression_Record{};
        record.entryPosition = position;
        record.name = name;
        record.nameLength = uint16_t(name.size());
        record.relativePath = path;
        return false;
    }
    return true;
}

void TLN_CompressionManager::fillEntry(const CmpListEntry& entry, TLN_Compression_Record& record,
                                       bool describedByDataFile) {
    record = TLN_Compression_Record{};
    record.entryPosition = entry.entryPosition;
    record.tablePosition = entry.tablePosition;
    record.compressionType = entry.compressionType;
    record.nameLength = entry.nameLength;
    record.name = entry.name;
    record.relativePath = safeRelativePath(entry.name);
    if (describedByDataFile) {
        // The blocks are described by the data file's own header.
        record.tableValid = true;
        return;
    }
    // An uncompressed entry has no table to damage.
    record.tableValid = record.compressionType == CompressionType::None || fillFromTable(record);
}

bool TLN_CompressionManager::fillFromTable(TLN_Compression_Record& record) {
    const int64_t listSize = list_ ? list_->listSize : listStream_->Size();
    const int64_t table = record.tablePosition;
    uint8_t header[16] = {};
    const int64_t got = underLock(lock_, [&] { return bounded::readInto(*listStream_, table, header, 16); });
    const std::string what = "the block table of " + record.name;
    // The table's bytes past the end of the list: what is there of them.
    const auto cut = [&](int64_t needed) {
        record.tableError = ShortReadText(whole::Shortfall(*listStream_, what, table, needed,
                                                           std::clamp<int64_t>(listSize - table, 0, needed)));
        return false;
    };
    const auto tooMany = [&] {
        record.tableError = what + " counts " + std::to_string(record.blockCount) + " blocks, more than " +
                            std::to_string(maxBlocks);
        return false;
    };
    if (got < 12) return cut(12);
    record.tag = std::string(reinterpret_cast<const char*>(header), 4);
    record.tag = record.tag.substr(0, record.tag.find('\0'));
    const BeCursor fields(header, sizeof header);
    record.blockCount = fields.u32(4);
    record.fileSize = int64_t(fields.u32(8));
    const int64_t left = listSize - table;
    const int64_t count = record.blockCount;
    if (record.compressionType == CompressionType::BytePair ||
        record.compressionType == CompressionType::Gzip) {
        if (count > maxBlocks) return tooMany();
        return 12 + 6 * count <= left || cut(12 + 6 * count);
    }
    if (CompressionType::isSegmented(record.compressionType)) {
        if (got < 16) return cut(16);
        const int64_t segments = fields.u32(12);
        if (count > maxBlocks) return tooMany();
        return 16 + 8 * segments + 2 * count <= left || cut(16 + 8 * segments + 2 * count);
    }
    return true;
}

int64_t TLN_CompressionManager::ReadEntry(int64_t position, TLN_Compression_Record& record) {
    record = TLN_Compression_Record{};
    if (!listStream_ || position < 0) return -1;
    const int64_t listSize = list_ ? list_->listSize : listStream_->Size();
    uint8_t header[8];
    if (position > listSize - 8 || bounded::readInto(*listStream_, position, header, 8) != 8) return -1;
    CmpListEntry entry;
    entry.entryPosition = position;
    const BeCursor fields(header, sizeof header);
    entry.tablePosition = int64_t(fields.u32(0));
    entry.compressionType = fields.u16(4);
    entry.nameLength = fields.u16(6);
    if (position + 8 + entry.nameLength > listSize) return -1;
    std::string name(entry.nameLength, '\0');
    if (bounded::readInto(*listStream_, position + 8, name.data(), entry.nameLength) != entry.nameLength)
        return -1;
    entry.name = name.substr(0, name.find('\0'));
    fillEntry(entry, record, false);
    return position + 8 + entry.nameLength + (entry.nameLength & 1);
}

std::vector<TLN_Compression_Record> TLN_CompressionManager::Entries() {
    std::vector<TLN_Compression_Record> records;
    if (!list_) return records;
    records.reserve(list_->entries.size());
    for (const CmpListEntry& entry : list_->entries) {
        TLN_Compression_Record record;
        fillEntry(entry, record, kind_ == CmpListKind::List13);
        records.push_back(std::move(record));
    }
    return records;
}

void TLN_CompressionManager::LoadBlockTable(const TLN_Compression_Record& record) {
    if (record.entryPosition == loadedEntry_ && loadedEntry_ >= 0) return;
    sectors_.clear();
    sizes_.clear();
    loadedEntry_ = record.entryPosition;
    if (!listStream_ || kind_ == CmpListKind::List13) return;
    // The counts are taken from the list again, not from the caller's record, and checked before use.
    TLN_Compression_Record checked = record;
    if (!fillFromTable(checked)) return;
    const int64_t table = record.tablePosition;
    const size_t count = checked.blockCount;
    std::vector<uint8_t> bytes;
    if (checked.compressionType == CompressionType::BytePair ||
        checked.compressionType == CompressionType::Gzip) {
        bytes.resize(6 * count);
        const int64_t got = underLock(lock_, [&] {
            return bounded::readInto(*listStream_, table + 12, bytes.data(), int64_t(bytes.size()));
        });
        if (got != int64_t(bytes.size())) return;
        sectors_.resize(count);
        sizes_.resize(count);
        const BeCursor entries(bytes.data(), bytes.size());
        for (size_t i = 0; i < count; ++i) {
            sectors_[i] = entries.u32(4 * int64_t(i));
            sizes_[i] = entries.u16(4 * int64_t(count) + 2 * int64_t(i));
        }
        return;
    }
    if (!CompressionType::isSegmented(checked.compressionType)) return;
    uint8_t segmentField[4];
    if (underLock(lock_, [&] { return bounded::readInto(*listStream_, table + 12, segmentField, 4); }) != 4)
        return;
    const int64_t segments = BeCursor(segmentField, sizeof segmentField).u32(0);
    // Segments past the block count can never become current.
    const size_t usedSegments = size_t(std::min<int64_t>(segments, int64_t(count) + 1));
    std::vector<uint8_t> segmentBytes(8 * usedSegments);
    bytes.resize(2 * count);
    const bool complete = underLock(lock_, [&] {
        return bounded::readInto(*listStream_, table + 16, segmentBytes.data(),
                                 int64_t(segmentBytes.size())) == int64_t(segmentBytes.size()) &&
               bounded::readInto(*listStream_, table + 16 + 8 * segments, bytes.data(),
                                 int64_t(bytes.size())) == int64_t(bytes.size());
    });
    if (!complete) return;
    sectors_.resize(count);
    sizes_.assign(count, 0);
    size_t current = 0;
    const BeCursor offsets(bytes.data(), bytes.size());
    const BeCursor segmentTable(segmentBytes.data(), segmentBytes.size());
    for (size_t i = 0; i < count; ++i) {
        const uint16_t offset = offsets.u16(2 * int64_t(i));
        // The next segment starts at a block whose offset is 0 and whose index is that segment's first.
        if (offset == 0 && current + 1 < usedSegments && segmentTable.u32(8 * int64_t(current + 1)) == i)
            ++current;
        const uint64_t base = usedSegments ? segmentTable.u32(8 * int64_t(current) + 4) : 0;
        sectors_[i] = base + offset;
    }
}

void TLN_CompressionManager::GetBlockInfo(const TLN_Compression_Record& record, int64_t blockIndex,
                                          TLN_Block_Info& info) {
    if (record.entryPosition != loadedEntry_ || loadedEntry_ < 0) LoadBlockTable(record);
    info = TLN_Block_Info{};
    if (blockIndex < 0 || uint64_t(blockIndex) >= sectors_.size()) return;
    info.offset = int64_t(sectors_[size_t(blockIndex)] * 2048);
    info.size = sizes_[size_t(blockIndex)];
}

bool TLN_CompressionManager::OpenForWriting() {
    if (!valid_ || givenStream_ || cmpImageMounted()) return false;
    const int fd = ::open(listFileName_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    writeStream_ = std::make_unique<TLN_HandleStream>(fd, listFileName_);
    return true;
}

void TLN_CompressionManager::CloseWriting() {
    if (!writeStream_) return;
    writeStream_.reset();
    int64_t modified = 0, size = 0;
    CmpListCache::instance().forget(cacheIdentity(modified, size));
    loadedEntry_ = -1;
    sectors_.clear();
    sizes_.clear();
    try {
        load();
    } catch (const KiwiError& error) {
        fail(error);
    }
}
