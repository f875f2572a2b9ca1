// The directory tree of an ISO 9660 image: directories own their sub-directories and files.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDataTree;
class TDirectoryEntry;

// The 33-byte fixed part of an ISO 9660 directory record.
using TDirectoryRecordHeader = std::array<uint8_t, 33>;

// Extent location (first sector) and data length: the little-endian halves at record offsets 2 and 10.
uint32_t DirectoryRecordExtent(const TDirectoryRecordHeader& header);
uint32_t DirectoryRecordDataLength(const TDirectoryRecordHeader& header);

class TFileEntry {
public:
    // A file entry created for a directory adds itself to it (the directory owns it).
    static TFileEntry* Create(TDirectoryEntry* directory, const std::string& name,
                              const TDirectoryRecordHeader& header);

    TDirectoryEntry* Directory() const { return directory_; }
    const std::string& Name() const { return name_; }
    const TDirectoryRecordHeader& Header() const { return header_; }
    uint32_t ExtentLocation() const { return DirectoryRecordExtent(header_); }
    uint32_t DataLength() const { return DirectoryRecordDataLength(header_); }
    uint8_t Flags[2] = {0, 0};

    // The folder names from below the root down to the entry's folder, each followed by "\".
    std::string GetDirectoryPath() const;

private:
    friend class TDirectoryEntry;
    TFileEntry(TDirectoryEntry* directory, std::string name, const TDirectoryRecordHeader& header)
        : directory_(directory), name_(std::move(name)), header_(header) {}
    TDirectoryEntry* directory_;
    std::string name_;
    TDirectoryRecordHeader header_;
    bool listed_ = false; // owned by its directory's list
};

class TDirectoryEntry {
public:
    TDirectoryEntry(TDataTree* tree, TDirectoryEntry* parent, std::string name,
                    const TDirectoryRecordHeader& header);
    // A directory created with a parent adds itself to that parent, which then owns it.
    static TDirectoryEntry* Create(TDataTree* tree, TDirectoryEntry* parent, const std::string& name,
                                   const TDirectoryRecordHeader& header);

    // Raise EISOLibContainerException when the entry is already listed here or under another parent.
    void AddDirectory(std::unique_ptr<TDirectoryEntry> entry);
    void AddFile(std::unique_ptr<TFileEntry> entry);

    int DirectoryCount() const { return int(directories_.size()); }
    TDirectoryEntry* GetDirectory(int index) const { return directories_.at(size_t(index)).get(); }
    int FileCount() const { return int(files_.size()); }
    TFileEntry* GetFile(int index) const { return files_.at(size_t(index)).get(); }

    TDataTree* Tree() const { return tree_; }
    TDirectoryEntry* Parent() const { return parent_; }
    const std::string& Name() const { return name_; }
    const TDirectoryRecordHeader& Header() const { return header_; }
    uint32_t ExtentLocation() const { return DirectoryRecordExtent(header_); }
    uint32_t DataLength() const { return DirectoryRecordDataLength(header_); }
    uint8_t Flags[2] = {0, 0};

private:
    TDataTree* tree_;
    TDirectoryEntry* parent_;
    std::string name_;
    TDirectoryRecordHeader header_;
    bool listed_ = false; // owned by its parent's list
    std::vector<std::unique_ptr<TDirectoryEntry>> directories_;
    std::vector<std::unique_ptr<TFileEntry>> files_;
};

class TDataTree {
public:
    TDataTree();
    TDirectoryEntry* Root() const { return root_.get(); }

private:
    std::unique_ptr<TDirectoryEntry> root_;
};
