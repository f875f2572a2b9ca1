// Big-endian readers and writers, unit conversions and parcel number matching of the byte-level model.
#include <gtest/gtest.h>

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/core/MapCodePage.h"
#include "kiwi/io/BigEndianIO.h"
#include "kiwi/io/HandleStream.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/io/WholeRead.h"
#include "kiwi/map/ParcelNumber.h"
#include "support/fixtures/FixtureWriter.h"

namespace {
TLN_MemoryStream memory(const std::vector<uint8_t>& bytes) {
    return TLN_MemoryStream(bytes);
}
constexpr int64_t k32GiB = int64_t(1) << 35;
} // namespace

TEST(BigEndianRead, ValuesAreMostSignificantFirst) {
    auto s = memory({0x12, 0x34, 0x56, 0x78, 0x9A});
    EXPECT_EQ(ReadByteAt(s, 4), 0x9A);
    EXPECT_EQ(ReadWordBE(s, 0), 0x1234);
    EXPECT_EQ(ReadDWordBE(s, 1), 0x3456789Au);
}

TEST(BigEndianRead, PartialReadsGiveTheDeliveredBytesAsMostSignificant) {
    const std::vector<uint8_t> bytes{0x12, 0x34, 0x56};
    auto s = memory(bytes);
    const std::string path = fixture::scratchDir("be-partial") + "/three.bin";
    fixture::writeFile(path, bytes);
    auto file = TLN_HandleStream::OpenForReading(path);
    for (TLN_Stream* stream : {static_cast<TLN_Stream*>(&s), static_cast<TLN_Stream*>(file.get())}) {
        EXPECT_EQ(ReadDWordBE(*stream, 0), 0x12345600u);
        EXPECT_EQ(ReadDWordBE(*stream, 2), 0x56000000u);
        EXPECT_EQ(ReadDWordBE(*stream, 3), 0u);
        EXPECT_EQ(ReadWordBE(*stream, 2), 0x5600);
        EXPECT_EQ(ReadWordBE(*stream, 1000), 0);
        EXPECT_EQ(ReadByteAt(*stream, 3), 0);
        EXPECT_EQ(ReadDWordBE(*stream, -1), 0u);
        EXPECT_EQ(ReadFixedString(*stream, 1, 8), "\x34\x56");
    }
}

TEST(BigEndianRead, WholeReadsNameTheFileThePlaceAndWhatWasShort) {
    TLN_MemoryStream stream(std::vector<uint8_t>(10, 1), "/disc/PARAMDAT.KWI");
    uint8_t buffer[8] = {};
    try {
        whole::ReadExactly(stream, 6, buffer, 8, "the parameter header");
        FAIL();
    } catch (const EShortRead& error) {
        EXPECT_STREQ(error.what(),
                     "PARAMDAT.KWI, byte 6: the parameter header, the file holds 4 of its 8 bytes");
        EXPECT_EQ(error.Facts().held, 4);
    }
    EXPECT_THROW(whole::ReadBytes(stream, 11, 2, "x"), EShortRead);
    EXPECT_EQ(whole::ReadBytes(stream, 8, 2, "x").size(), 2u);
    const whole::Counted counted = whole::CountRecords(stream, "Number of Records", 3, 4, 8, 10);
    EXPECT_EQ(counted.readable, 0);
    EXPECT_EQ(counted.reason.English(),
              "PARAMDAT.KWI, byte 4: Number of Records 3, the file holds 6 of their 24 bytes");
    EXPECT_TRUE(whole::CountRecords(stream, "n", 2, 2, 4, 10).Whole());
}

TEST(BigEndianRead, KiwiAddresses) {
    auto s = memory(fixture::ByteWriter().u32(0x211).u32(0xFFFFFFFF).u32(0xFF).u32(0xFFFFFFFE).take());
    EXPECT_EQ(ReadKiwiAddress(s, 0), 0x1220);
    EXPECT_EQ(ReadKiwiAddress(s, 4), -1);
    EXPECT_EQ(ReadKiwiAddress(s, 8), 2016);
    EXPECT_EQ(ReadKiwiAddress(s, 12), int64_t(0xFFFFFF) * 2048 + 62 * 32);
}

TEST(BigEndianRead, CoordinatesAreSignMagnitudeInTheFirstThreeBytes) {
    struct Case {
        std::vector<uint8_t> field;
        int32_t value;
    };
    const Case cases[] = {
        {{0x80, 0x00, 0x01, 0xAB}, -1},
        {{0x00, 0x00, 0x00, 0xFF}, 0},
        {{0x80, 0x00, 0x00, 0x5A}, 0},
        {{0x7F, 0xFF, 0xFF, 0xFF}, 0x7FFFFF},
        {{0xFF, 0xFF, 0xFF, 0x00}, -0x7FFFFF},
        {{0x18, 0x2D, 0x50, 0x01}, 1584464},
        {{0x80, 0x01}, -256}, // cut by the end of the stream: the missing byte counts as 0
    };
    for (const Case& c : cases) {
        auto s = memory(c.field);
        EXPECT_EQ(ReadInt24BE(s, 0), c.value) << c.value;
    }
}

TEST(BigEndianRead, CoordinatePairHoldsLatitudeFirst) {
    auto s = memory(fixture::ByteWriter().coordinate(1005219).coordinate(-3947658).take());
    const TLN_Point point = ReadCoordinatePair(s, 0);
    EXPECT_EQ(point.Y, 1005219);
    EXPECT_EQ(point.X, -3947658);
    // A pair cut after the latitude field: longitude 0.
    auto cut = memory(fixture::ByteWriter().coordinate(-7).u8(0x80).take());
    EXPECT_EQ(ReadCoordinatePair(cut, 0), (TLN_Point{0, -7}));
}

TEST(BigEndianRead, PointRecordsSkipByteNine) {
    fixture::ByteWriter w;
    w.coordinate(100).coordinate(-200).u8(0x7E).u8(0xCC).u16(0xBEEF).fixedText("CHUO-KU", 20);
    w.coordinate(1).coordinate(2).u8(1).u8(2).u16(3).text("ABCDEFGHIJKLMNOPQRST");
    auto s = memory(w.take());
    const TLN_NamedPointRecord first = ReadNamedPointRecord(s, 0);
    EXPECT_EQ(first.Y, 100);
    EXPECT_EQ(first.X, -200);
    EXPECT_EQ(first.ByteValue, 0x7E);
    EXPECT_EQ(first.WordValue, 0xBEEF);
    EXPECT_EQ(first.Name, "CHUO-KU");
    EXPECT_EQ(ReadNamedPointRecord(s, 32).Name, "ABCDEFGHIJKLMNOPQRST");
    const TLN_PointRecord plain = ReadPointRecord(s, 32);
    EXPECT_EQ(plain.X, 2);
    EXPECT_EQ(plain.WordValue, 3);
}

TEST(BigEndianRead, FixedStringsStopAtTheFirstNul) {
    auto s = memory({'A', 'B', 0, 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O'});
    EXPECT_EQ(ReadFixedString(s, 0, 8), "AB");
    EXPECT_EQ(ReadFixedString(s, 8, 8), "HIJKLMNO");
    EXPECT_EQ(ReadFixedString(s, 3, 8), "CDEFGHIJ");
    EXPECT_EQ(ReadFixedString(s, 0, 0), "");
}

TEST(BigEndianRead, ColourFieldSkipsByteZero) {
    auto s = memory({0xAA, 0x11, 0x22, 0x33});
    EXPECT_EQ(ReadColorRGB(s, 0), 0x00332211u);
    EXPECT_EQ(ReadBytes3(s, 0), 0x00332211u);
}

TEST(BigEndianWrite, WritesBigEndianAndFixedLengths) {
    TLN_MemoryStream s(std::vector<uint8_t>(24, 0xEE));
    WriteByteAt(s, 0x42, 0);
    WriteWordBE(s, 0x1234, 1);
    WriteDWordBE(s, IntToSignMag24(-1), 3);
    WriteFixedString(s, "ABCDE", 3, 7);
    WriteFixedString(s, "AB", 4, 11);
    WriteDWordBE(s, IntToSignMag24(-1584464), 15);
    const std::vector<uint8_t> expected{0x42, 0x12, 0x34, 0x80, 0x00, 0x01, 0x00, 'A',
                                        'B',  'C',  0xEE, 'A',  'B',  0,    0,    0x98,
                                        0x2D, 0x50, 0x00, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(s.Bytes(), expected);
    EXPECT_EQ(ReadInt24BE(s, 15), -1584464);
}

TEST(KiwiConversions, ByteSwaps) {
    EXPECT_EQ(SwapDWord(0x12345678u), 0x78563412u);
    EXPECT_EQ(SwapWord(0x12345678u), 0x12347856u);
    EXPECT_EQ(SwapWord(0x0000AABBu), 0x0000BBAAu);
}

TEST(KiwiConversions, SignMagnitude) {
    struct Case {
        uint32_t stored;
        int32_t value;
    };
    for (const Case& c : {Case{0x800001, -1}, Case{0x800000, 0}, Case{0, 0}, Case{0x7FFFFF, 0x7FFFFF},
                          Case{0xFFFFFF, -0x7FFFFF}, Case{0x000100, 256}})
        EXPECT_EQ(SignMag24ToInt(c.stored), c.value) << std::hex << c.stored;
    struct Back {
        int32_t value;
        uint32_t stored;
    };
    for (const Back& c : {Back{-1, 0x80000100u}, Back{0, 0}, Back{1, 0x100}, Back{0x7FFFFF, 0x7FFFFF00u},
                          Back{-0x7FFFFF, 0xFFFFFF00u}, Back{-1584464, 0x982D5000u}}) {
        EXPECT_EQ(IntToSignMag24(c.value), c.stored) << c.value;
        EXPECT_EQ(SignMag24ToInt(IntToSignMag24(c.value) >> 8), c.value);
    }
}

TEST(KiwiConversions, KiwiAddresses) {
    struct Case {
        int64_t position;
        uint32_t address;
    };
    const Case cases[] = {
        {0x1234, 0x211},
        {-1, 0xFFFFFFFFu},
        {0, 0},
        {31, 0},
        {2047, 63},
        {2048, 0x100},
        {int64_t(5) << 32, 0xA0000000u},
        {k32GiB - 32, 0xFFFFFF3Fu},
        {k32GiB - 1, 0xFFFFFF3Fu},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OffsetToKiwiAddress(c.position), c.address) << c.position;
    EXPECT_EQ(KiwiAddressToOffset(0x211), 0x1220);
    // Bits 7..6 are ignored: 0xFF is unit 63 of sector 0, 0x1FF the same unit of sector 1.
    EXPECT_EQ(KiwiAddressToOffset(0xFF), 2016);
    EXPECT_EQ(KiwiAddressToOffset(0x1FF), 2048 + 2016);
    EXPECT_EQ(KiwiAddressToOffset(0xFFFFFFFFu), -1);
    EXPECT_EQ(KiwiAddressToOffset(0xFFFFFF3Fu), k32GiB - 32);
    EXPECT_EQ(KiwiAddressToOffset(0xFFFFFFC0u), k32GiB - 2048);
    for (int64_t position : {int64_t(0x1220), int64_t(5) << 32, k32GiB - 32})
        EXPECT_EQ(KiwiAddressToOffset(OffsetToKiwiAddress(position)), position);
}

TEST(KiwiConversions, PositionsAt32GiBAndBeyondAreRefused) {
    for (int64_t position : {k32GiB, k32GiB + 2048, int64_t(1) << 40, int64_t(-2), INT64_MIN})
        EXPECT_THROW(OffsetToKiwiAddress(position), EConvertError) << position;
}

TEST(KiwiConversions, WordOffsetsCountInSixtyFourBits) {
    EXPECT_EQ(WordOffsetToPosition(0xFFFFFFFFu, 100), -1);
    EXPECT_EQ(WordOffsetToPosition(3, 100), 106);
    EXPECT_EQ(WordOffsetToPosition(0x80000000u, 10), (int64_t(1) << 32) + 10);
    EXPECT_EQ(WordOffsetToPosition(0xFFFFFFFEu, int64_t(1) << 33), 0x1FFFFFFFCLL + (int64_t(1) << 33));
    EXPECT_EQ(WordOffset16ToPosition(0xFFFF, 5), -1);
    EXPECT_EQ(WordOffset16ToPosition(0xFFFE, 0), 0x1FFFC);
    EXPECT_EQ(WordOffset16ToPosition(0x8000, int64_t(1) << 32), (int64_t(1) << 32) + 0x10000);
}

TEST(KiwiConversions, RectanglesAndPaths) {
    EXPECT_EQ(FlipRectVertical({1, 2, 3, 4}), (TLN_Rect{1, 4, 3, 2}));
    EXPECT_EQ(SlashToBackslash("DATA/MAP//A.KWI"), "DATA\\MAP\\\\A.KWI");
}

TEST(MapCodePage, StartUpValues) {
    EXPECT_EQ(MapTextCodePage.load(), 65001);
    EXPECT_EQ(MapAnsiCodePage.load(), 0);
}

TEST(ParcelNumber, RegularTargetComparesTheIdentityOnly) {
    const TLN_ParcelNumber b{3, 1, 2, 3, 4, 5, 6};
    TLN_ParcelNumber a = b;
    a.Kind = 1;
    a.CountX = 9;
    a.SubY = 7;
    a.PositionX = 200;
    EXPECT_TRUE(ParcelNumberMatches(a, b));
    // Each of the seven identity bytes matters.
    for (int field = 0; field < 7; ++field) {
        TLN_ParcelNumber other = a;
        ++reinterpret_cast<uint8_t*>(&other)[field];
        EXPECT_FALSE(ParcelNumberMatches(other, b)) << field;
    }
    TLN_ParcelNumber integrated = b;
    integrated.Kind = 2;
    integrated.CountX = 2;
    integrated.SubX = 1;
    EXPECT_TRUE(ParcelNumberMatches(a, integrated));
}

TEST(ParcelNumber, DividedTargetComparesTheSubParcel) {
    // 2 columns (step 128) and 4 rows (step 64): X 200 is column 1, Y 130 is row 2.
    TLN_ParcelNumber b{1, 0, 0, 0, 0, 0, 0, 1, 2, 4, 1, 2};
    TLN_ParcelNumber a{1};
    a.PositionX = 200;
    a.PositionY = 130;
    EXPECT_TRUE(ParcelNumberMatches(a, b));
    struct Case {
        uint8_t subX, subY, countX, countY;
        bool matches;
    };
    const Case cases[] = {
        {0, 2, 2, 4, false}, {1, 1, 2, 4, false},
        {2, 1, 4, 2, false}, {3, 1, 4, 2, true},  // X and Y not swapped
        {0, 2, 0, 4, false}, {1, 0, 2, 0, false}, // count 0 never matches
        {2, 1, 3, 3, true},  {0, 0, 1, 1, true},
    };
    for (const Case& c : cases) {
        b.SubX = c.subX;
        b.SubY = c.subY;
        b.CountX = c.countX;
        b.CountY = c.countY;
        EXPECT_EQ(ParcelNumberMatches(a, b), c.matches)
            << int(c.subX) << "," << int(c.subY) << " of " << int(c.countX) << "x" << int(c.countY);
    }
    // A count that does not divide 256: the last sliver (255 div 85 = 3) belongs to sub-parcel 2.
    a.PositionX = 255;
    a.PositionY = 0;
    b = TLN_ParcelNumber{1, 0, 0, 0, 0, 0, 0, 1, 3, 1, 2, 0};
    EXPECT_TRUE(ParcelNumberMatches(a, b));
}
