// Directory tree of an ISO image.
#include "kiwi/iso/DataTree.h"

#include <algorithm>

#include "kiwi/iso/ISOException.h"

namespace {
uint32_t le32(const TDirectoryRecordHeader& h, size_t at) {
    return uint32_t(h[at]) | uint32_t(h[at + 1]) << 8 | uint32_t(h[at + 2]) << 16 | uint32_t(h[at + 3]) << 24;
}
} // namespace

uint32_t DirectoryRecordExtent(const TDirectoryRecordHeader& header) {
    return le32(header, 2);
}
uint32_t DirectoryRecordDataLength(const TDirectoryRecordHeader& header) {
    return le32(header, 10);
}

TFileEntry* TFileEntry::Create(TDirectoryEntry* directory, const std::string& name,
                               const TDirectoryRecordHeader& header) {
    std::unique_ptr<TFileEntry> entry(new TFileEntry(directory, name, header));
    TFileEntry* raw = entry.get();
    directory->AddFile(std::move(entry));
    return raw;
}

std::string TFileEntry::GetDirectoryPath() const {
    std::vector<const TDirectoryEntry*> chain;
    for (const TDirectoryEntry* d = directory_; d && d->Parent(); d = d->Parent())
        chain.push_back(d);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        path += (*it)->Name() + "\\";
    return path;
}

TDirectoryEntry::TDirectoryEntry(TDataTree* tree, TDirectoryEntry* parent, std::string name,
                                 const TDirectoryRecordHeader& header)
    : tree_(tree), parent_(parent), name_(std::move(name)), header_(header) {}

TDirectoryEntry* TDirectoryEntry::Create(TDataTree* tree, TDirectoryEntry* parent, const std::string& name,
                                         const TDirectoryRecordHeader& header) {
    auto entry = std::make_unique<TDirectoryEntry>(tree, parent, name, header);
    TDirectoryEntry* raw = entry.get();
    if (parent)
        parent->AddDirectory(std::move(entry));
    else
        entry.release(); // a parentless directory is the caller's to own (the tree's root)
    return raw;
}

void TDirectoryEntry::AddDirectory(std::unique_ptr<TDirectoryEntry> entry) {
    // The listed flag keeps the check constant-time: a directory may hold a million entries.
    if (entry->listed_ && entry->parent_ == this) {
        (void)entry.release();
        throw EISOLibContainerException("directory entry already added");
    }
    if (entry->parent_ && entry->parent_ != this) {
        (void)entry.release();
        throw EISOLibContainerException("directory entry already added - use MoveDirTo() instead!");
    }
    entry->parent_ = this;
    entry->listed_ = true;
    directories_.push_back(std::move(entry));
}

void TDirectoryEntry::AddFile(std::unique_ptr<TFileEntry> entry) {
    if (entry->listed_ && entry->directory_ == this) {
        (void)entry.release();
        throw EISOLibContainerException("file entry already added");
    }
    if (entry->directory_ && entry->directory_ != this) {
        (void)entry.release();
        throw EISOLibContainerException("file entry already listed in different directory");
    }
    entry->directory_ = this;
    entry->listed_ = true;
    files_.push_back(std::move(entry));
}

TDataTree::TDataTree()
    : root_(std::make_unique<TDirectoryEntry>(this, nullptr, "", TDirectoryRecordHeader{})) {}
