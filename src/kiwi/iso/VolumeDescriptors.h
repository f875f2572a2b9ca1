// The ISO 9660 volume descriptors the image reader keeps: boot record, primary and supplementary.
#pragma once

#include <array>
#include <cstdint>

#include "kiwi/iso/DataTree.h"

using TVolumeDescriptorBytes = std::array<uint8_t, 2048>;

// A descriptor's 2048 bytes, unchanged (ISO 9660 layout).
class TVolumeDescriptor {
public:
    virtual ~TVolumeDescriptor() = default;
    const TVolumeDescriptorBytes& Data() const { return data_; }
    uint8_t DescriptorType() const { return data_[0]; }

protected:
    // From a sector read from an image; raises EVDWrongDescriptorType "Descriptor type mismatch"
    // when byte 0 is not the expected type.
    TVolumeDescriptor(const TVolumeDescriptorBytes& data, uint8_t expectedType);
    // A new descriptor: all bytes 0, then the type, "CD001" and version 1.
    explicit TVolumeDescriptor(uint8_t type);
    TVolumeDescriptorBytes data_{};
};

class TBootRecordVolumeDescriptor : public TVolumeDescriptor {
public:
    static constexpr uint8_t Type = 0;
    TBootRecordVolumeDescriptor();
    explicit TBootRecordVolumeDescriptor(const TVolumeDescriptorBytes& data);
};

// Primary and supplementary descriptors share the layout that holds the root directory record.
class TDirectoryVolumeDescriptor : public TVolumeDescriptor {
public:
    // The root directory record: bytes 156..188.
    TDirectoryRecordHeader RootDirectoryRecord() const;

protected:
    using TVolumeDescriptor::TVolumeDescriptor;
    // Volume set size 1 and file structure version 1, for new descriptors.
    void InitialiseNew();
};

class TPrimaryVolumeDescriptor : public TDirectoryVolumeDescriptor {
public:
    static constexpr uint8_t Type = 1;
    TPrimaryVolumeDescriptor();
    explicit TPrimaryVolumeDescriptor(const TVolumeDescriptorBytes& data);
};

class TSupplementaryVolumeDescriptor : public TDirectoryVolumeDescriptor {
public:
    static constexpr uint8_t Type = 2;
    TSupplementaryVolumeDescriptor();
    explicit TSupplementaryVolumeDescriptor(const TVolumeDescriptorBytes& data);
};
