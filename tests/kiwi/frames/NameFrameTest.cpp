// Name data frame and character string readers: entry positions by system number, the language table,
// text in code pages 65001, 1251 and 1200 (bytes made with iconv), NULs, and records that do not fit.
#include <gtest/gtest.h>

#include <thread>

#include "FrameTestSupport.h"
#include "kiwi/core/MapCodePage.h"
#include "kiwi/frames/NameFrame.h"
#include "kiwi/frames/StringFrame.h"
#include "support/fixtures/FrameFixture.h"

using fixture::ByteWriter;
using frametest::kFramePosition;
using frametest::span;

namespace {
const TLN_TextPages kUtf8{65001, 0};
const TLN_TextPages kUtf16{1200, 0};

QString utf8(const std::string& text) {
    return QString::fromStdString(text);
}
} // namespace

TEST(NameFrame, EntriesStartAtTwoOrFourBySystemNumber) {
    for (const bool wide : {false, true}) {
        fixture::FrameOptions options;
        options.wide = wide;
        std::vector<int64_t> records;
        const TLN_FrameSpan frame = span(fixture::nameFrame(options, &records));
        TLN_Name_Data_Frame names;
        ASSERT_TRUE(ReadNameDataFrame(frame, frametest::level(), names, wide ? 8 : 7));
        ASSERT_EQ(names.Classes.size(), 3u);
        EXPECT_EQ(names.Classes[0].ListPosition, kFramePosition + records[0]);
        EXPECT_EQ(names.Classes[0].RecordCount, 5);
        // Class 1 names no records at the frame's end: an empty list there, not an absent one.
        EXPECT_EQ(names.Classes[1].ListPosition, frame.End());
        EXPECT_EQ(names.Classes[1].RecordCount, 0);
        EXPECT_TRUE(NameRecordPositions(frame, names.Classes[1]).empty());
        EXPECT_EQ(names.Classes[2].RecordCount, 2);
        // Read with the other width the entries shift by a word.
        TLN_Name_Data_Frame other;
        ASSERT_TRUE(ReadNameDataFrame(frame, frametest::level(), other, wide ? 7 : 8));
        EXPECT_NE(other.Classes[0].ListPosition, names.Classes[0].ListPosition);
    }
}

TEST(NameFrame, LanguageTable) {
    ByteWriter w;
    w.u16(0).u16(3).u16(0);
    const size_t second = w.size();
    w.raw(fixture::characterString("first", 65001));
    w.patchU16(4, uint32_t((w.size()) / 2));
    w.raw(fixture::characterString("second", 65001));
    (void)second;
    for (const uint32_t language : {0u, 1u, 3u, 5u})
        EXPECT_EQ(ReadText(span(w), language, kFramePosition, kUtf8).text, "first") << language;
    EXPECT_EQ(ReadText(span(w), 2, kFramePosition, kUtf8).text, "second");
    // A word at +2 outside 3..15 makes P one string.
    for (const uint16_t word : std::initializer_list<uint16_t>{2, 16}) {
        ByteWriter one;
        one.u16(2).u16(word).u16(0x4142);
        EXPECT_EQ(ReadText(span(one), 1, kFramePosition, kUtf8).raw.size(), 4) << word;
    }
    // A language offset past the frame: nothing.
    ByteWriter bad;
    bad.u16(0).u16(3).u16(0x7000);
    bool found = true;
    EXPECT_TRUE(ReadText(span(bad), 2, kFramePosition, kUtf8, true, &found).text.isEmpty());
    EXPECT_FALSE(found);
}

TEST(NameFrame, CodePages) {
    EXPECT_EQ(ConvertText(span(std::vector<uint8_t>{0x00, 0x41, 0x00, 0x42}), 4, kFramePosition, kUtf16).text,
              "AB");
    const std::string text = "Москва-Öland";
    struct Case {
        int codePage;
        std::string text;
    };
    for (const Case& c : {Case{65001, text}, Case{1200, text}, Case{1251, "Москва-7"}}) {
        SCOPED_TRACE(c.codePage);
        const std::vector<uint8_t> bytes = fixture::characterString(c.text, c.codePage);
        const KiwiText read = ReadText(span(bytes), 0, kFramePosition, TLN_TextPages{c.codePage, 0});
        EXPECT_EQ(read.text, utf8(c.text));
        const std::vector<uint8_t> stored = fixture::encodeText(c.text, c.codePage);
        EXPECT_EQ(read.raw,
                  QByteArray(reinterpret_cast<const char*>(stored.data()), qsizetype(stored.size())));
    }
    // The ANSI code page is applied: Cyrillic shown through 1252 becomes "?".
    const std::vector<uint8_t> bytes = fixture::characterString("Ая", 65001);
    EXPECT_EQ(ReadText(span(bytes), 0, kFramePosition, TLN_TextPages{65001, 1252}).text, "??");
    EXPECT_EQ(ReadText(span(bytes), 0, kFramePosition, TLN_TextPages{65001, 1251}).text, "Ая");
}

TEST(NameFrame, OneTrailingNulLeavesTheTextAllLeaveTheRawBytes) {
    const std::vector<uint8_t> utf8Bytes = {'A', 'B', 0, 0};
    const KiwiText a = ConvertText(span(utf8Bytes), 4, kFramePosition, kUtf8);
    EXPECT_EQ(a.text, QString("AB") + QChar(0));
    EXPECT_EQ(a.raw, QByteArray("AB"));
    // UTF-16: zero units are removed whole; a character whose low byte is 0 stays.
    const std::vector<uint8_t> utf16Bytes = {0x41, 0x00, 0x00, 0x00};
    const KiwiText b = ConvertText(span(utf16Bytes), 4, kFramePosition, kUtf16);
    EXPECT_EQ(b.text, QString(QChar(0x4100)));
    EXPECT_EQ(b.raw, QByteArray("\x41\x00", 2));
    EXPECT_TRUE(ConvertText(span(utf8Bytes), 4, kFramePosition, kUtf8, false).raw.isEmpty());
}

TEST(NameFrame, RecordsOfEveryStringType) {
    fixture::FrameOptions options;
    options.counter = 4;
    options.textCodePage = 1200;
    std::vector<int64_t> records;
    const TLN_FrameSpan frame = span(fixture::nameFrame(options, &records));
    ASSERT_EQ(records.size(), 7u);
    TLN_Name_Data_Record r;
    ASSERT_TRUE(ReadNameRecord(frame, 48, true, r, kFramePosition + records[0], 0, kUtf16));
    EXPECT_EQ(r.StringType, 1);
    EXPECT_EQ(r.String.text, utf8(fixture::nameText(4, 0)));
    EXPECT_EQ(r.RelativeY, 1);
    ASSERT_TRUE(ReadNameRecord(frame, 48, true, r, kFramePosition + records[1], 0, kUtf16));
    EXPECT_EQ(r.OffsetX(), -3);
    EXPECT_EQ(r.OffsetY(), 5);
    EXPECT_EQ(r.MultiplicationConstant, 3);
    // String type 4 is shown at mask 4 only.
    EXPECT_FALSE(ReadNameRecord(frame, 3, true, r, kFramePosition + records[2], 0, kUtf16));
    ASSERT_TRUE(ReadNameRecord(frame, 4, true, r, kFramePosition + records[2], 0, kUtf16));
    EXPECT_EQ(r.PlacementPoints, (std::vector<uint16_t>{0x4010, 0x8020}));
    EXPECT_EQ(r.PlacementType, 5);
    EXPECT_EQ(r.String.text, utf8(fixture::nameText(4, 2)));
    ASSERT_TRUE(ReadNameRecord(frame, 48, true, r, kFramePosition + records[3], 0, kUtf16));
    EXPECT_EQ(r.Angle(), 45);
    EXPECT_EQ(r.StringSize, 0u);
    ASSERT_TRUE(ReadNameRecord(frame, 48, true, r, kFramePosition + records[4], 0, kUtf16));
    EXPECT_EQ(r.PlacementPosition(), 1);
    // String type 0: shown, skipped by its size, not readable.
    ASSERT_TRUE(ReadNameRecord(frame, 48, true, r, kFramePosition + records[5], 0, kUtf16));
    EXPECT_FALSE(r.Readable);
    EXPECT_EQ(r.Size, 16u);
    ASSERT_TRUE(ReadNameRecord(frame, 48, true, r, kFramePosition + records[6], 2, kUtf16));
    EXPECT_EQ(r.String.text, utf8(fixture::otherLanguageText(4)));
}

TEST(NameFrame, CountsAndStringsThatDoNotFit) {
    ByteWriter w;
    w.u16(3).u16(3).u16(0xFFFF); // 65535 records announced at N + 6
    w.u16(10).u16(0x1Fu << 11 | 1u << 8).u16(1).u16(0).u16(1).u16(2).u16(50); // string size 100 bytes
    w.u16(2).u16(0x4142);
    TLN_Name_Data_Frame names;
    ASSERT_TRUE(ReadNameDataFrame(span(w), frametest::level(8, 2, 1), names, 2));
    EXPECT_EQ(names.Classes[0].StoredRecordCount, 0xFFFF);
    EXPECT_EQ(names.Classes[0].RecordCount, 1);
    TLN_Name_Data_Record r;
    // The record's size (20 bytes) ends before the string it announces.
    ASSERT_TRUE(ReadNameRecord(span(w), 48, true, r, kFramePosition + 6, 0, kUtf8));
    EXPECT_FALSE(r.Readable);
    EXPECT_TRUE(r.String.text.isEmpty());
}

TEST(StringFrame, RecordsOfTheFixture) {
    fixture::FrameOptions options;
    options.counter = 2;
    options.textCodePage = 1251;
    std::vector<uint8_t> bytes = fixture::stringFrame(options);
    TLN_Character_String_Data_Frame frame;
    ASSERT_TRUE(ReadCharacterString(span(bytes), frame, true, TLN_TextPages{1251, 0}));
    EXPECT_EQ(frame.HeaderSize, 12u);
    ASSERT_EQ(frame.Items.size(), 2u);
    ASSERT_EQ(frame.Items[0].Records.size(), 2u);
    const auto& first = frame.Items[0].Records[0];
    EXPECT_EQ(first.Display.text, utf8(fixture::displayText(2, 0)));
    EXPECT_EQ(first.Pronunciation.text, "leningradskoe");
    EXPECT_TRUE(first.VoiceFlag());
    EXPECT_EQ(first.SpeakerCode(), 2);
    EXPECT_EQ(first.RegenerationMethod(), 5);
    EXPECT_EQ(first.VoiceAddress, 0x12340);
    EXPECT_EQ(first.VoiceSize, 96u);
    EXPECT_FALSE(frame.Items[0].Records[1].VoiceFlag());
    EXPECT_EQ(frame.Items[0].Records[1].VoiceAddress, -1);
    EXPECT_EQ(frame.Items[1].Records[0].Display.text, "Кольцо");

    // Items and records beyond the frame: the counts are cut.
    bytes[3] = 0xFF;                 // 255 items
    bytes[bytes.size() - 20] = 0xFF; // a display length past the frame in the last record
    ASSERT_TRUE(ReadCharacterString(span(bytes), frame, true, TLN_TextPages{1251, 0}));
    EXPECT_EQ(frame.StoredItemCount, 255);
    EXPECT_LT(frame.Items.size(), 255u);
}

TEST(StringFrame, ItemsSharingOneListReadNoMoreRecordsThanTheFrameHolds) {
    // 400 items that all name one list of 300 records of 12 bytes: 120000 records if each item were read in
    // full, where the frame holds 300.
    const uint16_t items = 400;
    const uint16_t records = 300;
    ByteWriter w;
    const uint32_t listWords = uint32_t(4 + 4 * items) / 2;
    w.u16(listWords).u16(items);
    for (uint16_t i = 0; i < items; ++i)
        w.u16(listWords).u16(records);
    for (uint16_t r = 0; r < records; ++r)
        w.u32(0x00000000u).u16(0).u32(0xFFFFFFFFu).u16(0);
    TLN_Character_String_Data_Frame frame;
    ASSERT_TRUE(ReadCharacterString(span(w), frame, false, kUtf8));
    size_t total = 0;
    for (const auto& item : frame.Items)
        total += item.Records.size();
    EXPECT_LE(total, w.size() / size_t(kStringRecordFixedSize));
    ASSERT_FALSE(frame.Items.empty());
    EXPECT_EQ(frame.Items[0].Records.size(), records);
}

TEST(StringFrame, EmptyItemAtTheFrameEndAndAllOnesOffsets) {
    // Item 0: no records at the frame's end; item 1: all ones, with records announced.
    ByteWriter w;
    w.u16(6).u16(2).u16(0).u16(0).u16(0xFFFF).u16(3);
    w.patchU16(4, uint32_t(w.size() / 2));
    TLN_Character_String_Data_Frame frame;
    ASSERT_TRUE(ReadCharacterString(span(w), frame, false, kUtf8));
    ASSERT_EQ(frame.Items.size(), 2u);
    EXPECT_EQ(frame.Items[0].ListPosition, kFramePosition + int64_t(w.size()));
    EXPECT_TRUE(frame.Items[0].Records.empty());
    EXPECT_EQ(frame.Items[1].ListPosition, -1);
    EXPECT_EQ(frame.Items[1].StoredRecordCount, 3);
    EXPECT_TRUE(frame.Items[1].Records.empty());
}

TEST(NameFrame, AllOnesLanguageOffsetIsNoString) {
    // A two-language table whose second language offset is all ones, in a frame that reaches that far.
    ByteWriter w;
    w.u16(0).u16(3).u16(0xFFFF);
    w.raw(fixture::characterString("first", 65001));
    w.fill(2 * 0xFFFF + 16, 0);
    EXPECT_EQ(ReadText(span(w), 1, kFramePosition, kUtf8).text, "first");
    bool found = true;
    ReadText(span(w), 2, kFramePosition, kUtf8, false, &found);
    EXPECT_FALSE(found);
}

TEST(NameFrame, CurrentPagesFromSeveralThreads) {
    MapTextCodePage = 1200;
    MapAnsiCodePage = 0;
    const std::vector<uint8_t> bytes = {0x00, 0x02, 0x00, 0x41, 0x00, 0x42};
    std::vector<std::thread> threads;
    std::atomic<int> right{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i)
                if (ReadText(span(bytes), 0, kFramePosition, TLN_TextPages::Current()).text == "AB") ++right;
        });
    for (auto& thread : threads)
        thread.join();
    MapTextCodePage = 65001;
    EXPECT_EQ(right.load(), 800);
}
