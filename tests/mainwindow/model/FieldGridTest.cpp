// The field grid's rows: the text each row operation writes, the header and Help rules, virtual rows
// read through their provider, the address jump and the text dump.
#include <gtest/gtest.h>

#include <QLocale>
#include <functional>
#include <limits>
#include <map>
#include <stdexcept>

#include "kiwi/display/KiwiFormat.h"
#include "mainwindow/model/FieldGrid.h"
#include "support/model/GridDump.h"

namespace {

const QString kDashes = QStringLiteral("- - - - - - - -");
const QString r = QStringLiteral("r");

struct RowCase {
    const char* label;
    std::function<void(FieldGrid&)> add;
    QString value;
    QString remark;
};

class FieldGridTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QString Cell(int row, int column) const { return model.CellText(row, column); }
    int Rows() const { return model.rowCount(); }

    FieldGridModel model;
    FieldGrid grid{model};
};

QString sys(const char* degrees) {
    // The degree remarks use the system's decimal separator.
    return QString::fromLatin1(degrees).replace(QLatin1Char('.'), QLocale::system().decimalPoint());
}

} // namespace

TEST_F(FieldGridTest, EachRowOperationWritesItsTextForms) {
    const std::vector<RowCase> cases = {
        {"byte", [](FieldGrid& g) { g.AddByteRow("n", r, 0x1F); }, "0 x 1F", "(31) r"},
        {"byte 0", [](FieldGrid& g) { g.AddByteRow("n", {}, 0); }, "0 x 00", "(0) "},
        {"byte FF", [](FieldGrid& g) { g.AddByteRow("n", r, 0xFF); }, "0 x FF", "(255) r"},
        {"dword -1", [](FieldGrid& g) { g.AddDWordRow("n", r, 0xFFFFFFFFu); }, "0xFFFFFFFF", "r"},
        {"dword unsigned", [](FieldGrid& g) { g.AddDWordRow("n", r, 4000000000u); }, "4000000000", "r"},
        {"dword 0", [](FieldGrid& g) { g.AddDWordRow("n", r, 0); }, "0", "r"},
        {"word", [](FieldGrid& g) { g.AddWordRow("n", r, 65535); }, "65535", "r"},
        {"word hex", [](FieldGrid& g) { g.AddWordHexRow("n", r, 0x1234); }, "0 x 12 34", "(4660) r"},
        {"hexdec all four bytes", [](FieldGrid& g) { g.AddHexDecRow("n", r, 0x100); }, "0 x 00 00 01 00",
         "(256) r"},
        {"hexdec unsigned", [](FieldGrid& g) { g.AddHexDecRow("n", r, 0xFFFFFFFFu); }, "0 x FF FF FF FF",
         "(4294967295) r"},
        {"dword hexdec significant bytes", [](FieldGrid& g) { g.AddDWordHexDecRow("n", r, 0x100); },
         "0 x 01 00", "(256) r"},
        {"dword hexdec 40 bits", [](FieldGrid& g) { g.AddDWordHexDecRow("n", r, 0x123456789A); },
         "0 x 12 34 56 78 9A", "(78187493530) r"},
        {"int64 hex, decimal remark", [](FieldGrid& g) { g.AddInt64HexRow("n", {}, 0x1234); },
         "0 x 00 00 12 34", "(4660)"},
        {"int64 hex, own remark", [](FieldGrid& g) { g.AddInt64HexRow("n", r, 0x1234); }, "0 x 00 00 12 34",
         "r"},
        {"int64 hex negative", [](FieldGrid& g) { g.AddInt64HexRow("n", {}, -1); }, "0 x FF FF FF FF",
         "(-1)"},
        {"hex64 halves", [](FieldGrid& g) { g.AddHex64Row("n", r, 0x89ABCDEFu, 0x01234567u); },
         "0 x 0123456789ABCDEF", "r"},
        {"hex64 value", [](FieldGrid& g) { g.AddHex64Row("n", r, uint64_t(0x2A)); }, "0 x 000000000000002A",
         "r"},
        {"pair", [](FieldGrid& g) { g.AddPairRow("n", r, -3, 7); }, "-3 / 7", "r"},
        {"yes", [](FieldGrid& g) { g.AddYesNoRow("n", r, true); }, "YES", "r"},
        {"no", [](FieldGrid& g) { g.AddYesNoRow("n", r, false); }, "NO", "r"},
        {"yes row", [](FieldGrid& g) { g.AddYesRow("n", r, true); }, "YES", "r"},
        {"date 0", [](FieldGrid& g) { g.AddDateRow("n", r, 0); }, kDashes, "r"},
        {"date 1", [](FieldGrid& g) { g.AddDateRow("n", r, 1); }, "1997-01-02", "r"},
        {"date a year on", [](FieldGrid& g) { g.AddDateRow("n", r, 365); }, "1998-01-01", "r"},
        {"date 65534", [](FieldGrid& g) { g.AddDateRow("n", r, 65534); }, "2176-06-05", "r"},
        {"date 65535", [](FieldGrid& g) { g.AddDateRow("n", r, 65535); }, kDashes, "r"},
        {"float", [](FieldGrid& g) { g.AddFloatRow("n", r, 1.5f); }, "1.50", "r"},
        {"float negative", [](FieldGrid& g) { g.AddFloatRow("n", r, -2.25f); }, "-2.25", "r"},
        {"float zero", [](FieldGrid& g) { g.AddFloatRow("n", r, 0.0f); }, "0.00", "r"},
        {"float tiny negative", [](FieldGrid& g) { g.AddFloatRow("n", r, -0.001f); }, "0.00", "r"},
        {"float six digits", [](FieldGrid& g) { g.AddFloatRow("n", r, 12345.678f); }, "12345.70", "r"},
        {"float six integer digits", [](FieldGrid& g) { g.AddFloatRow("n", r, 123456.7f); }, "123457.00",
         "r"},
        {"float exponent", [](FieldGrid& g) { g.AddFloatRow("n", r, 1234567.0f); }, "1.23457E+006", "r"},
        {"float rounds up to exponent", [](FieldGrid& g) { g.AddFloatRow("n", r, 999999.5f); },
         "1.00000E+006", "r"},
        {"float negative exponent", [](FieldGrid& g) { g.AddFloatRow("n", r, -1234567.0f); }, "-1.23457E+006",
         "r"},
        {"float largest", [](FieldGrid& g) { g.AddFloatRow("n", r, std::numeric_limits<float>::max()); },
         "3.40282E+038", "r"},
        {"float nan", [](FieldGrid& g) { g.AddFloatRow("n", r, std::numeric_limits<float>::quiet_NaN()); },
         "NAN", "r"},
        {"text", [](FieldGrid& g) { g.AddTextRow("n", "v", r); }, "v", "r"},
        {"value cell", [](FieldGrid& g) { g.SetValueCell("n", "v"); }, "v", ""},
        {"name only", [](FieldGrid& g) { g.AddRow("n"); }, "", ""},
        {"colour", [](FieldGrid& g) { g.AddColorRow("n", 0x00336699); }, "0 x 00 33 66 99", ""},
        {"lat/lon unset latitude",
         [](FieldGrid& g) {
             g.AddLatLonRow("n", true, TLN_Point{3947658, int32_t(0xFF800001u)});
         },
         kDashes, sys("-291.271 / 137.071") + "  ()"},
        {"lat/lon unset longitude",
         [](FieldGrid& g) {
             g.AddLatLonRow("n", false, TLN_Point{int32_t(0xFF800001u), 1005219});
         },
         kDashes, sys("34.903 / -291.271")},
        {"lat/lon plain",
         [](FieldGrid& g) {
             g.AddLatLonRow("n", false, TLN_Point{3947658, 1005219});
         },
         "N34*54'12,3 / E137*4'17,2", sys("34.903 / 137.071")},
        {"lat/lon with maker",
         [](FieldGrid& g) {
             g.AddLatLonRow("n", true, TLN_Point{3947658, 1005219});
         },
         "N34*54'12,3 / E137*4'17,2", sys("34.903 / 137.071") + "  (AISIN-AW)"},
        {"lat/lon west and south",
         [](FieldGrid& g) {
             g.AddLatLonRow("n", false, TLN_Point{-28800, -28800});
         },
         "S1*0'0,0 / W1*0'0,0", sys("-1.000 / -1.000")},
    };
    for (const RowCase& c : cases) {
        model.Clear();
        c.add(grid);
        ASSERT_EQ(Rows(), 1) << c.label;
        EXPECT_EQ(Cell(0, 0), "n") << c.label;
        EXPECT_EQ(Cell(0, 1), c.value) << c.label;
        EXPECT_EQ(Cell(0, 2), c.remark) << c.label;
    }
}

TEST_F(FieldGridTest, FloatsUseTheLocaleDecimalSeparator) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    grid.AddFloatRow("n", {}, 1.5f);
    grid.AddFloatRow("n", {}, 1234567.0f);
    EXPECT_EQ(Cell(0, 1), "1,50");
    EXPECT_EQ(Cell(1, 1), "1,23457E+006");
}

TEST_F(FieldGridTest, RowsThatAreNotPlainCarryTheirTagAndPayload) {
    grid.AddYesRow("absent", r, false);
    EXPECT_EQ(Rows(), 0);
    grid.AddColorRow("Colour", 0x00336699);
    grid.AddImageRow("Image", 1);
    grid.AddSubHeader("Sub", "v");
    EXPECT_EQ(model.Row(0).tag, RowTag::ColorSwatch);
    EXPECT_EQ(model.data(model.index(0, 2), FieldGridModel::PayloadRole).toUInt(), 0x00336699u);
    EXPECT_EQ(model.data(model.index(1, 0), FieldGridModel::TagRole).toInt(), int(RowTag::Image));
    EXPECT_EQ(model.data(model.index(1, 2), FieldGridModel::PayloadRole).toInt(), 1);
    EXPECT_EQ(Cell(2, 0), "         Sub");
    EXPECT_EQ(Cell(2, 1), "v");
    EXPECT_EQ(model.Row(2).tag, RowTag::SubHeader);

    // The image row names an image that arrives later; the model hands it out once it exists.
    EXPECT_TRUE(model.data(model.index(1, 2), FieldGridModel::ImageRole).value<QImage>().isNull());
    EXPECT_EQ(grid.AddImage(QImage(8, 8, QImage::Format_ARGB32)), 0);
    int changed = -1;
    QObject::connect(&model, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& from, const QModelIndex&) { changed = from.row(); });
    EXPECT_EQ(grid.AddImage(QImage(16, 24, QImage::Format_ARGB32)), 1);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(model.data(model.index(1, 2), FieldGridModel::ImageRole).value<QImage>().size(), QSize(16, 24));
    EXPECT_EQ(model.Image(2), nullptr);

    grid.SetHelpLink("doc");
    grid.Clear();
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(model.Image(0), nullptr);
    EXPECT_TRUE(model.HelpUrl().isEmpty());
}

TEST_F(FieldGridTest, SectionHeadersTakeBlankRowsOnlyWhereDataRowsAre) {
    grid.AddSectionHeader("LOADING", "v");
    ASSERT_EQ(Rows(), 2); // no blank before the first row, one after
    EXPECT_EQ(Cell(0, 0), "         < LOADING >");
    EXPECT_EQ(Cell(0, 1), "v");
    EXPECT_EQ(Cell(0, 2), "");
    EXPECT_EQ(model.Row(0).tag, RowTag::SectionHeader);
    EXPECT_EQ(Cell(1, 0), "");

    grid.AddWordRow("Count", {}, 3);
    grid.AddSectionHeaderOffset("System", {}, 0x1234);
    ASSERT_EQ(Rows(), 5); // blank before, none after
    EXPECT_EQ(Cell(3, 0), "");
    EXPECT_EQ(Cell(4, 0), "         < System >");
    EXPECT_EQ(Cell(4, 2), "Offset=0 x 00 00 12 34");

    grid.AddSectionHeaderAt("Unit", {}, 0x123456789A);
    ASSERT_EQ(Rows(), 8); // blank before and after
    EXPECT_EQ(Cell(6, 2), "Offset=0 x 12 34 56 78 9A");
    EXPECT_EQ(Cell(7, 0), "");

    grid.AddSectionHeaderOffset("No position", {}, -1);
    EXPECT_EQ(Cell(Rows() - 1, 2), "");
    grid.AddSectionHeaderOffset("At zero", {}, 0);
    EXPECT_EQ(Cell(Rows() - 1, 2), "Offset=0 x 00 00 00 00");
}

TEST_F(FieldGridTest, HelpLinkGoesOnlyOnABlankLastRow) {
    grid.SetHelpLink("format_english/pdf/3000122e.pdf"); // empty grid: nothing
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(model.HelpUrl().isEmpty());

    grid.AddSectionHeader("LOADING");
    grid.SetHelpLink("format_english/pdf/3000122e.pdf");
    EXPECT_EQ(Cell(1, 2), "Help");
    EXPECT_EQ(model.Row(1).tag, RowTag::HelpLink);
    EXPECT_EQ(model.HelpUrl(), "format_english/pdf/3000122e.pdf");

    grid.AddWordRow("Count", {}, 1);
    grid.SetHelpLink("format_english/pdf/0500122e.pdf"); // last row has a name: nothing
    EXPECT_EQ(Cell(2, 2), "");
    EXPECT_EQ(model.Row(2).tag, RowTag::Plain);
    EXPECT_EQ(model.HelpUrl(), "format_english/pdf/3000122e.pdf");

    grid.AddEmptyRow();
    grid.SetVirtualRows(2, [](int, int, QString& text) {
        text = "x";
        return true;
    });
    grid.SetHelpLink("format_english/pdf/0600122e.pdf"); // last row is virtual: nothing
    EXPECT_EQ(model.Row(3).tag, RowTag::Plain);
    EXPECT_EQ(model.HelpUrl(), "format_english/pdf/3000122e.pdf");
}

TEST_F(FieldGridTest, AddressJumpFollowsTheRemarkThenTheName) {
    struct JumpCase {
        const char* label;
        std::function<void(FieldGrid&)> add;
        std::optional<int64_t> offset;
    };
    const std::vector<JumpCase> cases = {
        {"name says address", [](FieldGrid& g) { g.AddInt64HexRow("Data Address", {}, 0x1234); }, 0x1234},
        {"name says offset, any case", [](FieldGrid& g) { g.AddHexDecRow("offset to names", {}, 0x40); },
         0x40},
        {"five bytes", [](FieldGrid& g) { g.AddInt64HexRow("Address", {}, 0x1234567890); }, 0x1234567890},
        {"FF FF FF FF is none", [](FieldGrid& g) { g.AddInt64HexRow("Data Address", {}, 0xFFFFFFFF); }, {}},
        {"all ones is none", [](FieldGrid& g) { g.AddHexDecRow("Data Address", {}, 0xFFFFFFFFu); }, {}},
        {"-1 is none", [](FieldGrid& g) { g.AddInt64HexRow("Data Address", {}, -1); }, {}},
        {"zero is none", [](FieldGrid& g) { g.AddHexDecRow("Offset", {}, 0); }, {}},
        {"decimal value", [](FieldGrid& g) { g.AddDWordRow("Address", {}, 1234); }, {}},
        {"named DISPLACEMENT", [](FieldGrid& g) { g.AddHexDecRow("DISPLACEMENT", {}, 0x40); }, {}},
        {"remark says displacement",
         [](FieldGrid& g) { g.AddHexDecRow("Offset", "Displacement from the frame", 0x40); },
         {}},
        {"header remark", [](FieldGrid& g) { g.AddSectionHeaderOffset("Frame", {}, 0x800); }, 0x800},
        {"remark address wins over the value",
         [](FieldGrid& g) { g.AddTextRow("Size", "0 x 00 00 00 10", "Address 0 x 00 00 01 00"); }, 0x100},
        {"remark names offset but holds no hex",
         [](FieldGrid& g) { g.AddHexDecRow("Name Offset", "offset of the name", 0x20); },
         {}},
        {"plain row", [](FieldGrid& g) { g.AddHexDecRow("Size", {}, 0x20); }, {}},
    };
    for (const JumpCase& c : cases) {
        model.Clear();
        c.add(grid);
        EXPECT_EQ(model.JumpOffset(Rows() - 1), c.offset) << c.label;
    }
    EXPECT_EQ(model.JumpOffset(-1), std::nullopt);
    EXPECT_EQ(model.JumpOffset(Rows()), std::nullopt);

    model.Clear();
    grid.SetVirtualRows(2, [](int row, int column, QString& text) {
        text = column == 0 ? QStringLiteral("Record Address")
                           : QString::fromStdString(FormatDWordHex(0x40 * row));
        return true;
    });
    EXPECT_EQ(model.JumpOffset(0), std::nullopt);
    EXPECT_EQ(model.JumpOffset(1), 0x40);
}

TEST_F(FieldGridTest, VirtualRowsAskTheProviderOncePerCell) {
    std::map<std::pair<int, int>, int> asked;
    grid.AddSectionHeader("List");
    grid.SetVirtualRows(1000, [&](int row, int column, QString& text) {
        ++asked[{row, column}];
        text = QStringLiteral("%1:%2").arg(row).arg(column);
        return true;
    });
    ASSERT_EQ(Rows(), 1002);
    EXPECT_EQ(model.FirstVirtualRow(), 2);
    EXPECT_TRUE(asked.empty()); // nothing is read until shown

    // A paint reads a row's cells in turn, each with several roles.
    for (int row = 2; row < 12; ++row)
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(model.data(model.index(row, column)).toString(),
                      QStringLiteral("%1:%2").arg(row - 2).arg(column));
            model.data(model.index(row, column), FieldGridModel::TagRole);
            model.data(model.index(row, column));
        }
    EXPECT_EQ(asked.size(), 30u);
    for (const auto& [cell, count] : asked)
        EXPECT_EQ(count, 1) << cell.first << "," << cell.second;
    EXPECT_EQ(model.ProviderCalls(), 30);
    EXPECT_EQ(model.data(model.index(5, 0), FieldGridModel::TagRole).toInt(), 0);

    // The memo holds one row: going back reads again, a refresh forgets it.
    Cell(2, 0);
    Cell(2, 2);
    EXPECT_EQ((asked[{0, 0}]), 2);
    EXPECT_EQ((asked[{0, 2}]), 2);
    model.RefreshVirtualRows();
    Cell(2, 1);
    EXPECT_EQ((asked[{0, 1}]), 3);
}

TEST_F(FieldGridTest, ProviderFailuresShowEmptyCells) {
    grid.SetVirtualRows(4, [](int row, int column, QString& text) -> bool {
        text = QStringLiteral("stale");
        if (row == 1 && column == 1) throw std::runtime_error("read error");
        if (row == 2 && column == 2) throw 7;
        return row != 3;
    });
    EXPECT_EQ(Cell(1, 0), "stale");
    EXPECT_EQ(Cell(1, 1), "");
    EXPECT_EQ(Cell(1, 2), "stale");
    EXPECT_EQ(Cell(2, 2), "");
    EXPECT_EQ(Cell(3, 0), ""); // false: no text, whatever the provider left
    EXPECT_EQ(Cell(4, 0), ""); // past the end
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), "");
}

TEST_F(FieldGridTest, RowsAddedAfterVirtualRowsFollowThem) {
    grid.AddWordRow("Count", {}, 3);
    int insertedFirst = -1, insertedLast = -1;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int last) {
        insertedFirst = first;
        insertedLast = last;
    });
    grid.SetVirtualRows(3, [](int row, int, QString& text) {
        text = QString::number(row);
        return true;
    });
    EXPECT_EQ(insertedFirst, 1);
    EXPECT_EQ(insertedLast, 3);
    const int after = grid.AddRow("After");
    EXPECT_EQ(after, 4);
    EXPECT_EQ(Cell(1, 0), "0");
    EXPECT_EQ(Cell(3, 0), "2");
    EXPECT_EQ(Cell(4, 0), "After");
    EXPECT_EQ(model.Row(after).name, "After");
    EXPECT_TRUE(model.IsVirtualRow(3));
    EXPECT_FALSE(model.IsVirtualRow(4));
    EXPECT_THROW(model.Row(2), std::out_of_range);

    // New virtual rows replace the old ones and follow every stored row.
    grid.SetVirtualRows(1, [](int, int, QString& text) {
        text = "new";
        return true;
    });
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(Cell(1, 0), "After");
    EXPECT_EQ(Cell(2, 0), "new");
    grid.SetVirtualRows(-5, nullptr);
    EXPECT_EQ(Rows(), 2);
}

TEST_F(FieldGridTest, DumpWritesEveryRowAndSumsUpLongVirtualLists) {
    grid.AddSectionHeaderOffset("Palette", "v", 0x10);
    grid.AddEmptyRow();
    grid.SetHelpLink("format_english/pdf/0807122e.pdf");
    grid.AddColorRow("Colour", 0x00336699);
    grid.AddImage(QImage(48, 32, QImage::Format_ARGB32));
    grid.AddImageRow("Image", 0);
    grid.AddImageRow("Lost image", 5);
    grid.AddTextRow("Two|lines", "a\nb", "c\\d");
    grid.SetVirtualRows(203, [](int row, int column, QString& text) {
        text = QStringLiteral("%1.%2").arg(row).arg(column);
        return true;
    });
    grid.AddRow("After");
    const QString expected = QStringLiteral("1|         < Palette >|v|Offset=0 x 00 00 00 10\n"
                                            "2|||Help\n"
                                            "3|Colour|0 x 00 33 66 99||colour=00336699\n"
                                            "4|Image|||image=0 48x32\n"
                                            "4|Lost image|||image=5 missing\n"
                                            "0|Two|lines|a\\nb|c\\\\d\n");
    QString virtualLines;
    for (int row = 0; row < 3; ++row)
        virtualLines += QStringLiteral("0|%1.0|%1.1|%1.2\n").arg(row);
    const QString dump = DumpGrid(model, 3);
    EXPECT_EQ(dump, expected + virtualLines +
                        QStringLiteral("…(200 more)\n0|After||\n@help format_english/pdf/0807122e.pdf\n"));
    // The default limit is 200 rows.
    const QStringList lines = DumpGrid(model).split('\n');
    EXPECT_EQ(lines.count(), 6 + 200 + 4);
    EXPECT_EQ(lines[6 + 200], QStringLiteral("…(3 more)"));
}
