// Sector layouts of image files: detection, sector arithmetic, bounded and zero-filled sector reads.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>

#include "kiwi/iso/ISOException.h"
#include "kiwi/iso/ImageFileHandler.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "support/fixtures/IsoWriter.h"

using fixture::IsoLayout;
using testing::StrEq;
using testing::ThrowsMessage;

namespace {
// Descriptors at 16 and 17, an empty root at 18, a data sector at 19 marked with its own number.
std::vector<uint8_t> smallImage() {
    fixture::IsoWriter iso(20);
    iso.primary(16, 18, 2048);
    iso.terminator(17);
    iso.directory(18, 18, 2048, {});
    iso.data(19, fixture::patternBytes(2048, 19));
    return iso.bytes();
}

std::string writeImage(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = fixture::scratchDir("image-handler") + "/" + name;
    fixture::writeFile(path, bytes);
    return path;
}

struct LayoutCase {
    IsoLayout layout;
    TImageFileHandler::ImageFormat format;
    TImageFileHandler::YellowBookMode mode;
    int64_t offset;
    int dataSize;
    int64_t userDataOffset;
    int64_t sector19Offset;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << fixture::layoutName(c.layout);
}

class HandlerLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(HandlerLayout, DetectsLayoutAndReadsSectorData) {
    const LayoutCase& c = GetParam();
    const auto plain = smallImage();
    TImageFileHandler handler;
    handler.Create(writeImage("layout.img", fixture::wrapIsoImage(plain, c.layout)));
    EXPECT_EQ(handler.Format(), c.format);
    EXPECT_EQ(handler.Mode(), c.mode);
    EXPECT_EQ(handler.ImageOffset(), c.offset);
    EXPECT_EQ(handler.GetSectorDataSize(), c.dataSize);
    EXPECT_EQ(handler.CalcUserDataOffset(), c.userDataOffset);
    EXPECT_EQ(handler.CalcSectorOffset(19), c.sector19Offset);
    EXPECT_EQ(handler.CurrentSector(), 0u);

    std::vector<uint8_t> sector(size_t(c.dataSize));
    ASSERT_TRUE(handler.ReadSectorDataAt(19, sector.data(), int64_t(sector.size())));
    EXPECT_TRUE(std::equal(sector.begin(), sector.begin() + 2048, plain.begin() + 19 * 2048));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, HandlerLayout,
    testing::Values(LayoutCase{IsoLayout::Plain, TImageFileHandler::FormatSectorData,
                               TImageFileHandler::Mode1, 0, 2048, 0, 19 * 2048},
                    LayoutCase{IsoLayout::LeadingBlock, TImageFileHandler::FormatSectorData,
                               TImageFileHandler::Mode1, 307200, 2048, 0, 307200 + 19 * 2048},
                    LayoutCase{IsoLayout::RawMode1, TImageFileHandler::FormatRaw, TImageFileHandler::Mode1, 0,
                               2048, 16, 19 * 2352},
                    LayoutCase{IsoLayout::RawMode1LeadingBlock, TImageFileHandler::FormatRaw,
                               TImageFileHandler::Mode1, 307200, 2048, 16, 307200 + 19 * 2352},
                    LayoutCase{IsoLayout::Mode2, TImageFileHandler::FormatSectorData,
                               TImageFileHandler::Mode2, 0, 2336, 0, 19 * 2336}),
    [](const auto& instance) { return std::string(fixture::layoutName(instance.param.layout)); });

TEST(ImageFileHandler, RawModeByteSelectsTheMode) {
    TImageFileHandler mode2;
    mode2.Create(writeImage("raw2.img", fixture::wrapIsoImage(smallImage(), IsoLayout::RawMode1, 2)));
    EXPECT_EQ(mode2.Format(), TImageFileHandler::FormatRaw);
    EXPECT_EQ(mode2.Mode(), TImageFileHandler::Mode2);
    EXPECT_EQ(mode2.GetSectorDataSize(), 2336);

    const std::string bad =
        writeImage("raw3.img", fixture::wrapIsoImage(smallImage(), IsoLayout::RawMode1, 3));
    EXPECT_THAT([&] { TImageFileHandler().Create(bad); },
                ThrowsMessage<EISOImageHandlerException>(StrEq("unkown Yellow Book mode!")));
}

TEST(ImageFileHandler, UnrecognisedFilesAreUnknownFormats) {
    std::vector<uint8_t> identifierOnly(32769, 0);
    identifierOnly[32768] = 1; // a descriptor type byte, but the file ends before "CD001"
    std::vector<uint8_t> truncatedRaw = fixture::wrapIsoImage(smallImage(), IsoLayout::RawMode1);
    truncatedRaw.resize(16 * 2352 + 20); // the raw identifier is cut in the middle
    const std::vector<std::vector<uint8_t>> files = {{},
                                                     std::vector<uint8_t>(1000, 0),
                                                     std::vector<uint8_t>(32768, 0),
                                                     identifierOnly,
                                                     std::vector<uint8_t>(400000, 0),
                                                     truncatedRaw};
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string path = writeImage("unknown" + std::to_string(i) + ".img", files[i]);
        EXPECT_THAT([&] { TImageFileHandler().Create(path); },
                    ThrowsMessage<EISOImageHandlerException>(StrEq("unkown image format!")))
            << "file " << i;
    }
    EXPECT_THAT([&] { TImageFileHandler().Create("/nonexistent/folder/image.iso"); },
                ThrowsMessage<EISOImageHandlerException>(StrEq("image file not found")));
}

TEST(ImageFileHandler, UndeterminedLayoutRefusesArithmetic) {
    TImageFileHandler handler;
    EXPECT_THAT(
        [&] { (void)handler.CalcSectorOffset(1); },
        ThrowsMessage<EISOImageHandlerException>(StrEq("can not calculate sector with auto settings")));
    EXPECT_THAT(
        [&] { (void)handler.CalcUserDataOffset(); },
        ThrowsMessage<EISOImageHandlerException>(StrEq("can not calculate sector offset with auto values!")));
    EXPECT_THAT(
        [&] { (void)handler.GetSectorDataSize(); },
        ThrowsMessage<EISOImageHandlerException>(StrEq("can not figure out sector data size on auto type")));
}

TEST(ImageFileHandler, CreateNewNeedsAFullLayout) {
    const std::string path = fixture::scratchDir("image-handler-new") + "/new.img";
    EXPECT_THAT(
        [&] {
            TImageFileHandler().CreateNew(path, TImageFileHandler::FormatRaw,
                                          TImageFileHandler::ModeUndetermined);
        },
        ThrowsMessage<EISOImageHandlerException>(StrEq("yellow book format has to be defined!")));
    EXPECT_THAT(
        [&] {
            TImageFileHandler().CreateNew(path, TImageFileHandler::FormatUndetermined,
                                          TImageFileHandler::Mode1);
        },
        ThrowsMessage<EISOImageHandlerException>(StrEq("image format has to be defined!")));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));

    TImageFileHandler handler;
    handler.CreateNew(path, TImageFileHandler::FormatRaw, TImageFileHandler::Mode1);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(path)));
    EXPECT_EQ(handler.ImageSize(), 0);
    EXPECT_EQ(handler.ImageOffset(), 0);
    EXPECT_EQ(handler.CalcSectorOffset(3), 3 * 2352);
}

TEST(ImageFileHandler, SeekPastTheEndRaisesUnlessAllowed) {
    TImageFileHandler handler;
    handler.Create(writeImage("seek.img", fixture::wrapIsoImage(smallImage(), IsoLayout::RawMode1)));
    handler.SeekSector(19, false); // the last sector is inside
    EXPECT_EQ(handler.CurrentSector(), 19u);
    EXPECT_THROW(handler.SeekSector(20, false), EISOImageHandlerException);
    EXPECT_EQ(handler.CurrentSector(), 19u);
    handler.SeekSector(1000, true);
    EXPECT_EQ(handler.CurrentSector(), 1000u);
}

TEST(ImageFileHandler, SequentialReadsAdvanceAndZeroFillShortSectors) {
    const auto plain = smallImage();
    auto raw = fixture::wrapIsoImage(plain, IsoLayout::RawMode1);
    raw.resize(19 * 2352 + 16 + 1000); // sector 19 keeps only 1000 of its data bytes
    TImageFileHandler handler;
    handler.Create(writeImage("short.img", raw));
    handler.SeekSector(18, true);
    std::vector<uint8_t> sector(2048, 0xEE);
    EXPECT_TRUE(handler.ReadSector_Data(sector.data(), 2048));
    EXPECT_TRUE(std::equal(sector.begin(), sector.end(), plain.begin() + 18 * 2048));
    EXPECT_EQ(handler.CurrentSector(), 19u);

    std::fill(sector.begin(), sector.end(), 0xEE);
    EXPECT_FALSE(handler.ReadSector_Data(sector.data(), 2048));
    EXPECT_TRUE(std::equal(sector.begin(), sector.begin() + 1000, plain.begin() + 19 * 2048));
    EXPECT_TRUE(std::all_of(sector.begin() + 1000, sector.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(handler.CurrentSector(), 20u);

    std::fill(sector.begin(), sector.end(), 0xEE);
    EXPECT_FALSE(handler.ReadSector_Data(sector.data(), 2048)); // wholly past the end
    EXPECT_TRUE(std::all_of(sector.begin(), sector.end(), [](uint8_t b) { return b == 0; }));

    EXPECT_THAT([&] { handler.ReadSector_Data(sector.data(), 2047); },
                ThrowsMessage<EISOImageHandlerException>(
                    StrEq("TImageFileHandler.ReadSector_Data(): buffer overflow protection")));
    EXPECT_THROW(handler.ReadSector_Data(sector.data(), -1), EISOImageHandlerException);
}

TEST(ImageFileHandler, RawReadsDeliverWholeStoredSectors) {
    const auto plain = smallImage();
    TImageFileHandler handler;
    handler.Create(writeImage("raw.img", fixture::wrapIsoImage(plain, IsoLayout::RawMode1)));
    handler.SeekSector(16, false);
    std::vector<uint8_t> sector(2352);
    ASSERT_TRUE(handler.ReadSector_Raw(sector.data(), 2352));
    const uint8_t sync[12] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};
    EXPECT_TRUE(std::equal(sync, sync + 12, sector.begin()));
    EXPECT_EQ(sector[15], 1);
    EXPECT_TRUE(std::equal(sector.begin() + 16, sector.begin() + 16 + 2048, plain.begin() + 16 * 2048));
    EXPECT_EQ(handler.CurrentSector(), 17u);
    EXPECT_THAT([&] { handler.ReadSector_Raw(sector.data(), 2351); },
                ThrowsMessage<EISOImageHandlerException>(
                    StrEq("TImageFileHandler.ReadSector_Raw(): buffer overflow protection")));
}

TEST(ImageFileHandler, SectorRangesAreCheckedAgainstTheFile) {
    TImageFileHandler handler;
    handler.Create(writeImage("range.img", fixture::wrapIsoImage(smallImage(), IsoLayout::LeadingBlock)));
    EXPECT_TRUE(handler.SectorsInImage(0, 20));
    EXPECT_TRUE(handler.SectorsInImage(19, 1));
    EXPECT_TRUE(handler.SectorsInImage(500, 0));
    EXPECT_FALSE(handler.SectorsInImage(19, 2));
    EXPECT_FALSE(handler.SectorsInImage(0xFFFFFFFFu, 0x200000)); // 32-bit extent plus a 4 GiB length
}
} // namespace
