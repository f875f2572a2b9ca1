// The world overview: where a viewport is framed on the picture (the whole world frames the whole picture
// 2 pixels outside it, halves round away from zero, extreme coordinates do not overflow), and the picture
// drawn for it.
#include <gtest/gtest.h>

#include <limits>
#include <set>

#include "mainwindow/model/WorldOverview.h"
#include "support/fixtures/QtPrinting.h"

namespace {

constexpr int32_t kEighthsPerDegree = 28800;

MapViewPort degrees(int west, int north, int east, int south) {
    return {west * kEighthsPerDegree, north * kEighthsPerDegree, east * kEighthsPerDegree,
            south * kEighthsPerDegree};
}

TEST(WorldOverviewTest, TheWholeWorldFramesTheWholePictureOutsideItsEdges) {
    const QRect frame = OverviewFrame(degrees(-180, 90, 180, -90), QSize(260, 130));
    EXPECT_EQ(frame, QRect(QPoint(-2, -2), QPoint(262, 132)));
}

TEST(WorldOverviewTest, AViewportIsPlacedByItsLongitudesAndLatitudes) {
    // Europe-ish: 0..40 E, 60..40 N on a 360 × 180 picture (one pixel per degree).
    const QRect frame = OverviewFrame(degrees(0, 60, 40, 40), QSize(360, 180));
    EXPECT_EQ(frame.left(), 180 - 2);
    EXPECT_EQ(frame.right(), 220 + 2);
    EXPECT_EQ(frame.top(), 180 - 150 - 2);
    EXPECT_EQ(frame.bottom(), 180 - 130 + 2);
}

TEST(WorldOverviewTest, HalfPixelsRoundAwayFromZero) {
    // 3 × 180° / 360° = 1.5 -> 2; 3 × -60° / 360° = -0.5 -> -1 (a viewport west of the world's edge).
    const QRect frame = OverviewFrame({0, 0, -6912000, 0}, QSize(3, 3));
    EXPECT_EQ(frame.left(), 2 - 2);
    EXPECT_EQ(frame.right(), -1 + 2);
    EXPECT_EQ(frame.top(), 3 - 2 - 2);
}

TEST(WorldOverviewTest, ExtremeCoordinatesStayNearThePicture) {
    constexpr int32_t low = std::numeric_limits<int32_t>::min(), high = std::numeric_limits<int32_t>::max();
    const QRect frame = OverviewFrame({low, high, high, low}, QSize(260, 130));
    EXPECT_LT(frame.left(), 0);
    EXPECT_GT(frame.right(), 260);
    EXPECT_LT(frame.top(), 0);
    EXPECT_GT(frame.bottom(), 130);
    EXPECT_GE(frame.left(), -300);
    EXPECT_LE(frame.right(), 600);
}

TEST(WorldOverviewTest, ThePictureIsAnOceanWithAGraticule) {
    const QImage picture = MakeWorldPicture(QSize(260, 130));
    ASSERT_EQ(picture.size(), QSize(260, 130));
    std::set<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 5)
        for (int x = 0; x < picture.width(); x += 5)
            colours.insert(picture.pixel(x, y));
    EXPECT_GT(colours.size(), 10u);
    // The prime meridian is lighter than the ocean beside it.
    const QColor meridian = picture.pixelColor(130, 40), ocean = picture.pixelColor(125, 40);
    EXPECT_GT(meridian.lightness(), ocean.lightness());
    EXPECT_GT(ocean.blue(), ocean.red());
    EXPECT_FALSE(MakeWorldPicture(QSize(0, 0)).isNull());
}

} // namespace
