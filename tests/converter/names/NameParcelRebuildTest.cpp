// One parcel rebuilt with new names, laid out by hand: odd-length texts padded to whole words, refused
// texts kept byte for byte, the frames after the names frame moved with their references, and names
// frames that cannot be walked left to the copy.
#include <gtest/gtest.h>

#include "converter/names/NameParcelRebuild.h"
#include "kiwi/frames/BackgroundFrame.h"
#include "kiwi/frames/NameFrame.h"
#include "support/fixtures/FrameFixture.h"

namespace {

constexpr int64_t kPosition = 0x10000;

struct Bytes {
    std::vector<uint8_t> b;
    Bytes& u16(uint32_t v) {
        b.push_back(uint8_t(v >> 8));
        b.push_back(uint8_t(v));
        return *this;
    }
    Bytes& u32(uint32_t v) { return u16(v >> 16).u16(v & 0xFFFF); }
    Bytes& text(const std::string& t) {
        b.insert(b.end(), t.begin(), t.end());
        return *this;
    }
};

// A type 1 name record with the one-string form (word count, text padded to whole words).
std::vector<uint8_t> nameRecord(const std::string& text, uint16_t typeCode = 300) {
    std::string padded = text;
    if (padded.size() % 2) padded += '\0';
    Bytes r;
    r.u16(uint32_t(14 + 2 + padded.size()) / 2).u16(0xF800 | 1u << 8).u16(typeCode).u16(0).u16(10).u16(20);
    r.u16(uint32_t(2 + padded.size()) / 2).u16(uint32_t(padded.size() / 2)).text(padded);
    return r.b;
}

struct Parcel {
    std::vector<uint8_t> bytes;
    int64_t namesAt = 0;
    int64_t extendedAt = 0;
};

// Header (no regions), three basic references (no roads, the background when given, the names) and one
// extended frame after the names; storedCount overstates the record count when asked.
Parcel parcel(const std::vector<std::string>& texts, uint16_t storedCount = 0,
              const std::vector<uint8_t>& background = {}) {
    Bytes names;
    names.u16(3).u16(3).u16(storedCount ? storedCount : uint32_t(texts.size()));
    for (const std::string& text : texts) {
        const auto record = nameRecord(text);
        names.b.insert(names.b.end(), record.begin(), record.end());
    }
    const std::vector<uint8_t> extended = {0xE1, 0xE2, 0xE3, 0xE4};
    Parcel p;
    const int64_t backgroundAt = 36 + 6 * 4;
    p.namesAt = backgroundAt + int64_t(background.size());
    p.extendedAt = p.namesAt + int64_t(names.b.size());
    Bytes h;
    h.b.resize(34, 0);
    h.b[14] = 0x2B;
    h.u16(0);
    h.u32(0xFFFFFFFF).u16(0);
    if (background.empty())
        h.u32(0xFFFFFFFF).u16(0);
    else
        h.u32(uint32_t(backgroundAt / 2)).u16(uint32_t(background.size() / 2));
    h.u32(uint32_t(p.namesAt / 2)).u16(uint32_t(names.b.size() / 2));
    h.u32(uint32_t(p.extendedAt / 2)).u16(uint32_t(extended.size() / 2));
    h.b.insert(h.b.end(), background.begin(), background.end());
    h.b.insert(h.b.end(), names.b.begin(), names.b.end());
    h.b.insert(h.b.end(), extended.begin(), extended.end());
    p.bytes = h.b;
    return p;
}

TLN_Level_Management_Record level() {
    TLN_Level_Management_Record l;
    l.MainMapBasicCount = 3;
    l.MainMapExtendedCount = 1;
    l.NameClassCount = 1;
    return l;
}

uint32_t get32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

} // namespace

TEST(NameParcelRebuild, TextsReplacedAndLaterFramesMoved) {
    LatRusDictionary dictionary;
    dictionary.areaCode = 0x2B;
    dictionary.AddPair("Cat", "\xCA\xEE\xF2"); // three bytes: padded to four
    dictionary.AddPair("Dog", "D?g");
    NameOptions options;
    options.translate = true;
    options.textCodePage = 1251;
    NameTextPolicy policy(options, &dictionary);
    const Parcel source = parcel({"Cat", "Dog", "Longer name"});
    const NameRebuildResult result = RebuildParcelNames(source.bytes, kPosition, level(), policy);
    ASSERT_FALSE(result.bytes.empty());
    EXPECT_EQ(result.rewritten, 1);

    const auto span = TLN_FrameSpan::FromBytes(result.bytes, kPosition);
    const int64_t namesSize = 2 * int64_t(result.bytes[size_t(36 + 12 + 4)] << 8 | result.bytes[36 + 12 + 5]);
    TLN_Name_Data_Frame frame;
    TLN_Level_Management_Record l = level();
    ASSERT_TRUE(ReadNameDataFrame(span.Sub(kPosition + source.namesAt, namesSize), l, frame, 0));
    const auto names = span.Sub(kPosition + source.namesAt, namesSize);
    const std::vector<int64_t> records = NameRecordPositions(names, frame.Classes[0]);
    ASSERT_EQ(records.size(), 3u);
    TLN_Name_Data_Record record;
    ASSERT_TRUE(ReadNameRecord(names, kShowAllScales, true, record, records[0], 0, {1251, 0}));
    EXPECT_EQ(record.String.raw, QByteArray("\xCA\xEE\xF2"));
    EXPECT_EQ(record.Size % 2, 0u);
    EXPECT_EQ(record.TypeCode, 300);
    // The refused record is the old one, byte for byte.
    const auto old = nameRecord("Dog");
    EXPECT_TRUE(std::equal(old.begin(), old.end(), result.bytes.begin() + (records[1] - kPosition)));
    // "Longer name" has no translation (a whole-name miss): it stays too.
    ASSERT_TRUE(ReadNameRecord(names, kShowAllScales, true, record, records[2], 0, {1251, 0}));
    EXPECT_EQ(record.String.raw, QByteArray("Longer name"));

    // The extended frame moved by the names frame's growth, its reference with it.
    const int64_t movedTo = 2 * int64_t(get32(result.bytes, 36 + 18));
    EXPECT_EQ(movedTo, source.namesAt + namesSize);
    EXPECT_EQ(result.bytes[size_t(movedTo)], 0xE1);
    EXPECT_EQ(result.bytes[size_t(movedTo) + 3], 0xE4);
}

TEST(NameParcelRebuild, ParcelsThatStayAsTheyAre) {
    LatRusDictionary dictionary;
    dictionary.AddPair("Cat", "Kot");
    NameOptions options;
    options.translate = true;
    options.textCodePage = 1251;
    NameTextPolicy policy(options, &dictionary);
    struct Case {
        const char* what;
        Parcel p;
    };
    Parcel overlapping = parcel({"Cat"});
    // The extended frame's reference pointing into the names frame.
    overlapping.bytes[36 + 18 + 3] = uint8_t(overlapping.namesAt / 2 + 2);
    Parcel truncated = parcel({"Cat"});
    truncated.bytes.resize(40);
    const Case cases[] = {
        {"nothing translated", parcel({"Dog", "Bird"})},
        {"more records counted than stored", parcel({"Cat"}, 5)},
        {"frames overlap", overlapping},
        {"header cut short", truncated},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(RebuildParcelNames(c.p.bytes, kPosition, level(), policy).bytes.empty()) << c.what;
}

TEST(NameParcelRebuild, NamesFrameThatWouldOutgrowItsSizeFieldStays) {
    LatRusDictionary dictionary;
    dictionary.AddPair("Cat", std::string(60, 'K'));
    NameOptions options;
    options.translate = true;
    options.textCodePage = 1251;
    NameTextPolicy policy(options, &dictionary);
    // 2000 records of 20 bytes grow to 2000 × 80: past the 131070 bytes a names frame can have.
    const NameRebuildResult result =
        RebuildParcelNames(parcel(std::vector<std::string>(2000, "Cat")).bytes, kPosition, level(), policy);
    EXPECT_TRUE(result.bytes.empty());
    EXPECT_EQ(result.warning, "too many names!");
}

TEST(NameParcelRebuild, BackgroundNameReferencesFollowTheirRecordsWithOrWithoutThePointer) {
    LatRusDictionary dictionary;
    dictionary.areaCode = 0x2B;
    dictionary.AddPair("Cat", "Kotik"); // 3 bytes become 5, padded to 6: the second record moves one word
    NameOptions options;
    options.translate = true;
    options.textCodePage = 1251;
    NameTextPolicy policy(options, &dictionary);
    // Names frame: 6 header bytes, then records of 20 bytes; the second record at word 13.
    constexpr int64_t kSecondRecordWords = 13;
    for (const bool pointers : {true, false}) {
        SCOPED_TRACE(pointers ? "with pointers" : "without pointers");
        fixture::FrameOptions frameOptions;
        frameOptions.backgroundPointers = pointers;
        const std::vector<uint8_t> background = fixture::backgroundFrame(frameOptions, kSecondRecordWords);
        const Parcel source = parcel({"Cat", "Dog"}, 0, background);
        TLN_Level_Management_Record l = level();
        l.BackgroundClassCount = uint8_t(frameOptions.backgroundClasses);
        const NameRebuildResult result = RebuildParcelNames(source.bytes, kPosition, l, policy);
        ASSERT_EQ(result.rewritten, 1);
        const auto span = TLN_FrameSpan::FromBytes(result.bytes, kPosition);
        const TLN_FrameSpan frame = span.Sub(kPosition + 36 + 6 * 4, int64_t(background.size()));
        TLN_Background_Data_Frame bg;
        ASSERT_TRUE(ReadBackgroundDisplayClass(frame, l, bg, 0));
        int named = 0;
        for (const TLN_Background_Type_Unit& unit : bg.Elements[0].TypeUnits)
            for (const int64_t at : MinimumGraphicsPositions(frame, unit)) {
                TLN_Minimum_Graphics_Data_Record record;
                ASSERT_TRUE(ReadMinimumGraphicsShape(frame, unit.ShapeClassification != 0, record, at));
                if (!record.NameFlag) continue;
                ++named;
                EXPECT_EQ(record.NameOffset, kSecondRecordWords + 1);
            }
        EXPECT_EQ(named, 2);
    }
}
