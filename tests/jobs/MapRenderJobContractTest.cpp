// A picture of the map under the job contract: a dense generated level drawn whole.
#include "jobs/JobContract.h"
#include "mapview/MapViewTestSupport.h"
#include "mapview/core/MapRenderJob.h"

namespace {

class MapRenderAdapter {
public:
    std::unique_ptr<BackgroundJob> Make() {
        static const std::shared_ptr<TLN_KiwiMap> map =
            mapviewtest::openSketchMap("job-contract", [](const fixture::FrameRequest& request) {
                return fixture::denseSketchFrames(request.counter);
            });
        view_ = mapviewtest::viewOf(map, 8, 320, 240);
        // A renderer keeps the fonts of the thread that draws with it: one renderer per thread.
        renderer_ = std::make_unique<MapRenderer>();
        return std::make_unique<MapRenderJob>(*renderer_, view_);
    }
    void CheckEnd(BackgroundJob& job, JobStatus end) {
        const std::optional<MapPicture> picture = static_cast<MapRenderJob&>(job).Result();
        ASSERT_EQ(picture.has_value(), end == JobStatus::Done);
        if (picture) {
            MapRenderer other;
            EXPECT_TRUE(picture->image == RenderPicture(other, view_).image);
        }
    }
    void CheckFreed() {}

private:
    std::unique_ptr<MapRenderer> renderer_;
    MapRenderView view_;
};

} // namespace

using MapRenderJobs = ::testing::Types<MapRenderAdapter>;
INSTANTIATE_TYPED_TEST_SUITE_P(MapRender, JobContract, MapRenderJobs);
