// The render thread: a finished picture equals one drawn in place, the newest request wins, a note comes
// for each finished picture, and the thread can be dropped while it draws.
#include <atomic>

#include "mapview/MapViewTestSupport.h"
#include "mapview/core/MapRenderThread.h"

namespace {

using namespace mapviewtest;

std::shared_ptr<TLN_KiwiMap> denseMap() {
    static const std::shared_ptr<TLN_KiwiMap> map =
        openSketchMap("thread", [](const fixture::FrameRequest& request) {
            return fixture::denseSketchFrames(request.counter);
        });
    return map;
}

TEST(MapRenderThread, APictureFromTheThreadEqualsOneDrawnInPlace) {
    MapRenderer renderer;
    std::atomic<int> notes{0};
    MapRenderThread thread(renderer, [&notes] { ++notes; });
    const MapRenderView view = viewOf(denseMap(), 8, 640, 480);
    thread.Request(view);
    thread.WaitIdle();
    const std::optional<MapPicture> picture = thread.Take();
    ASSERT_TRUE(picture);
    EXPECT_FALSE(thread.Take()); // taken once
    MapRenderer other;
    const MapPicture direct = RenderPicture(other, view);
    EXPECT_TRUE(picture->image == direct.image);
    EXPECT_EQ(picture->view.originX, view.originX);
    EXPECT_GT(picture->stats.entries, 0);
    EXPECT_TRUE(thread.Idle());
    EXPECT_EQ(notes.load(), 1);
}

TEST(MapRenderThread, TheNewestRequestWins) {
    MapRenderer renderer;
    MapRenderThread thread(renderer, {});
    MapRenderView view = viewOf(denseMap(), 8, 640, 480);
    for (int i = 0; i < 5; ++i) {
        view.originX = 512 * i;
        thread.Request(view);
    }
    thread.WaitIdle();
    const std::optional<MapPicture> picture = thread.Take();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->view.originX, 512 * 4);
}

TEST(MapRenderThread, DroppingTheThreadWhileItDrawsStopsIt) {
    MapRenderer renderer;
    for (int i = 0; i < 3; ++i) {
        MapRenderThread thread(renderer, {});
        thread.Request(viewOf(denseMap(), 2, 1920, 1080));
    }
    SUCCEED();
}

} // namespace
