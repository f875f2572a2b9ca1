// One picture of the map as a background job: the whole view drawn into an image, stopped between parcels
// or layers on request, the picture its result once done.
#pragma once

#include <optional>

#include "mapview/core/MapPicture.h"
#include "mapview/core/MapRenderView.h"
#include "platform/BackgroundJob.h"

class MapRenderer;

class MapRenderJob final : public BackgroundJob {
public:
    // The renderer must outlive the job. It keeps the fonts of the thread that draws with it: a renderer
    // serves jobs started on their own threads one renderer each, or jobs RunHere() on one thread.
    MapRenderJob(MapRenderer& renderer, MapRenderView view, int devicePixelRatio = 1);
    ~MapRenderJob() override { StopAndWait(); }

    // The picture of a job that is done, once; nothing for a stopped one.
    std::optional<MapPicture> Result();

private:
    JobStatus Run(const std::atomic<bool>& stop) override;

    MapRenderer& renderer_;
    MapRenderView view_;
    const int devicePixelRatio_;
    std::optional<MapPicture> picture_;
};
