// Whole pictures of the map drawn on a thread of their own, so that a paint never waits for parcels to be
// read and drawn: one render at a time, a newer request replaces one not yet started and stops one under
// way, and the finished picture waits to be taken. Each picture is a MapRenderJob run on this thread.
#pragma once

#include <QImage>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "mapview/core/MapPicture.h"
#include "mapview/core/MapRenderJob.h"

class MapRenderThread {
public:
    // ready is called on the render thread each time a picture is finished (to post a note to the
    // owner's thread); the renderer must outlive this object.
    MapRenderThread(MapRenderer& renderer, std::function<void()> ready);
    ~MapRenderThread();
    MapRenderThread(const MapRenderThread&) = delete;
    MapRenderThread& operator=(const MapRenderThread&) = delete;

    // Asks for a picture of view at a device pixel ratio.
    void Request(const MapRenderView& view, int devicePixelRatio = 1);
    // The last finished picture, once.
    std::optional<MapPicture> Take();
    // Drops what is asked for and stops the render under way (it finishes at its next parcel or layer);
    // a finished picture not yet taken is dropped too.
    void Cancel();
    // Waits until nothing is asked for or under way.
    void WaitIdle();
    bool Idle() const;

private:
    struct Job {
        MapRenderView view;
        int devicePixelRatio = 1;
    };
    void run();

    MapRenderer& renderer_;
    std::function<void()> ready_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<Job> pending_;
    std::optional<MapPicture> result_;
    bool stop_ = false;
    // The picture being drawn, null while idle (set and reset by the thread under the mutex).
    std::unique_ptr<MapRenderJob> current_;
    std::thread thread_;
};
