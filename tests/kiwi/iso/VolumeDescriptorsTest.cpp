// Volume descriptors: type checks on reading and the fields of new descriptors.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "kiwi/iso/ISOException.h"
#include "kiwi/iso/VolumeDescriptors.h"

using testing::StrEq;
using testing::ThrowsMessage;

TEST(VolumeDescriptors, ReadingChecksTheDescriptorType) {
    TVolumeDescriptorBytes bytes{};
    bytes[0] = 2;
    EXPECT_NO_THROW(TSupplementaryVolumeDescriptor{bytes});
    EXPECT_THAT([&] { TPrimaryVolumeDescriptor{bytes}; },
                ThrowsMessage<EVDWrongDescriptorType>(StrEq("Descriptor type mismatch")));
    EXPECT_THROW(TBootRecordVolumeDescriptor{bytes}, EVolumeDescriptorException);
    bytes[0] = 1;
    bytes[156] = 34;
    bytes[158] = 20;   // root extent, little-endian half
    bytes[167] = 0x08; // root length 2048, little-endian half
    const TPrimaryVolumeDescriptor primary(bytes);
    EXPECT_EQ(primary.Data(), bytes);
    EXPECT_EQ(DirectoryRecordExtent(primary.RootDirectoryRecord()), 20u);
    EXPECT_EQ(DirectoryRecordDataLength(primary.RootDirectoryRecord()), 2048u);
}

TEST(VolumeDescriptors, NewDescriptorsCarryTheirFixedFields) {
    const TPrimaryVolumeDescriptor primary;
    const TSupplementaryVolumeDescriptor supplementary;
    const TBootRecordVolumeDescriptor boot;
    for (const TVolumeDescriptor* d :
         std::initializer_list<const TVolumeDescriptor*>{&primary, &supplementary, &boot}) {
        EXPECT_EQ(std::memcmp(&d->Data()[1], "CD001", 5), 0);
        EXPECT_EQ(d->Data()[6], 1);
    }
    EXPECT_EQ(primary.DescriptorType(), 1);
    EXPECT_EQ(supplementary.DescriptorType(), 2);
    EXPECT_EQ(boot.DescriptorType(), 0);
    for (const TVolumeDescriptor* d :
         std::initializer_list<const TVolumeDescriptor*>{&primary, &supplementary}) {
        EXPECT_EQ(d->Data()[120], 1); // volume set size, both byte orders
        EXPECT_EQ(d->Data()[123], 1);
        EXPECT_EQ(d->Data()[881], 1); // file structure version
    }
    EXPECT_EQ(boot.Data()[120], 0);
    EXPECT_EQ(boot.Data()[881], 0);
}
