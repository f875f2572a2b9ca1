// The render thread's loop: take the newest request, draw it into an image, keep the result.
#include "mapview/core/MapRenderThread.h"

MapRenderThread::MapRenderThread(MapRenderer& renderer, std::function<void()> ready)
    : renderer_(renderer), ready_(std::move(ready)) {
    thread_ = std::thread([this] { run(); });
}

MapRenderThread::~MapRenderThread() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        if (current_) current_->RequestStop();
    }
    wake_.notify_all();
    thread_.join();
}

void MapRenderThread::Request(const MapRenderView& view, int devicePixelRatio) {
    {
        std::lock_guard lock(mutex_);
        pending_ = Job{view, std::max(1, devicePixelRatio)};
        // A render under way draws a picture nobody wants any more.
        if (current_) current_->RequestStop();
    }
    wake_.notify_all();
}

std::optional<MapPicture> MapRenderThread::Take() {
    std::lock_guard lock(mutex_);
    std::optional<MapPicture> result = std::move(result_);
    result_.reset();
    return result;
}

void MapRenderThread::Cancel() {
    std::lock_guard lock(mutex_);
    pending_.reset();
    result_.reset();
    if (current_) current_->RequestStop();
}

void MapRenderThread::WaitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !current_ && !pending_; });
}

bool MapRenderThread::Idle() const {
    std::lock_guard lock(mutex_);
    return !current_ && !pending_;
}

void MapRenderThread::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || pending_.has_value(); });
        if (stop_) break;
        Job job = std::move(*pending_);
        pending_.reset();
        current_ = std::make_unique<MapRenderJob>(renderer_, std::move(job.view), job.devicePixelRatio);
        job = Job();
        MapRenderJob& render = *current_;
        lock.unlock();

        render.RunHere();

        lock.lock();
        std::optional<MapPicture> picture = render.Result();
        const bool keep = picture && !stop_;
        if (keep) result_ = std::move(*picture);
        // The render's copies of the view (and so of the map) are gone before anyone hears it is idle.
        picture.reset();
        current_.reset();
        if (!pending_) idle_.notify_all();
        if (keep && ready_) {
            lock.unlock();
            ready_();
            lock.lock();
        }
    }
    idle_.notify_all();
}
