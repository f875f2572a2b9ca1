// One picture drawn as a job: on its own thread or on the caller's.
#include "mapview/core/MapRenderJob.h"

#include <algorithm>

MapRenderJob::MapRenderJob(MapRenderer& renderer, MapRenderView view, int devicePixelRatio)
    : renderer_(renderer), view_(std::move(view)), devicePixelRatio_(std::max(1, devicePixelRatio)) {}

MapRenderJob::~MapRenderJob() {
    RequestStop();
    Wait();
}

void MapRenderJob::Start() {
    if (Started()) return;
    MarkRunning();
    thread_ = std::thread([this] { render(); });
}

void MapRenderJob::Run() {
    if (Started()) return;
    MarkRunning();
    render();
}

void MapRenderJob::Wait() {
    if (thread_.joinable()) thread_.join();
}

std::optional<MapPicture> MapRenderJob::TakeResult() {
    Wait();
    std::optional<MapPicture> taken = std::move(picture_);
    picture_.reset();
    return taken;
}

void MapRenderJob::render() {
    if (StopRequested()) {
        Finish(JobStatus::Stopped);
        return;
    }
    MapPicture picture = RenderPicture(renderer_, view_, devicePixelRatio_, &StopFlag());
    // The job's copy of the view (and so of the map) goes with the render, before anyone hears of the end.
    view_ = MapRenderView();
    if (picture.stats.cancelled || StopRequested()) {
        Finish(JobStatus::Stopped);
        return;
    }
    picture_ = std::move(picture);
    Finish(JobStatus::Done);
}
