// The Polish-format import on hand-written maps: the worked example byte for byte, the section rules
// (types, city-area choice, labels, code pages, zoom levels, ring limits) and the faults a bad line may
// cost, each costing only its line or section.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "converter/import/MpImporter.h"

using building_data::Point;
using namespace mp_import;

namespace {

struct Imported {
    std::vector<uint8_t> data;
    MpImporter::FileResult result;
    std::vector<std::string> memo;
};

// Applies the log events the way the window does.
void apply(std::vector<std::string>& memo, const MemoEvent& e) {
    switch (e.kind) {
    case MemoEvent::Kind::Append:
        memo.push_back(e.text);
        break;
    case MemoEvent::Kind::ReplaceLast:
        if (memo.empty()) memo.emplace_back();
        memo.back() = e.text;
        break;
    case MemoEvent::Kind::DropLast:
        memo.resize(memo.size() - std::min<size_t>(memo.size(), size_t(e.count)));
        break;
    case MemoEvent::Kind::Clear:
        memo.clear();
        break;
    }
}

Imported importText(const std::string& text, int cityLevel = 0) {
    Imported out;
    ImportSettings settings;
    settings.cityAreaLevel = cityLevel;
    MpImporter importer(out.data, settings);
    importer.onMemo = [&](const MemoEvent& e) { apply(out.memo, e); };
    out.result = importer.ImportText(text, "/maps/test.mp", true);
    return out;
}

std::vector<building_data::RecordView> records(const std::vector<uint8_t>& data) {
    std::vector<building_data::RecordView> all;
    EXPECT_TRUE(
        building_data::ForEachRecord(data, [&](const building_data::RecordView& r) { all.push_back(r); }));
    return all;
}

std::vector<Point> points(const building_data::RecordView& r) {
    std::vector<Point> all;
    for (size_t i = 0; i < r.count; ++i)
        all.push_back(r.PointAt(i));
    return all;
}

int errorLines(const std::vector<std::string>& memo) {
    int n = 0;
    for (const std::string& line : memo)
        n += line.rfind("ERROR : ", 0) == 0;
    return n;
}

const char* kPolygon =
    "[POLYGON]\r\nType=0x13\r\nData0=(55.75,37.6),(55.75,37.6002),(55.75015,37.6002)\r\n[END]\r\n";

} // namespace

TEST(MpImporter, TheWorkedExampleGivesItsBytes) {
    const std::string text =
        "; a map\r\n[IMG ID]\r\nCodePage=1251\r\nName=Test\r\n[END-IMG ID]\r\n\r\n"
        "[POLYGON]\r\nType=0x13\r\nLabel=Дом\r\n"
        "Data0=(55.7500000,37.6000000),(55.7500000,37.6002000),(55.7501500,37.6002000),(55.7501500,37."
        "6000000),"
        "(55.7500000,37.6000000)\r\n[END]\r\n\r\n"
        "[POLYGON]\r\n"
        "Data0=(55.751,37.601),(55.751,37.6016),(55.7514,37.6016),(55.7514,37.601)\r\n"
        "Data0=(55.7511,37.6012),(55.7511,37.6014),(55.7512,37.6014),(55.7512,37.6012)\r\n"
        "Type=0x13\r\n[END]\r\n\r\n"
        "[POI]\r\nType=0x3300\r\nLabel=12\xC0\r\nData0=(55.75007,37.6001)\r\n[END]\r\n\r\n"
        "[POLYLINE]\r\nType=0x1\r\nData0=(55.8,37.7),(55.9,37.8)\r\n[END]\r\n";
    const Imported got = importText(text);
    ASSERT_EQ(got.result.outcome, MpImporter::Outcome::Done);
    EXPECT_EQ(building_data::ReadBox(got.data), (building_data::Box{17326080, 25690245, 17326817, 25689600}));
    const auto all = records(got.data);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].kind, building_data::kBuilding);
    EXPECT_EQ(all[0].labelLength, 0);
    EXPECT_EQ(points(all[0]),
              (std::vector<Point>{
                  {17326080, 25689600}, {17326172, 25689600}, {17326172, 25689669}, {17326080, 25689669}}));
    EXPECT_EQ(all[1].count, 10);
    EXPECT_EQ(all[1].PointAt(0), (Point{17326541, 25690061}));
    EXPECT_EQ(all[1].PointAt(1), (Point{17326633, 25690107}));
    EXPECT_EQ(all[2].kind, building_data::kHouseNumber);
    EXPECT_EQ(points(all[2]), (std::vector<Point>{{17326126, 25689632}}));
    EXPECT_EQ(std::vector<uint8_t>(all[2].bytes + 12, all[2].bytes + 16),
              (std::vector<uint8_t>{0x31, 0x32, 0xC0, 0}));
    EXPECT_EQ(got.data.size(), 16u + 36u + 84u + 16u);
    ASSERT_GE(got.memo.size(), 4u);
    EXPECT_EQ(got.memo[0], "Импорт данных из файла test.mp");
    EXPECT_EQ(got.memo[1].rfind("Файл скомпилирован. Затраченное время: 0:00:0", 0), 0u) << got.memo[1];
    EXPECT_EQ(got.memo[2], "Размер в памяти: 0 kb");
    EXPECT_EQ(got.memo[3], "Найдено на карте: городов 0, зданий 2, c нумерацией 1");
    EXPECT_EQ(got.memo.size(), 4u);
}

TEST(MpImporter, TypesDecideKindsAndTheCityAreaChoice) {
    const struct {
        const char* types; // the section's Type lines
        int cityLevel;
        int kind; // 0: passed over
    } cases[] = {
        {"Type=0x13", 0, 0x13},
        {"Type=0x6c", 0, 0x13},
        {"Type=0X6F", 0, 0x13},
        {"Type=0x6B", 0, 0},
        {"Type=0x01", 0, 1},
        {"Type=0x02", 0, 0},
        {"Type=0x02", 1, 1},
        {"Type=0x03", 1, 0},
        {"Type=0x03", 2, 1},
        {"Type=0x02\r\nType=0x13", 0, 0x13}, // an undeciding type does not end the search
        {"Type=0x13\r\nType=0x01", 0, 0x13}, // the first that decides wins
        {"Type=19", 0, 0},                   // only hexadecimal types count
    };
    for (const auto& c : cases) {
        const std::string text = std::string("[POLYGON]\r\n") + c.types +
                                 "\r\nData0=(55.75,37.6),(55.75,37.6002),(55.75015,37.6002)\r\n[END]\r\n";
        const Imported got = importText(text, c.cityLevel);
        const auto all = records(got.data);
        if (c.kind == 0) {
            EXPECT_TRUE(all.empty()) << c.types;
            EXPECT_TRUE(building_data::ReadBox(got.data).IsEmpty()) << "a passed-over section widens nothing";
            EXPECT_EQ(got.memo.back(), "На этой карте нет зданий !!!");
        } else {
            ASSERT_EQ(all.size(), 1u) << c.types;
            EXPECT_EQ(all[0].kind, c.kind) << c.types;
            EXPECT_EQ(got.result.counters.buildings + got.result.counters.cities, 1);
        }
    }
}

TEST(MpImporter, HouseNumberLabelsAndCodePages) {
    const struct {
        const char* codePage;
        const char* label;           // nullptr: no Label line
        std::vector<uint8_t> stored; // empty: no record
    } cases[] = {
        {"1251", "123456", {'1', '2', '3', '4', '5', '6'}},
        {"1251", "1234567", {}},
        {"1251", "", {}},
        {"1251", nullptr, {}},
        {"1251", "  7 ", {'7'}},
        {"65001", "12\xD0\x90", {'1', '2', 0xC0}}, // UTF-8 "12А" stored in cp1251
        {"65001",
         "1\xD0\x90\xD0\x91\xD0\x92\xD0\x93\xD0\x94",
         {'1', 0xC0, 0xC1, 0xC2, 0xC3, 0xC4}}, // 6 after conversion
        {"1252", "12\xC0", {'1', '2', 0xC0}},  // other pages keep their bytes
        {"65001", "12\xE4\xB8\xAD", {}},       // a letter cp1251 cannot hold
        {"65001", "12\xFF", {}},               // no UTF-8
        {"1251", "12\x98", {}},                // the byte cp1251 leaves undefined
    };
    for (const auto& c : cases) {
        std::string text =
            std::string("[IMG ID]\nCodePage=") + c.codePage + "\n[END-IMG ID]\n[POI]\nType=0x3300\n";
        if (c.label) text += std::string("Label=") + c.label + "\nLabel=99\n"; // the first label counts
        text += "Data0=(55.75,37.6)\n[END]\n";
        const Imported got = importText(text);
        const auto all = records(got.data);
        if (c.stored.empty()) {
            EXPECT_TRUE(all.empty());
            EXPECT_FALSE(building_data::ReadBox(got.data).IsEmpty())
                << "the number's point still widens the box";
        } else {
            ASSERT_EQ(all.size(), 1u) << (c.label ? c.label : "");
            EXPECT_EQ(std::vector<uint8_t>(all[0].Label().begin(), all[0].Label().end()), c.stored);
            EXPECT_EQ(got.result.counters.numbers, 1);
        }
    }
}

TEST(MpImporter, NumbersNearOthersAreThinnedAndUnlabelledOnesStillCount) {
    // 20 units is less than a ten-millionth step apart in text, so positions are chosen in whole
    // 144-unit steps (0.0003125 degree): one step apart gives 0x34, the same spot is dropped.
    const std::string text =
        "[POI]\nType=0x3300\nData0=(55.75,37.6)\n[END]\n"                // no label, list only
        "[POI]\nType=0x3300\nLabel=1\nData0=(55.75,37.6003125)\n[END]\n" // near it: 0x34
        "[POI]\nType=0x3300\nLabel=2\nData0=(55.75,37.6003125)\n[END]\n" // on it: dropped
        "[POI]\nType=0x3300\nLabel=3\nData0=(55.75,37.601)\n[END]\n"     // far: 0x33
        "[POI]\nType=0x3301\nLabel=4\nData0=(55.76,37.601)\n[END]\n";    // not a number
    const Imported got = importText(text);
    const auto all = records(got.data);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].kind, building_data::kHouseNumberNear);
    EXPECT_EQ(all[0].PointAt(0), (Point{17326080 + 144, 25689600}));
    EXPECT_EQ(all[1].kind, building_data::kHouseNumber);
    EXPECT_EQ(got.result.counters.numbers, 2);
}

TEST(MpImporter, RingsComeFromTheLowestZoomLevelOnly) {
    const std::string text = "[POLYGON]\nType=0x13\n"
                             "Data1=(55.76,37.6),(55.76,37.61),(55.77,37.61)\n"
                             "Data10=(55.70,37.6),(55.70,37.61),(55.71,37.61)\n"
                             "Data0=(55.75,37.6),(55.75,37.6002),(55.75015,37.6002)\n"
                             "Data2=(55.80,37.6),(55.80,37.61),(55.81,37.61)\n[END]\n";
    const Imported got = importText(text);
    const auto all = records(got.data);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].count, 3);
    EXPECT_EQ(building_data::ReadBox(got.data), (building_data::Box{17326080, 25689669, 17326172, 25689600}));
}

TEST(MpImporter, OnlyTheFirst64RingsAreTaken) {
    std::string text = "[POLYGON]\nType=0x13\nData0=(55.7,37.6),(55.7,37.7),(55.8,37.7),(55.8,37.6)\n";
    for (int i = 1; i < 65; ++i) {
        const std::string lat = "55.7" + std::to_string(100 + i);
        text += "Data0=(" + lat + ",37.61),(" + lat + ",37.62),(" + lat + "5,37.62)\n";
    }
    text += "[END]\n";
    const Imported got = importText(text);
    const auto all = records(got.data);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].count, 4 + 63 * 5); // each joined ring adds its points and two seam points
}

TEST(MpImporter, OutlinesAbove65535PointsAreRefusedWithALine) {
    std::string ring = "Data0=";
    for (int i = 0; i < 65536; ++i)
        ring += (i ? ",(55." : "(55.") + std::to_string(1000000 + i) + ",37.6)";
    const Imported tooLong = importText("[POLYGON]\nType=0x13\n" + ring + "\n[END]\n" + kPolygon);
    EXPECT_EQ(records(tooLong.data).size(), 1u) << "the next polygon is still read";
    EXPECT_EQ(errorLines(tooLong.memo), 1);
    // Two rings that fit alone but not joined.
    std::string half = "Data0=";
    for (int i = 0; i < 32767; ++i)
        half += (i ? ",(55." : "(55.") + std::to_string(1000000 + i) + ",37.6)";
    const Imported joined = importText("[POLYGON]\nType=0x13\n" + half + "\n" + half + "\n[END]\n");
    EXPECT_TRUE(records(joined.data).empty());
    EXPECT_EQ(errorLines(joined.memo), 1);
}

TEST(MpImporter, ABadLineCostsItsLineOrSectionNeverTheFile) {
    const struct {
        std::string section;
        int errors;
        size_t records; // with the good polygon after it
    } cases[] = {
        {"[POLYGON]\nType=0xZZ\nData0=(55.75,37.6),(55.75,37.6002),(55.75015,37.6002)\n[END]\n", 1, 1},
        {"[POI]\nType=0x33G0\nLabel=1\nData0=(55.75,37.6)\n[END]\n", 1, 1},
        {"[POLYGON]\nType=0x13\nData0=(55.75,abc)\n[END]\n", 1, 1},
        {"[POLYGON]\nType=0x13\nData0=\n[END]\n", 1, 1},
        {"[POLYGON]\nType=0x13\nData0=(55.75 37.6)\n[END]\n", 1, 1},
        {"[POLYGON]\nType=0x13\nData0=(99999.5,37.6),(55.75,37.6002),(55.75015,37.6002)\n[END]\n", 1, 1},
        {"[POLYGON]\nType=0x13\nData0=(95.0,37.6),(55.75,37.6002),(55.75015,37.6002)\n[END]\n", 1, 1},
        {"[POLYGON]\nType=0x13\nData0=(55.75,37.6),(55.75,37.6002),(55.75015,37.6002) x\n[END]\n", 1, 1},
        // A bad ring beside a good one: only the bad ring goes.
        {"[POLYGON]\nType=0x13\nData0=(55.75,37.6),(55.75,37.6002),(55.75015,37.6002)\nData0=(1,2\n[END]\n",
         1, 2},
        // A missing [END]: the section ends at the next header and both are read.
        {"[POLYGON]\nType=0x13\nData0=(55.75,37.6),(55.75,37.6002),(55.75015,37.6002)\n", 1, 2},
        {"\x01\x02\xFF garbage\n=\n[\n[END]\n", 0, 1},
    };
    for (const auto& c : cases) {
        const Imported got = importText(c.section + kPolygon);
        EXPECT_EQ(got.result.outcome, MpImporter::Outcome::Done) << c.section;
        EXPECT_EQ(records(got.data).size(), c.records) << c.section;
        EXPECT_EQ(errorLines(got.memo), c.errors) << c.section;
    }
    const Imported missingLast =
        importText("[POLYGON]\nType=0x13\nData0=(55.75,37.6),(55.75,37.6002),(55.75015,37.6002)");
    EXPECT_EQ(records(missingLast.data).size(), 1u);
    EXPECT_EQ(errorLines(missingLast.memo), 1);
}

TEST(MpImporter, PolygonsWithTooFewPointsAreCountedNotWritten) {
    const Imported got =
        importText("[POLYGON]\nType=0x13\nData0=(55.75,37.6),(55.75,37.6002),(55.75,37.6)\n[END]\n"
                   "[POLYGON]\nType=0x01\n[END]\n");
    EXPECT_TRUE(records(got.data).empty());
    EXPECT_EQ(got.result.counters.buildings, 1);
    EXPECT_EQ(got.result.counters.cities, 1);
    EXPECT_EQ(got.memo.back(), "На этой карте нет зданий !!!");
}

TEST(MpImporter, EmptyAndJunkFilesGiveNoRecordsAndNoFailure) {
    std::string junk;
    for (int i = 0; i < 5000; ++i)
        junk += char(i * 7919 % 256);
    for (const std::string& text : {std::string(), std::string("\xEF\xBB\xBF"), junk}) {
        const Imported got = importText(text);
        EXPECT_EQ(got.result.outcome, MpImporter::Outcome::Done);
        EXPECT_EQ(got.data.size(), building_data::kBoxSize);
        EXPECT_EQ(got.memo.back(), "На этой карте нет зданий !!!");
    }
}

TEST(MpImporter, ALaterFileAppendsToTheBoxAndRecordsBefore) {
    std::vector<uint8_t> data;
    MpImporter importer(data, {});
    ASSERT_EQ(importer.ImportText(kPolygon, "a.mp", true).outcome, MpImporter::Outcome::Done);
    const std::vector<uint8_t> first = data;
    const std::string far = "[POLYGON]\nType=0x13\nData0=(56.0,38.0),(56.0,38.1),(56.1,38.1)\n[END]\n";
    ASSERT_EQ(importer.ImportText(far, "b.mp", false).outcome, MpImporter::Outcome::Done);
    EXPECT_EQ(std::vector<uint8_t>(data.begin() + 16, data.begin() + ptrdiff_t(first.size())),
              std::vector<uint8_t>(first.begin() + 16, first.end()));
    const building_data::Box box = building_data::ReadBox(data);
    EXPECT_EQ(box.west, 17326080);
    EXPECT_EQ(box.north, 56 * 460800 + 46080);
}

TEST(MpImporter, AFileOverTheSizeLimitIsTakenBackWhole) {
    std::vector<uint8_t> data;
    std::vector<std::string> memo;
    ImportSettings settings;
    settings.sizeLimit = 16 + 36 * 3;
    MpImporter importer(data, settings);
    importer.onMemo = [&](const MemoEvent& e) { apply(memo, e); };
    ASSERT_EQ(importer.ImportText(kPolygon, "a.mp", true).outcome, MpImporter::Outcome::Done);
    const std::vector<uint8_t> before = data;
    const std::vector<std::string> memoBefore = memo;
    const std::string three =
        std::string(kPolygon) + "[POLYGON]\nType=0x13\nData0=(1,1),(1,2),(2,2\n[END]\n" + kPolygon + kPolygon;
    const MpImporter::FileResult result = importer.ImportText(three, "dir/b.mp", false);
    EXPECT_EQ(result.outcome, MpImporter::Outcome::Failed);
    EXPECT_EQ(result.message.English(), "Недостаточно памяти, чтобы добавить этот файл !\nb.mp");
    EXPECT_EQ(data, before);
    EXPECT_EQ(memo, memoBefore);
}

TEST(MpImporter, AStoppedFileLeavesTheBufferAndLogAsBefore) {
    std::string many;
    for (int i = 0; i < 3000; ++i)
        many += kPolygon; // 12000 lines: the stop is seen on the way
    for (const bool fresh : {true, false}) {
        std::vector<uint8_t> data;
        std::vector<std::string> memo;
        MpImporter importer(data, {});
        importer.onMemo = [&](const MemoEvent& e) { apply(memo, e); };
        ASSERT_EQ(importer.ImportText(kPolygon, "a.mp", true).outcome, MpImporter::Outcome::Done);
        const std::vector<uint8_t> before = data;
        const std::vector<std::string> memoBefore = memo;
        std::atomic<bool> stop{true};
        importer.stop = &stop;
        EXPECT_EQ(importer.ImportText(many, "b.mp", fresh).outcome, MpImporter::Outcome::Stopped);
        EXPECT_EQ(data, before) << fresh;
        if (!fresh) {
            EXPECT_EQ(memo, memoBefore);
        }
    }
}

TEST(MpImporter, HostileLinesCostLittleAndSayWhy) {
    // A malformed line of 100 000 bytes is quoted cut short.
    const Imported bad = importText("[POLYGON]\nType=0x13\nData0=(55.75,37.6)," + std::string(100000, 'x') +
                                    "\n[END]\n" + kPolygon);
    ASSERT_EQ(errorLines(bad.memo), 1);
    for (const std::string& line : bad.memo)
        EXPECT_LT(line.size(), 400u);
    // A ring far past 65535 points is refused once, its points no longer collected.
    std::string ring = "Data0=";
    for (int i = 0; i < 200000; ++i)
        ring += (i ? ",(55." : "(55.") + std::to_string(1000000 + i) + ",37.6)";
    const Imported huge = importText("[POLYGON]\nType=0x13\n" + ring + "\n[END]\n" + kPolygon);
    EXPECT_EQ(errorLines(huge.memo), 1);
    EXPECT_EQ(records(huge.data).size(), 1u);
    // A house number whose label is no text in its page is named by its section's line.
    const Imported label = importText("[IMG ID]\nCodePage=65001\n[END-IMG "
                                      "ID]\n[POI]\nType=0x3300\nLabel=1\xFF\nData0=(55.75,37.6)\n[END]\n");
    ASSERT_EQ(errorLines(label.memo), 1);
    EXPECT_TRUE(records(label.data).empty());
}
