// One picture drawn as a job: on its own thread or on the caller's.
#include "mapview/core/MapRenderJob.h"

#include <algorithm>
#include <utility>

MapRenderJob::MapRenderJob(MapRenderer& renderer, MapRenderView view, int devicePixelRatio)
    : renderer_(renderer), view_(std::move(view)), devicePixelRatio_(std::max(1, devicePixelRatio)) {}

std::optional<MapPicture> MapRenderJob::Result() {
    Wait();
    return std::exchange(picture_, std::nullopt);
}

JobStatus MapRenderJob::Run(const std::atomic<bool>& stop) {
    if (stop) return JobStatus::Stopped;
    MapPicture picture = RenderPicture(renderer_, view_, devicePixelRatio_, &stop);
    // The job's copy of the view (and so of the map) goes with the render, before anyone hears of the end.
    view_ = MapRenderView();
    if (picture.stats.cancelled || stop) return JobStatus::Stopped;
    picture_ = std::move(picture);
    return JobStatus::Done;
}
