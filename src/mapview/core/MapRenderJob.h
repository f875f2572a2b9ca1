// One picture of the map as a background job: the whole view drawn into an image, stopped between parcels
// or layers on request, the picture its result once done.
#pragma once

#include <optional>
#include <thread>

#include "mapview/core/MapPicture.h"
#include "mapview/core/MapRenderView.h"
#include "platform/BackgroundJob.h"

class MapRenderer;

class MapRenderJob : public BackgroundJob {
public:
    // The renderer must outlive the job. It keeps the fonts of the thread that draws with it: a renderer
    // serves jobs started on their own threads one renderer each, or jobs Run() on one thread.
    MapRenderJob(MapRenderer& renderer, MapRenderView view, int devicePixelRatio = 1);
    // Stops a render still going and waits for it.
    ~MapRenderJob() override;

    // Draws on a thread of the job's own.
    void Start() override;
    // Draws on the calling thread (the render thread's loop runs one job after another this way).
    void Run();
    void Wait() override;
    // The picture of a job that is done, once; nothing for a stopped one.
    std::optional<MapPicture> TakeResult();

private:
    void render();

    MapRenderer& renderer_;
    MapRenderView view_;
    const int devicePixelRatio_;
    std::optional<MapPicture> picture_;
    std::thread thread_;
};
