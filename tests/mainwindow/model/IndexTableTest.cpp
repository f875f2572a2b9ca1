// Index tables over records written here byte by byte: field texts of every column type, counts stored in
// records, presence masks, both length modes with the position cache, stored lengths of 0 or past the
// frame, a column of an unknown type, UTF-16 text; the table model (fixed and fetched rows, headers,
// widths, rows out of range); and the tables of the sample town opened the four ways.
#include <gtest/gtest.h>

#include "kiwi/core/MapCodePage.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/index/IndexManager.h"
#include "kiwi/io/MemoryStream.h"
#include "mainwindow/model/index/IndexTableModel.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/QtPrinting.h"
#include "support/fixtures/TownIndex.h"

namespace {

constexpr uint16_t code(char a, char b) {
    return uint16_t(uint16_t(uint8_t(a)) << 8 | uint8_t(b));
}

TLN_Definition_Column column(const std::string& name, const std::string& type, uint16_t count) {
    TLN_Definition_Column c;
    c.Name = name;
    c.TypeCode = type;
    c.ElementCount = count;
    return c;
}

IndexLayout layout(std::vector<TLN_Definition_Column> columns) {
    TLN_Definition_Frame frame;
    frame.Columns = std::move(columns);
    frame.ColumnCount = uint32_t(frame.Columns.size());
    return IndexLayout(frame);
}

// A table of the records (fixed size: recordSize; variable: 0) in a stream of their own.
std::shared_ptr<IndexTable> tableOf(IndexLayout l, const std::vector<std::vector<uint8_t>>& records,
                                    int64_t recordSize, int64_t count = -1) {
    std::vector<uint8_t> bytes(16, 0xEE); // the frame does not start at 0
    for (const auto& r : records)
        bytes.insert(bytes.end(), r.begin(), r.end());
    IndexTableSource source;
    source.stream = std::make_shared<TLN_MemoryStream>(bytes);
    source.start = 16;
    source.recordSize = recordSize;
    source.count = count < 0 ? int64_t(records.size()) : count;
    source.frameEnd = int64_t(bytes.size());
    return std::make_shared<IndexTable>(QStringLiteral("T"), QStringLiteral("Test"), std::move(l), source);
}

QStringList rowTexts(IndexTable& table, int64_t row) {
    QStringList texts;
    for (int c = 0; c < table.ColumnCount(); ++c)
        texts << table.FieldText(row, c);
    return texts;
}

// Sets the map text code page for one test.
struct CodePage {
    explicit CodePage(int page) : old(MapTextCodePage.load()), oldAnsi(MapAnsiCodePage.load()) {
        MapTextCodePage.store(page);
        MapAnsiCodePage.store(0);
    }
    ~CodePage() {
        MapTextCodePage.store(old);
        MapAnsiCodePage.store(oldAnsi);
    }
    int old;
    int oldAnsi;
};

} // namespace

TEST(IndexLayout, FieldTextsOfEveryType) {
    CodePage utf8(65001);
    auto t = tableOf(layout({column("KYCH", "UW", 2), column("FLAG", "UB", 1), column("NIBS", "UH", 4),
                             column("LONG", "UL", 1), column("BITS", "BF", 8), column("POS ", "P6", 1),
                             column("NAME", "CH", code('U', 'B')), column("WORD", "WD", 1)}),
                     {{0x00, 0x01, 0xAB, 0xCD, 0x7F, 0x12, 0x3F, 0xDE, 0xAD, 0xBE, 0xEF, 0xA8,
                       0x01, 0x86, 0xA0, 0x80, 0x2B, 0x67, 3,    'A',  'b',  'c',  0x12, 0x34}},
                     24);
    // "P6": latitude 0x0186A0 = 100000, longitude sign-magnitude -0x2B67.
    const QString p6 = QString::fromStdString(FormatLatitude(100000) + "/" + FormatLongitude(-0x2B67));
    EXPECT_EQ(rowTexts(*t, 0),
              (QStringList{"0001hABCDh", "7Fh", "1h2h3hFh", "DEADBEEFh", "10101000", p6, "Abc", "1234h"}));
    EXPECT_EQ(t->FieldDWord(0, "LONG"), 0xDEADBEEFu);
    EXPECT_EQ(t->FieldDWord(0, "KYCH"), 1u);
    EXPECT_EQ(t->FieldDWord(0, "NIBS"), 1u);
    EXPECT_FALSE(t->FieldDWord(0, "NONE"));
    EXPECT_EQ(t->Layout().Columns()[6].width, 40); // "CH" counted by a byte
    EXPECT_EQ(t->Layout().Columns()[0].width, 10); // "UW" 5 per element
    EXPECT_EQ(t->Layout().Columns()[4].width, 8);  // "BF" 1 per element
    EXPECT_EQ(t->Layout().Columns()[5].width, 0);  // no width for "P6"
}

TEST(IndexLayout, CountsStoredInTheRecordAndAPresenceMask) {
    CodePage utf8(65001);
    // NUMS: a nibble count (2) then 2 nibbles; LIST: a word count; STFG says which of A, B, C exist.
    auto t = tableOf(layout({column("NUMS", "UH", code('U', 'H')), column("LIST", "UB", code('U', 'W')),
                             column("STFG", "UB", 1), column("A   ", "UW", 1), column("B   ", "UW", 1),
                             column("C   ", "UB", 1), column("TAIL", "UB", 1)}),
                     {{0x3A, 0xBC, 0x00, 0x02, 0x11, 0x22, 0b10110000, 0x12, 0x34, 0x56, 0x99},
                      {0x1C, 0x00, 0x00, 0b01010000, 0xAB, 0xCD, 0x77, 0x00, 0x00, 0x00, 0x00}},
                     11);
    EXPECT_EQ(rowTexts(*t, 0), (QStringList{"AhBhCh", "11h22h", "B0h", "1234h", "", "56h", "99h"}));
    // Row 1: one nibble "C", no list, B and TAIL present. A mask bit speaks for every column after it.
    EXPECT_EQ(rowTexts(*t, 1), (QStringList{"Ch", "", "50h", "", "ABCDh", "", "77h"}));
}

TEST(IndexLayout, AnUnknownTypeEndsWhatCanBeLocated) {
    auto t = tableOf(layout({column("GOOD", "UB", 1), column("ODD ", "ZZ", 1), column("LATE", "UB", 1)}),
                     {{0x11, 0x22, 0x33}}, 3);
    // The later column would show the record's first byte if the walk gave up at offset 0.
    EXPECT_EQ(rowTexts(*t, 0), (QStringList{"11h", "", ""}));
    EXPECT_FALSE(t->Layout().Locate(std::vector<uint8_t>{1, 2, 3}, 2));
}

TEST(IndexLayout, TextInUtf16AndOneStringPerLanguage) {
    CodePage utf16(1200);
    const std::vector<uint8_t> record = {8, 0x04, 0x1C, 0x04, 0x38, 0x04, 0x40, 0x00, 0x00, // "Мир" + NUL
                                         4, 0x00, 'A',  0x00, 0x00};
    auto t = tableOf(layout({column("NAME", "CH", code('U', 'B')), column("MULT", "MC", code('U', 'B'))}),
                     {record}, int64_t(record.size()));
    EXPECT_EQ(t->FieldText(0, 0), QString::fromUtf8("Мир"));
    EXPECT_EQ(t->FieldText(0, 1), QStringLiteral("A"));
    CodePage utf8(65001);
    auto m = tableOf(layout({column("MULT", "MC", code('U', 'B')), column("VARC", "VC", 3)}),
                     {{9, 'E', 'N', 'G', 0, 0xD0, 0x9C, 0xD0, 0xB8, 0, 'x', 0xC3, 0xA9, 'y'}}, 14);
    EXPECT_EQ(m->FieldText(0, 0), QString::fromUtf8("ENG / Ми"));
    // "VC": one byte, or two when the first is 130 or more.
    EXPECT_EQ(m->FieldText(0, 1), QString::fromUtf8("xéy"));
}

TEST(IndexTable, BothLengthModesWalkOnceAndStopAtABadLength) {
    for (const std::string type : {"UB", "UW"}) {
        // Records of 2, 3 and 4 words: the length in words at byte 1 ("UB") or in the u16 at 2 ("UW").
        const auto rec = [&](int words, uint8_t tag) {
            std::vector<uint8_t> r(size_t(words) * 2, tag);
            if (type == "UB")
                r[1] = uint8_t(words);
            else
                r[2] = 0, r[3] = uint8_t(words);
            return r;
        };
        std::vector<std::vector<uint8_t>> records;
        for (int i = 0; i < 30; ++i)
            records.push_back(rec(2 + i % 3, uint8_t(0x10 + i)));
        auto t = tableOf(layout({column("TAG ", "UB", 1), column("FDRL", type, 1)}), records, 0);
        EXPECT_TRUE(t->Sequential());
        EXPECT_EQ(t->KnownRecords(), 0);
        EXPECT_EQ(t->FieldText(5, 0), QStringLiteral("15h")) << type;
        EXPECT_EQ(t->KnownRecords(), 6);
        EXPECT_EQ(t->FieldText(29, 0), QStringLiteral("2Dh"));
        EXPECT_EQ(t->KnownRecords(), 30);
        // Row 3 again: from the cache, one read for its record.
        const int64_t reads = t->RecordReads();
        EXPECT_EQ(t->FieldText(3, 0), QStringLiteral("13h"));
        EXPECT_EQ(t->FieldText(3, 1).isEmpty(), false);
        EXPECT_EQ(t->RecordReads(), reads + 1);
        EXPECT_FALSE(t->SeekRecord(30));
        EXPECT_FALSE(t->SeekRecord(-1));

        // A stored length of 0 at record 4: records 0..4 show, the rest are empty rows, the count stays.
        records[4] = rec(2, 0x14);
        if (type == "UB")
            records[4][1] = 0;
        else
            records[4][3] = 0;
        auto zero = tableOf(layout({column("TAG ", "UB", 1), column("FDRL", type, 1)}), records, 0);
        EXPECT_EQ(zero->FieldText(3, 0), QStringLiteral("13h"));
        EXPECT_EQ(zero->FieldText(5, 0), QString());
        EXPECT_EQ(zero->FieldText(29, 0), QString());
        EXPECT_EQ(zero->RecordCount(), 30);
        EXPECT_EQ(zero->KnownRecords(), 5);

        // A length past the frame.
        records[4] = rec(2, 0x14);
        records[2][type == "UB" ? 1 : 3] = 0xFF;
        auto past = tableOf(layout({column("TAG ", "UB", 1), column("FDRL", type, 1)}), records, 0);
        EXPECT_EQ(past->FieldText(1, 0), QStringLiteral("11h"));
        EXPECT_EQ(past->FieldText(2, 0), QString());
        EXPECT_EQ(past->FieldText(3, 0), QString());
    }
}

TEST(IndexTableModel, FixedAndFetchedRowsHeadersAndWidths) {
    std::vector<std::vector<uint8_t>> records(10000, std::vector<uint8_t>{0x00, 0x02, 0x12, 0x34});
    auto fixed = tableOf(layout({column("FDRX", "UB", 2), column("KYCH", "UW", 1)}), records, 4);
    IndexTableModel model(fixed);
    EXPECT_EQ(model.rowCount(), 10000);
    EXPECT_FALSE(model.canFetchMore({}));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("KYCH"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, IndexTableModel::WidthRole).toInt(), 5);
    EXPECT_EQ(model.index(9999, 1).data().toString(), QStringLiteral("1234h"));
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.data(model.index(10000, 0)).isValid());

    // A hostile count beyond the frame: the rows that fit, and a remark; records of 8 GiB never seek.
    auto claimed = tableOf(layout({column("KYCH", "UW", 1)}), {{0x12, 0x34}}, 2, int64_t(3) << 31);
    IndexTableModel hostile(claimed);
    EXPECT_EQ(hostile.rowCount(), 1);
    EXPECT_EQ(hostile.index(0, 0).data().toString(), QStringLiteral("1234h"));
    EXPECT_EQ(claimed->CountRemark(),
              QString::fromUtf8("T: объявлено записей 6 442 450 944, в кадре умещается 1"));
    EXPECT_EQ(tableOf(layout({column("KYCH", "UW", 1)}), {}, 0x1FFFFFFFE, 4284219647)->RecordCount(), 0);

    auto sequential = tableOf(layout({column("FDRL", "UB", 2), column("KYCH", "UW", 1)}), records, 0);
    IndexTableModel fetched(sequential);
    EXPECT_EQ(fetched.rowCount(), IndexTableModel::kFetchRows);
    EXPECT_TRUE(fetched.canFetchMore({}));
    while (fetched.canFetchMore({}))
        fetched.fetchMore({});
    EXPECT_EQ(fetched.rowCount(), 10000);
    EXPECT_EQ(fetched.index(9999, 1).data().toString(), QStringLiteral("1234h"));
}

TEST(IndexTable, TheSampleTownsTablesOpenedTheFourWays) {
    CodePage utf8(65001);
    const std::string folder = fixture::scratchDir("index-table-town");
    const fixture::TownIndexFiles files = fixture::buildTownIndex();
    fixture::writeFile(folder + "/INDEXDAT.KWI", files.index);
    fixture::writeFile(folder + "/SRCH0001.KWI", files.dataFile);
    TLN_IndexManager reader(folder + "/INDEXDAT.KWI");
    ASSERT_TRUE(reader.IsValid());
    TLN_Volume_Management_Record volume;
    ASSERT_TRUE(reader.ReadVolumeRecord(0, volume));
    TLN_Search_Frame_Header frame;
    ASSERT_TRUE(reader.ReadSearchFrameHeader(volume.FrameAddress, volume.UsesFileAddresses(), frame));
    TLN_Detailed_Info_Rec record;
    ASSERT_TRUE(reader.ReadDetailedSearchRecord(frame, 0, record));

    for (const auto& category :
         {IndexTable::OpenCategory(&reader, record, false), IndexTable::OpenFSLZCategory(&reader, record)}) {
        ASSERT_EQ(category->RecordCount(), int64_t(fixture::townPlaceKinds().size()));
        EXPECT_EQ(category->Representation(), QString::fromUtf8("Места"));
        EXPECT_EQ(category->FieldText(2, "NAME"), QString::fromUtf8("Магазины"));
        EXPECT_EQ(category->FieldText(0, "KYCH"), QStringLiteral("0001h"));
    }
    const auto matching = IndexTable::OpenMatching(&reader, record);
    ASSERT_EQ(matching->RecordCount(), int64_t(fixture::townPlaces().size()));
    EXPECT_EQ(matching->FieldText(4, "NAME"), QString::fromUtf8("Вокзал"));
    EXPECT_TRUE(matching->FieldText(4, "RLXY")->startsWith(QLatin1Char('N')));
    EXPECT_EQ(matching->Layout().Columns()[2].width, 26);

    TLN_POI_Management_Record poi;
    ASSERT_TRUE(reader.ReadPOIManagementRecord(0, poi));
    TLN_Search_Frame_Header poiFrame;
    ASSERT_TRUE(reader.ReadSearchFrameHeader(poi.FrameAddress, poi.UsesFileAddresses(), poiFrame));
    TLN_Detailed_POIInfo_Rec poiRecord;
    ASSERT_TRUE(reader.ReadDetailedPOIRecord(poiFrame, 0, poiRecord));
    const auto info = IndexTable::OpenPOIInfo(&reader, poiRecord);
    EXPECT_EQ(info->Caption(), QStringLiteral("POI INFO"));
    EXPECT_EQ(info->Representation(), QStringLiteral("POI Info Table"));
    EXPECT_EQ(info->RecordCount(), int64_t(fixture::townPlaces().size()));

    try {
        IndexTable::OpenMatching(nullptr, record);
        FAIL() << "opened without a reader";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "IndexManager does not exist!");
    }
}
