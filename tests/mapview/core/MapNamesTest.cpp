// Where and how names are drawn, on a recording canvas (text metrics: half the pixel height per character,
// one more when bold, the pixel height tall): each string type's placement, font, colours and box, icons,
// one-way arrows, names of figures, and the display scale filter.
#include <cmath>

#include "kiwi/core/MapCodePage.h"
#include "mapview/MapViewTestSupport.h"
#include "mapview/core/MapPainting.h"

namespace {

using namespace mapviewtest;
using fixture::FrameRequest;
using fixture::NameRecordPlan;
using fixture::sketchNameRecord;
using Kind = CanvasCall::Kind;

constexpr SketchPoint kAnchor{2000, 2000};

// A one-parcel map whose names are the given records (class 0), drawn at 4 units per pixel.
struct NameMap {
    std::shared_ptr<TLN_KiwiMap> map;
    MapRenderView view;
    QPoint anchor;
};

NameMap nameMap(const std::string& name, std::vector<NameRecordPlan> records, int layers = 7) {
    NameMap m;
    m.map = openSketchMap(
        name,
        [records](const FrameRequest&) {
            SketchFrames f;
            for (const NameRecordPlan& record : records)
                f.names.push_back({0, record});
            return f;
        },
        1, 1);
    m.view = viewOf(m.map, 4, 1024, 1024, layers);
    m.anchor = pixelOf(m.view, 0, 0, kAnchor);
    return m;
}

NameRecordPlan nameAt(uint8_t type, uint16_t typeCode, const std::string& text, uint16_t typeWord = 0) {
    return sketchNameRecord(type, typeCode, kAnchor, text, typeWord);
}

TEST(MapNames, TypeOneIsCentredInAWhiteBox) {
    const NameMap m = nameMap("type1", {nameAt(1, 300, "ABCD"), nameAt(1, 305, "ABCD"),
                                        nameAt(1, 450, "ABCD"), nameAt(1, 510, "ab\tcd")});
    const auto texts = record(m.view).CallsOf(Kind::Text);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].points[0], m.anchor - QPoint(14, 7));
    EXPECT_EQ(texts[0].font, (MapFont{14, false}));
    EXPECT_EQ(texts[0].background, QColor(Qt::white));
    EXPECT_EQ(texts[0].color, QColor(Qt::black));
    // 304 to 308 are bold.
    EXPECT_EQ(texts[1].font, (MapFont{14, true}));
    EXPECT_EQ(texts[1].points[0], m.anchor - QPoint(16, 7));
    // 450 has no box.
    EXPECT_FALSE(texts[2].background.isValid());
    // 510 shows what follows its first tab.
    EXPECT_EQ(texts[3].text, "cd");
}

TEST(MapNames, TypeTwoIsOffsetWithAWhiteShadow) {
    NameRecordPlan offset = nameAt(2, 258, "Река", 0xFD05); // offsets -3 and 5
    offset.word6 = 2;                                       // times 4
    const NameMap m = nameMap("type2", {offset, nameAt(2, 305, "Silver"), nameAt(3, 0, "Plain")});
    const auto texts = record(m.view).CallsOf(Kind::Text);
    ASSERT_EQ(texts.size(), 5u);
    const QPoint at = m.anchor + QPoint(-12, 20);
    EXPECT_EQ(texts[0].points[0], at + QPoint(1, 1));
    EXPECT_EQ(texts[0].color, QColor(Qt::white));
    EXPECT_EQ(texts[1].points[0], at);
    EXPECT_EQ(texts[1].color, QColor(Qt::black));
    EXPECT_EQ(texts[1].font, (MapFont{16, true}));
    EXPECT_FALSE(texts[1].background.isValid());
    EXPECT_EQ(texts[3].color, QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(texts[3].font, (MapFont{20, true}));
    // The silver name's colour does not carry over to the next name.
    EXPECT_EQ(texts[4].points[0], m.anchor);
    EXPECT_EQ(texts[4].color, QColor(Qt::black));
    EXPECT_EQ(texts[4].font, (MapFont{16, false}));
}

TEST(MapNames, TypeFiveTurnsTextWithAWhiteHalo) {
    const NameMap m = nameMap("type5", {nameAt(5, 100, "Tverskaya", 30)});
    const auto texts = record(m.view).CallsOf(Kind::RotatedText);
    ASSERT_EQ(texts.size(), 3u);
    // Escapement 90 - 30 degrees; the offsets use 57.3 degrees per radian.
    const double r = 60.0 / 57.3;
    const int w = 9 * 8, h = 16;
    const int p = int(std::lround(std::cos(r) * w + std::sin(r) * h));
    const int q = int(std::lround(std::sin(r) * w - std::cos(r) * h));
    const QPoint start(m.anchor.x() - p / 2, m.anchor.y() + q / 2);
    EXPECT_EQ(texts[0].points[0], start + QPoint(1, 1));
    EXPECT_EQ(texts[1].points[0], start + QPoint(-1, -1));
    EXPECT_EQ(texts[2].points[0], start);
    EXPECT_DOUBLE_EQ(texts[2].degrees, 60.0);
    EXPECT_EQ(texts[0].color, QColor(Qt::white));
    EXPECT_EQ(texts[2].color, QColor(Qt::black));
}

TEST(MapNames, CodeFourNinetyEightDrawsTheOneWayArrowCentred) {
    const NameMap m = nameMap("arrow", {nameAt(5, 498, "", 90)});
    const auto images = record(m.view).CallsOf(Kind::Image);
    ASSERT_EQ(images.size(), 1u);
    const QImage arrow = OneWayArrow(90);
    ASSERT_FALSE(arrow.isNull());
    EXPECT_EQ(images[0].imageSize, arrow.size());
    EXPECT_EQ(images[0].points[0], m.anchor - QPoint(arrow.width() / 2, arrow.height() / 2));
    // Turned a quarter, the arrow is taller than wide, and its corners are clear.
    EXPECT_GT(arrow.height(), arrow.width());
    EXPECT_EQ(qAlpha(arrow.pixel(0, 0)), 0);
}

TEST(MapNames, TypeSixPlacesItsBoxedTextByItsPosition) {
    const NameMap m = nameMap("type6", {nameAt(6, 1152, "Больница", 0x1000), nameAt(6, 1152, "Up", 0x0000),
                                        nameAt(6, 257, "Left", 0x2000), nameAt(6, 262, "Right", 0x3000)});
    MapRenderView view = m.view;
    std::vector<QImage> icons(8);
    icons[3] = QImage(12, 12, QImage::Format_ARGB32);
    view.icons = std::make_shared<const std::vector<QImage>>(icons);
    const RecordingCanvas canvas = record(view);
    const auto texts = canvas.CallsOf(Kind::Text);
    ASSERT_EQ(texts.size(), 4u);
    // Below: 5 pixels under the anchor, centred.
    EXPECT_EQ(texts[0].points[0], QPoint(m.anchor.x() - 8 * 8 / 2, m.anchor.y() + 5));
    EXPECT_EQ(texts[0].background, QColor(Qt::white));
    // Above: 10 pixels and the text's height over the anchor.
    EXPECT_EQ(texts[1].points[0], QPoint(m.anchor.x() - 2 * 8 / 2, m.anchor.y() - 10 - 16));
    // 257: 16 pixels bold, on the left.
    EXPECT_EQ(texts[2].font, (MapFont{16, true}));
    EXPECT_EQ(texts[2].points[0], QPoint(m.anchor.x() - 4 * 9 - 5, m.anchor.y() - 5));
    // 262: 11 pixels, on the right.
    EXPECT_EQ(texts[3].font, (MapFont{11, false}));
    EXPECT_EQ(texts[3].points[0], QPoint(m.anchor.x() + 10, m.anchor.y() - 5));
    // Icon 3 of the list for 1152, at the anchor; 257 and 262 find no icon in this short list.
    const auto images = canvas.CallsOf(Kind::Image);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].points[0], m.anchor);
    EXPECT_EQ(images[0].imageSize, QSize(12, 12));
    // Without a list no icon is drawn.
    EXPECT_TRUE(record(m.view).CallsOf(Kind::Image).empty());
}

TEST(MapNames, IconIndicesFollowTheTable) {
    EXPECT_EQ(NameIconIndex(640), 1);
    EXPECT_EQ(NameIconIndex(29184), 3);
    EXPECT_EQ(NameIconIndex(4096), 8);
    EXPECT_EQ(NameIconIndex(1084), 16);
    EXPECT_EQ(NameIconIndex(262), 22);
    EXPECT_EQ(NameIconIndex(1), -1);
}

TEST(MapNames, NamesOutsideTheDisplayScaleAreLeftOut) {
    NameRecordPlan first = nameAt(1, 300, "One");
    first.scaleFlags = 0x10;
    const NameMap m = nameMap("name-filter", {first, nameAt(1, 300, "Two")});
    MapRenderView view = m.view;
    view.filter = 4;
    const auto texts = record(view).CallsOf(Kind::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Two");
}

TEST(MapNames, NamesOfFiguresAreDrawnAtTheFigureOnceForARunOfFigures) {
    const auto map = openSketchMap(
        "figure-names",
        [](const FrameRequest&) {
            SketchFrames f;
            // The names sit in a class of their own; figures of class 0 refer to them.
            f.names.push_back({1, sketchNameRecord(1, 300, {100, 100}, "Парк")});
            f.names.push_back({1, sketchNameRecord(1, 300, {100, 100}, "Сквер")});
            for (int i = 0; i < 3; ++i) {
                auto figure = rectangleFigure(0, 321, 500 + 400 * i, 500, 700 + 400 * i, 700);
                figure.name = i < 2 ? 0 : 1;
                figure.scaleFlags = 0x01; // figures of names are not filtered
                f.figures.push_back(figure);
            }
            return f;
        },
        1, 1);
    MapRenderView view = viewOf(map, 4, 1024, 1024, kLayerObjectNames);
    view.filter = 16;
    const auto texts = record(view).CallsOf(Kind::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "Парк");
    EXPECT_EQ(texts[0].points[0], pixelOf(view, 0, 0, {500, 500}) - QPoint(2 * 7, 7));
    EXPECT_EQ(texts[1].text, "Сквер");
    EXPECT_EQ(texts[1].points[0], pixelOf(view, 0, 0, {1300, 500}) - QPoint(5 * 7 / 2, 7));
    // Layer 4 draws the name frame's own records at their anchors instead.
    view.layers = kLayerNames;
    view.filter = 31;
    EXPECT_EQ(record(view).CallsOf(Kind::Text).size(), 2u);
}

TEST(MapNames, ARenderDecodesWithTheCodePagesItStartedWith) {
    const NameMap m = nameMap("pages", {nameAt(1, 300, "Река"), nameAt(1, 300, "Заречье")});
    const MapCodePagePair before = LoadMapCodePages();
    StoreMapCodePages(MapCodePagePair{65001, 0});
    MapViewState state;
    MapViewEventList fired;
    state.SetMap(m.map, fired);
    state.SetClientSize(1024, 1024);
    const MapRenderView view = RenderViewOf(state);
    // The code pages change after the render was asked for: its names are still read as UTF-8.
    StoreMapCodePages(MapCodePagePair{1251, 1251});
    EXPECT_EQ(view.pages.Text, 65001);
    EXPECT_EQ(view.pages.Ansi, 0);
    QStringList texts;
    for (const CanvasCall& call : record(view).CallsOf(Kind::Text))
        texts << call.text;
    StoreMapCodePages(before);
    EXPECT_EQ(texts, (QStringList{"Река", "Заречье"}));
}

} // namespace
