// The hex viewer window's rules without a window: names and panels, hex text, the text copy's decoding
// and cutting, the ranges of Find and Find next, and snapping distances.
#include <gtest/gtest.h>

#include "hexview/HexWindowRules.h"
#include "support/fixtures/QtPrinting.h"

using namespace hexwindow;

TEST(HexWindowRules, NamesAndCaptions) {
    EXPECT_EQ(DisplayName("/media/cdrom/DATA/REGION1.KWI"), "REGION.KWI");
    EXPECT_EQ(DisplayName("/media/cdrom/alldata1.kwi"), "ALLDATA.KWI");
    EXPECT_EQ(DisplayName("/media/cdrom/ALLDATA2.KWI"), "ALLDATA2.KWI");
    EXPECT_EQ(DisplayName(""), "");
    EXPECT_EQ(Caption(true, "MAP.KWI"), "Hex Viewer  MAP.KWI");
    EXPECT_EQ(Caption(false, "MAP.KWI"), "MAP.KWI");
}

TEST(HexWindowRules, StatusPanels) {
    EXPECT_EQ(AddressPanel(0x1234), "Адрес  0x1234");
    EXPECT_EQ(BytePanel(0xFF), "0xFF (255)");
    EXPECT_EQ(BlockPanel(5, 4), "");
    EXPECT_EQ(SizePanel(5, 4), "");
    EXPECT_EQ(BlockPanel(7, 7), "Блок  0x07 - 0x07");
    EXPECT_EQ(SizePanel(7, 7), "Размер  0x01 (1)");
}

TEST(HexWindowRules, HexTextHasABlankAfterEveryByte) {
    EXPECT_EQ(HexText(QByteArray("\x00\x0A", 2)), "00 0A ");
    EXPECT_EQ(HexText(QByteArray("\xab", 1)), "AB ");
    EXPECT_EQ(HexText(QByteArray()), "");
}

TEST(HexWindowRules, Utf8TextIsCutBeforeASplitCharacterOnly) {
    // Two, three and four byte characters each cut after every one of their bytes but the last.
    for (const QString& letter : {QStringLiteral("Ж"), QStringLiteral("€"), QStringLiteral("𝄞")}) {
        const QByteArray whole = "ab" + letter.toUtf8();
        for (qsizetype cut = 3; cut < whole.size(); ++cut)
            EXPECT_EQ(ClipboardText(whole.left(cut), 65001), QString("ab")) << cut;
        EXPECT_EQ(ClipboardText(whole, 65001), "ab" + letter);
    }
    EXPECT_EQ(ClipboardText(QByteArray("a\0b", 3), 65001), QString("a b"));
    EXPECT_EQ(ClipboardText(QByteArray("a\xFF"
                                       "b"),
                            65001),
              std::nullopt);
    // A lone continuation byte is not a cut character but an invalid one.
    EXPECT_EQ(ClipboardText(QByteArray("ab\x80"), 65001), std::nullopt);
    EXPECT_EQ(ClipboardText(QByteArray("\xC0\0", 2), 1251), QStringLiteral("А "));
}

TEST(HexWindowRules, FindRangesIncludeTheBlocksLastByte) {
    EXPECT_EQ(FindRange(SearchInfo::WholeFile, 1000, 50, 10, 20), (SearchRange{0, 1000}));
    EXPECT_EQ(FindRange(SearchInfo::FromCursor, 1000, 50, 10, 20), (SearchRange{50, 1000}));
    EXPECT_EQ(FindRange(SearchInfo::InBlock, 1000, 50, 10, 20), (SearchRange{10, 21}));
}

TEST(HexWindowRules, FindNextStartsAfterTheCursorAndSkipsARangeSearchedInVain) {
    SearchInfo info;
    info.start = 0;
    info.end = 1000;
    info.lastHit = 40;
    // After a hit the cursor stands on it: the next search starts one byte further.
    EXPECT_EQ(FindNextRange(info, 1000, 40, false, -1), (SearchRange{41, 1000}));
    // The block's end counts in zone 2 only, with its last byte.
    info.zone = SearchInfo::InBlock;
    EXPECT_EQ(FindNextRange(info, 1000, 40, true, 99), (SearchRange{41, 100}));
    EXPECT_EQ(FindNextRange(info, 1000, 40, false, 99), (SearchRange{41, 1000}));
    info.zone = SearchInfo::WholeFile;
    info.lastHit = -1;
    EXPECT_EQ(FindNextRange(info, 1000, 40, false, -1), std::nullopt);
    // Near the old range's end, or before its start, it searches again.
    EXPECT_EQ(FindNextRange(info, 1000, 899, false, -1), (SearchRange{900, 1000}));
    info.start = 500;
    EXPECT_EQ(FindNextRange(info, 1000, 40, false, -1), (SearchRange{41, 1000}));
}

TEST(HexWindowRules, SnappingDistances) {
    EXPECT_EQ(SnapAfterMove(20, 0), SnapMove::Snap);
    EXPECT_EQ(SnapAfterMove(-30, 30), SnapMove::Snap);
    EXPECT_EQ(SnapAfterMove(31, 0), SnapMove::Unsnap);
    EXPECT_EQ(SnapAfterMove(5, -31), SnapMove::Unsnap);
    EXPECT_EQ(SnapAfterMove(0, 12), SnapMove::Keep);
}
