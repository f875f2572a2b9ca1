// The rebuilt main map data frame of one parcel, on a hand-built frame: the buildings class unit in Add and
// Replace mode, the names frame with house numbers, the busy numbering class, and frames left as they are.
#include <gtest/gtest.h>

#include "converter/job/ConversionProgress.h"
#include "converter/rewrite/ImportParcelWriter.h"

namespace {

using building_data::Point;
using namespace rewrite;
namespace bd = building_data;

constexpr uint8_t kNumberClass = 3;

void word(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}

// Header (36 bytes, undivided, reference 0/0, no regions), 3 management records, roads (8 bytes),
// background with units in classes 0 and 1 (one 12-byte record each), names (class 0: one 8-byte record;
// class kNumberClass busy when asked), padded to 32.
std::vector<uint8_t> frame(bool withNames, bool busy = false) {
    std::vector<uint8_t> f(36, 0);
    f[12] = 0xC0;
    const size_t roads = 56, bg = 64, names = 110;
    auto record = [&](size_t start, size_t size) {
        word(f, 0);
        word(f, uint16_t(start / 2));
        word(f, uint16_t(size / 2));
    };
    record(roads, 8);
    record(bg, 46);
    if (withNames)
        record(names, 74);
    else {
        word(f, 0xFFFF), word(f, 0xFFFF), word(f, 0);
    }
    f.resize(roads, 0);
    for (int i = 0; i < 8; ++i)
        f.push_back(uint8_t(0xA0 + i));
    word(f, 5);
    word(f, 5), word(f, 9);
    word(f, 14), word(f, 9);
    for (int unit = 0; unit < 2; ++unit) {
        word(f, 1), word(f, 3), word(f, 0x8001);
        for (int i = 0; i < 12; ++i)
            f.push_back(uint8_t(0x10 * (unit + 1) + i));
    }
    if (withNames) {
        word(f, 0x21);
        for (int e = 0; e < 16; ++e) {
            const bool used = e == 0 || (busy && e == kNumberClass);
            word(f, used ? 33 : 0xFFFF), word(f, used ? 1 : 0);
        }
        for (int i = 0; i < 8; ++i)
            f.push_back(uint8_t(0xE0 + i));
    }
    f.resize((f.size() + 31) / 32 * 32, 0);
    return f;
}

LevelFacts facts() {
    LevelFacts l;
    l.backgroundClasses = 2;
    l.parcelWidth = 4096;
    l.parcelHeight = 4096;
    return l;
}

struct Rig {
    std::shared_ptr<std::vector<uint8_t>> data = std::make_shared<std::vector<uint8_t>>();
    ConversionProgress progress;
    std::unique_ptr<ImportParcelWriter> writer;

    Rig(bool replace, bool withBuilding = true, bool withNumber = true, int manyBuildings = 0,
        bool aisin = false) {
        bd::WriteBox(*data, bd::Box{});
        if (withBuilding) {
            const std::vector<Point> square = {{100, 100}, {150, 100}, {150, 150}, {100, 150}};
            bd::AppendRecord(*data, bd::kBuilding, square);
        }
        for (int i = 0; i < manyBuildings; ++i) {
            const int32_t x = 200 + 30 * (i % 100), y = 200 + 30 * (i / 100);
            const std::vector<Point> square = {{x, y}, {x + 20, y}, {x + 20, y + 20}, {x, y + 20}};
            bd::AppendRecord(*data, bd::kBuilding, square);
        }
        if (withNumber) {
            const Point at[1] = {{10, 10}};
            const uint8_t label[1] = {'7'};
            bd::AppendRecord(*data, bd::kHouseNumber, at, label);
        }
        RewriteSettings s;
        s.buildings = s.houseNumbers = true;
        s.replaceOldData = replace;
        s.buildingsClass = 1;
        s.buildingsTypeCode = 0x0143;
        s.numberingClass = kNumberClass;
        s.aisinBatches = aisin;
        writer = std::make_unique<ImportParcelWriter>(std::make_shared<ImportedOutlines>(data), s);
        ParcelPlace place;
        place.progress = &progress;
        writer->SetPlace(place);
        writer->SelectBlock(facts(), {0, 4096, 4096, 0});
    }
};

std::vector<uint8_t> slice(const std::vector<uint8_t>& b, size_t at, size_t n) {
    return {b.begin() + ptrdiff_t(at), b.begin() + ptrdiff_t(at + n)};
}

TEST(ImportParcelRebuild, AddModeKeepsTheOldTypeEntriesTwoWordsFurtherOn) {
    Rig s(false);
    const std::vector<uint8_t> source = frame(true);
    const std::vector<uint8_t> out = s.writer->Rebuild(source);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.size() % 32, 0u);
    EXPECT_EQ(slice(out, 0, 42), slice(source, 0, 42)) << "header and the roads record unchanged";
    EXPECT_EQ(slice(out, 56, 8), slice(source, 56, 8)) << "roads unchanged";
    EXPECT_EQ(slice(out, 74, 18), slice(source, 74, 18)) << "class 0 unchanged";
    // Background: class 1's unit at word 14 now holds two type entries, the old one moved by 2 words.
    EXPECT_EQ(GetWord(out, 64 + 6), 14);
    const size_t unit = 64 + 28;
    EXPECT_EQ(slice(out, unit, 10), (std::vector<uint8_t>{0, 2, 0, 5, 0x80, 1, 0, 11, 0x80, 1}));
    EXPECT_EQ(out[unit + 10], 0x20) << "the old record follows the header";
    EXPECT_EQ(slice(out, unit + 22, 4), (std::vector<uint8_t>{0x00, 0x0A, 0xC0, 0x04})) << "the new building";
    const size_t bgSize = 2 * GetWord(out, 36 + 6 + 4);
    EXPECT_EQ(bgSize, 46u + 4 + 20);
    EXPECT_EQ(GetWord(out, 64 + 8), bgSize / 2 - 14) << "class 1's unit size";
    // Names moved after the grown background; the number's class points past the old names.
    const size_t names = 2 * GetWord(out, 36 + 12 + 2);
    EXPECT_EQ(names, 64 + bgSize);
    EXPECT_EQ(slice(out, names + 2 + 4 * kNumberClass, 4), (std::vector<uint8_t>{0, 37, 0, 1}));
    EXPECT_EQ(slice(out, names + 74, 4), (std::vector<uint8_t>{0x00, 0x09, 0x81, 0x20}));
    EXPECT_EQ(2 * GetWord(out, 36 + 12 + 4), 74u + 18);
}

TEST(ImportParcelRebuild, MoreThan4095BuildingsBecomeFurtherTypeEntriesOnlyForAisinAw) {
    for (const bool aisin : {true, false}) {
        Rig s(true, false, false, 4100, aisin);
        const std::vector<uint8_t> out = s.writer->Rebuild(frame(true));
        ASSERT_FALSE(out.empty());
        const size_t unit = 64 + 28;
        if (aisin) {
            EXPECT_EQ(slice(out, unit, 10),
                      (std::vector<uint8_t>{0, 2, 0, 5, 0x8F, 0xFF, 0x9F, 0xFB, 0x80, 5}));
        } else {
            EXPECT_EQ(slice(out, unit, 6), (std::vector<uint8_t>{0, 1, 0, 3, 0x8F, 0xFF}));
            bool warned = false;
            for (const std::string& line : s.progress.AllLines())
                warned = warned || line == "WARNING: Parcel 0/0/0/0 too many buildings!";
            EXPECT_TRUE(warned);
        }
    }
}

TEST(ImportParcelRebuild, WithTheAddedLevelTheSecondClassHoldsTheCityAreas) {
    auto data = std::make_shared<std::vector<uint8_t>>();
    bd::WriteBox(*data, bd::Box{});
    const std::vector<Point> building = {{100, 100}, {150, 100}, {150, 150}, {100, 150}};
    bd::AppendRecord(*data, bd::kBuilding, building);
    const std::vector<Point> area = {{-500, -500}, {5000, -500}, {5000, 5000}, {-500, 5000}};
    bd::AppendRecord(*data, bd::kCityArea, area);
    auto outlines = std::make_shared<ImportedOutlines>(data);
    outlines->CollectCityAreas();
    RewriteSettings settings;
    settings.buildings = true;
    settings.extraLevel = true;
    settings.buildingsClass = 0;
    settings.cityAreaClass = 1;
    ImportParcelWriter writer(outlines, settings);
    writer.SelectBlock(facts(), {0, 4096, 4096, 0});
    const std::vector<uint8_t> out = writer.Rebuild(frame(true));
    ASSERT_FALSE(out.empty());
    // Class 0: the old unit and the building (0xD000: the added level); class 1: one city area, the
    // whole parcel, four steps of 32.
    const size_t unit0 = 64 + 2 * GetWord(out, 64 + 2);
    EXPECT_EQ(GetWord(out, unit0), 2);
    const size_t unit1 = 64 + 2 * GetWord(out, 64 + 6);
    EXPECT_EQ(slice(out, unit1, 6), (std::vector<uint8_t>{0, 1, 0, 3, 0x80, 1}));
    EXPECT_EQ(slice(out, unit1 + 6, 8),
              (std::vector<uint8_t>{0x00, 0x0A, 0x00, 0x04, 0x01, 0x01, 0x00, 0x07}));
    EXPECT_EQ(GetWord(out, 64 + 8), 3 + 10) << "unit header and one 20-byte record, in words";
    EXPECT_EQ(out[unit0 + 2 + 8 + 12 + 2], 0xD0);
}

TEST(ImportParcelRebuild, ReplaceModeDiscardsTheOldUnit) {
    Rig s(true);
    const std::vector<uint8_t> out = s.writer->Rebuild(frame(true));
    ASSERT_FALSE(out.empty());
    const size_t unit = 64 + 28;
    EXPECT_EQ(slice(out, unit, 6), (std::vector<uint8_t>{0, 1, 0, 3, 0x80, 1}));
    EXPECT_EQ(slice(out, unit + 6, 2), (std::vector<uint8_t>{0x00, 0x0A}));
}

TEST(ImportParcelRebuild, ANewNamesFrameHoldsOnlyTheNumbersClass) {
    Rig s(false, false, true);
    const std::vector<uint8_t> out = s.writer->Rebuild(frame(false));
    ASSERT_FALSE(out.empty());
    const size_t names = 2 * GetWord(out, 36 + 12 + 2);
    EXPECT_EQ(GetWord(out, names), 0x21);
    for (uint8_t e = 0; e < 16; ++e)
        EXPECT_EQ(slice(out, names + 2 + 4 * e, 4), e == kNumberClass
                                                        ? (std::vector<uint8_t>{0, 33, 0, 1})
                                                        : (std::vector<uint8_t>{0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(slice(out, 56, 54), slice(frame(false), 56, 54)) << "roads and background untouched";
}

TEST(ImportParcelRebuild, ABusyNumberingClassIsReportedOncePerRun) {
    Rig s(false, false, true);
    EXPECT_TRUE(s.writer->Rebuild(frame(true, true)).empty()) << "nothing added: copied as it is";
    s.writer->Rebuild(frame(true, true));
    int warnings = 0;
    for (const std::string& line : s.progress.AllLines())
        warnings += line.rfind("WARNING: Numbering Display Class 3 is already BUSY in Parcel ", 0) == 0;
    EXPECT_EQ(warnings, 1);
}

TEST(ImportParcelRebuild, ARegularParcelStoredWithIdentifierZeroIsRebuiltToo) {
    // Plain discs store regular parcels with identifier 0: they take their buildings like those marked 3.
    Rig zero(false), three(false);
    std::vector<uint8_t> regular = frame(true);
    regular[12] &= 0x3F;
    std::vector<uint8_t> viaZero = zero.writer->Rebuild(regular);
    const std::vector<uint8_t> viaThree = three.writer->Rebuild(frame(true));
    ASSERT_FALSE(viaThree.empty());
    ASSERT_EQ(viaZero.size(), viaThree.size());
    viaZero[12] = viaThree[12];
    EXPECT_EQ(viaZero, viaThree);
}

TEST(ImportParcelRebuild, FramesLeftAsTheyAre) {
    {
        Rig s(false, false, false);
        EXPECT_TRUE(s.writer->Rebuild(frame(true)).empty()) << "nothing selected for the block";
    }
    Rig s(false);
    std::vector<uint8_t> crossed = frame(true);
    crossed[36 + 6 + 3] = 20; // the background before the roads' end
    EXPECT_TRUE(s.writer->Rebuild(crossed).empty());
    std::vector<uint8_t> cut = frame(true);
    cut.resize(40);
    EXPECT_TRUE(s.writer->Rebuild(cut).empty());
}

} // namespace
