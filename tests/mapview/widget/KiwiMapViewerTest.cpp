// The map view widget (offscreen): the events of a new map, the wheel keeping the point under the mouse,
// dragging with its 6-pixel threshold, clicks that select, the picture drawn off the paint and scrolled by
// a pan, and a view without a map.
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWheelEvent>

#include "mapview/KiwiMapViewer.h"
#include "mapview/MapViewTestSupport.h"
#include "mapview/core/MapPicture.h"

namespace {

using namespace mapviewtest;
using fixture::FrameRequest;

// Keeps the events in order.
struct EventLog : MapViewEvents {
    std::vector<std::string> events;
    std::vector<TLN_PID> positions;
    bool lastSelection = false;
    void LevelChanged() override { events.push_back("level"); }
    void PosChanged(TLN_PID pid) override { positions.push_back(pid); }
    void ScaleChanged() override { events.push_back("scale"); }
    void SelectionChanged(bool selected, const TLN_ParcelNumber&) override {
        events.push_back("selection");
        lastSelection = selected;
    }
    void ViewPortChanged() override { events.push_back("viewport"); }
    std::vector<std::string> take() { return std::exchange(events, {}); }
};

// Two levels: 2 x 2 parcels of code 1 divided into 4, then 4 x 4 parcels of code 0.
std::shared_ptr<TLN_KiwiMap> twoLevels() {
    static const auto map = [] {
        auto content = [](const FrameRequest& request) {
            SketchFrames f = fixture::denseSketchFrames(request.counter);
            f.roads.resize(60);
            f.figures.resize(30);
            f.names.resize(20);
            return f;
        };
        fixture::LevelPlan coarse = fixture::sketchLevelPlan(1, 1, 2, 2);
        coarse.codeByte = 0x04;
        coarse.integrationByte = 0x02;
        fixture::LevelPlan fine = fixture::sketchLevelPlan(1, 1, 4, 4);
        fine.codeByte = 0x00;
        fixture::AllDataPlan plan = fixture::sketchAllDataPlan(coarse, content);
        plan.levels = {coarse, fine};
        return openMap(plan, "widget");
    }();
    return map;
}

class KiwiMapViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        viewer.resize(640, 480);
        viewer.SetEvents(&log);
        viewer.SetMap(twoLevels());
        log.take();
    }
    void wheel(QPoint at, int delta) {
        QWheelEvent event(at, viewer.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&viewer, &event);
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, at, viewer.mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(&viewer, &event);
    }
    void press(QPoint at) { mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void drag(QPoint at) { mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
    void release(QPoint at) { mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }

    TKiwiMapViewer viewer;
    EventLog log;
};

TEST_F(KiwiMapViewerTest, ANewMapFiresLevelSelectionScaleAndViewport) {
    TKiwiMapViewer other;
    EventLog events;
    other.SetEvents(&events);
    other.SetMap(twoLevels());
    EXPECT_EQ(events.take(), (std::vector<std::string>{"level", "selection", "scale", "viewport"}));
    EXPECT_FALSE(events.lastSelection);
    EXPECT_TRUE(other.Active());
    EXPECT_EQ(other.Level(), 0);
    EXPECT_EQ(other.Zoom(), 1);
    EXPECT_EQ(other.Layers(), 7);
}

TEST_F(KiwiMapViewerTest, TheWheelZoomsAboutThePointUnderTheMouse) {
    const QPoint mouse(200, 150);
    const int64_t x = viewer.State().ViewerX(mouse.x()), y = viewer.State().ViewerY(mouse.y());
    wheel(mouse, 120);
    EXPECT_EQ(viewer.Zoom(), 2);
    EXPECT_EQ(viewer.State().ViewerX(mouse.x()), x);
    EXPECT_EQ(viewer.State().ViewerY(mouse.y()), y);
    EXPECT_EQ(log.take(), (std::vector<std::string>{"scale", "viewport"}));
    // Two half notches make one step; the next level keeps the point too (twice the parcels across).
    wheel(mouse, 60);
    EXPECT_EQ(viewer.Level(), 0);
    wheel(mouse, 60);
    EXPECT_EQ(viewer.Level(), 1);
    EXPECT_EQ(viewer.Zoom(), 1);
    EXPECT_EQ(viewer.State().ViewerX(mouse.x()), 2 * x);
    EXPECT_EQ(viewer.State().ViewerY(mouse.y()), 2 * y);
    // A level change: its three events, then one viewport event at the end.
    EXPECT_EQ(log.take(), (std::vector<std::string>{"level", "selection", "scale", "viewport"}));
    // Back down.
    wheel(mouse, -120);
    EXPECT_EQ(viewer.Level(), 0);
    EXPECT_EQ(viewer.Zoom(), 2);
}

TEST_F(KiwiMapViewerTest, ZoomButtonsZoomAboutTheCentre) {
    viewer.ZoomIn();
    EXPECT_EQ(viewer.Zoom(), 2);
    viewer.ZoomOut();
    EXPECT_EQ(viewer.Zoom(), 1);
    log.take();
    // Zoom 1 on level 0: nothing more.
    viewer.ZoomOut();
    EXPECT_EQ(viewer.Zoom(), 1);
    EXPECT_TRUE(log.take().empty());
}

TEST_F(KiwiMapViewerTest, DraggingPansFromSixPixelsOn) {
    viewer.SetScaleDensity(4);
    log.take();
    const int64_t x = viewer.State().OriginX(), y = viewer.State().OriginY();
    press(QPoint(300, 300));
    drag(QPoint(295, 300)); // 5 pixels: no pan
    EXPECT_EQ(viewer.State().OriginX(), x);
    EXPECT_TRUE(log.take().empty());
    drag(QPoint(294, 306)); // 6 pixels: the view moves east and north by the mouse's way
    EXPECT_EQ(viewer.State().OriginX(), x + 6 * 4);
    EXPECT_EQ(viewer.State().OriginY(), y + 6 * 4);
    EXPECT_EQ(log.take(), std::vector<std::string>{"viewport"});
    release(QPoint(294, 306));
    // A drag does not select.
    EXPECT_FALSE(viewer.SelectionShown());
    EXPECT_TRUE(log.take().empty());
}

TEST_F(KiwiMapViewerTest, ADragWhoseLastMoveIsShortStillSelects) {
    viewer.SetMap(twoLevels());
    viewer.SetScaleDensity(1); // one unit per pixel: the level fills the client area
    log.take();
    press(QPoint(300, 300));
    drag(QPoint(290, 300)); // a pan
    drag(QPoint(288, 301)); // under 6 pixels from the last point: no longer a drag
    release(QPoint(288, 301));
    EXPECT_TRUE(viewer.SelectionShown());
    EXPECT_EQ(log.take(), (std::vector<std::string>{"viewport", "selection"}));
    EXPECT_TRUE(log.lastSelection);
    // Clicking the selected parcel again fires nothing.
    press(QPoint(288, 301));
    release(QPoint(288, 301));
    EXPECT_TRUE(log.take().empty());
}

TEST_F(KiwiMapViewerTest, MovingWithoutAButtonReportsTheMapPosition) {
    mouse(QEvent::MouseMove, QPoint(10, 470), Qt::NoButton, Qt::NoButton);
    ASSERT_EQ(log.positions.size(), 1u);
    EXPECT_EQ(log.positions[0], viewer.State().MapPositionAt(QPoint(10, 470)));
}

TEST_F(KiwiMapViewerTest, ThePictureIsDrawnOffThePaintAndScrolledByAPan) {
    viewer.show();
    (void)viewer.grab(); // the first paint asks for a picture and shows a white area meanwhile
    EXPECT_EQ(viewer.RenderRequests(), 1);
    ASSERT_TRUE(viewer.FinishRendering());
    MapRenderer renderer;
    MapRenderView view = RenderViewOf(viewer.State());
    MapPicture whole = RenderPicture(renderer, view);
    EXPECT_TRUE(viewer.Picture() == whole.image);

    // A pan: no new whole picture is asked for; the one there scrolls and its strips are drawn.
    press(QPoint(300, 300));
    drag(QPoint(263, 323));
    release(QPoint(263, 323));
    (void)viewer.grab();
    EXPECT_EQ(viewer.RenderRequests(), 1);
    view = RenderViewOf(viewer.State());
    whole = RenderPicture(renderer, view);
    int64_t same = 0;
    const QImage& picture = viewer.Picture();
    ASSERT_EQ(picture.size(), whole.image.size());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            same += picture.pixel(x, y) == whole.image.pixel(x, y);
    EXPECT_GE(double(same) / (picture.width() * picture.height()), 0.999);

    // A zoom asks for a new one, and so do names decoded again.
    viewer.ZoomIn();
    (void)viewer.grab();
    EXPECT_EQ(viewer.RenderRequests(), 2);
    EXPECT_TRUE(viewer.FinishRendering());
    viewer.NamesChanged();
    (void)viewer.grab();
    EXPECT_EQ(viewer.RenderRequests(), 3);
    EXPECT_TRUE(viewer.FinishRendering());
    // A grid switched on: the same.
    viewer.SetDrawGrid(true);
    (void)viewer.grab();
    EXPECT_EQ(viewer.RenderRequests(), 4);
}

TEST_F(KiwiMapViewerTest, ALevelChangeShowsTheOldPictureScaledUntilTheNewOneIsDrawn) {
    viewer.show();
    (void)viewer.grab();
    ASSERT_TRUE(viewer.FinishRendering());
    const QImage before = viewer.grab().toImage();
    // The next paint asks for the new level's picture and shows the old one scaled meanwhile: not white.
    wheel(QPoint(320, 240), 240);
    ASSERT_EQ(viewer.Level(), 1);
    const QImage preview = viewer.grab().toImage().convertToFormat(QImage::Format_RGB32);
    int white = 0;
    for (int y = 0; y < preview.height(); y += 4)
        for (int x = 0; x < preview.width(); x += 4)
            white += preview.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_LT(white, (preview.width() / 4) * (preview.height() / 4));
    EXPECT_TRUE(viewer.FinishRendering());
    EXPECT_FALSE(viewer.grab().toImage() == before);
}

TEST_F(KiwiMapViewerTest, WithoutAMapTheViewIsWhiteAndKeepsNoReference) {
    auto map = twoLevels();
    // A picture drawn and one under way: neither keeps the map once the view is given none.
    viewer.show();
    (void)viewer.grab();
    ASSERT_TRUE(viewer.FinishRendering());
    viewer.ZoomIn();
    (void)viewer.grab();
    EXPECT_GT(map.use_count(), 2);
    viewer.SetMap(nullptr);
    EXPECT_FALSE(viewer.Active());
    // Only the test's own references remain (this one and the one the map was opened with).
    EXPECT_EQ(map.use_count(), 2);
    const QImage image = viewer.grab().toImage();
    EXPECT_EQ(image.pixel(10, 10), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(600, 400), qRgb(255, 255, 255));
    log.take();
    // Mouse actions do nothing.
    press(QPoint(300, 300));
    drag(QPoint(200, 200));
    release(QPoint(200, 200));
    EXPECT_TRUE(log.take().empty());
}

TEST_F(KiwiMapViewerTest, SettingsAreKept) {
    viewer.SetLayers(63, false);
    EXPECT_EQ(viewer.Layers(), 63);
    viewer.SetDrawGrid(true);
    EXPECT_TRUE(viewer.DrawGrid());
    viewer.SetUseDisplayScale(false);
    EXPECT_FALSE(viewer.UseDisplayScale());
    viewer.SetRoadColor(19, 0x123456); // class 19 is colour 3
    EXPECT_EQ(viewer.RoadColors()[3], 0x123456u);
    viewer.SetScaleDensity(8);
    EXPECT_EQ(viewer.ScaleDensity(), 8);
    EXPECT_EQ(log.take(), (std::vector<std::string>{"scale", "viewport"}));
    EXPECT_FALSE(viewer.ScaleLabel().isEmpty());
    EXPECT_EQ(viewer.HintTextAt(QPoint(10, 470)), viewer.State().HintTextAt(QPoint(10, 470)));
}

} // namespace
