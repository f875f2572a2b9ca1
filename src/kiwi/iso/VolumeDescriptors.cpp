// ISO 9660 volume descriptors: type checks on reading and the fixed fields of new descriptors.
#include "kiwi/iso/VolumeDescriptors.h"

#include <cstring>

#include "kiwi/iso/ISOException.h"

TVolumeDescriptor::TVolumeDescriptor(const TVolumeDescriptorBytes& data, uint8_t expectedType) : data_(data) {
    if (data_[0] != expectedType) throw EVDWrongDescriptorType("Descriptor type mismatch");
}

TVolumeDescriptor::TVolumeDescriptor(uint8_t type) {
    data_[0] = type;
    std::memcpy(&data_[1], "CD001", 5);
    data_[6] = 1; // descriptor version
}

TBootRecordVolumeDescriptor::TBootRecordVolumeDescriptor() : TVolumeDescriptor(Type) {}
TBootRecordVolumeDescriptor::TBootRecordVolumeDescriptor(const TVolumeDescriptorBytes& data)
    : TVolumeDescriptor(data, Type) {}

TDirectoryRecordHeader TDirectoryVolumeDescriptor::RootDirectoryRecord() const {
    TDirectoryRecordHeader header{};
    std::memcpy(header.data(), &data_[156], header.size());
    return header;
}

void TDirectoryVolumeDescriptor::InitialiseNew() {
    // Volume set size: both-byte-order u16 at 120 (little-endian) and 122 (big-endian).
    data_[120] = 1;
    data_[123] = 1;
    data_[881] = 1; // file structure version
}

TPrimaryVolumeDescriptor::TPrimaryVolumeDescriptor() : TDirectoryVolumeDescriptor(Type) {
    InitialiseNew();
}
TPrimaryVolumeDescriptor::TPrimaryVolumeDescriptor(const TVolumeDescriptorBytes& data)
    : TDirectoryVolumeDescriptor(data, Type) {}

TSupplementaryVolumeDescriptor::TSupplementaryVolumeDescriptor() : TDirectoryVolumeDescriptor(Type) {
    InitialiseNew();
}
TSupplementaryVolumeDescriptor::TSupplementaryVolumeDescriptor(const TVolumeDescriptorBytes& data)
    : TDirectoryVolumeDescriptor(data, Type) {}
