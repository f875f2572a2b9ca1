// What the unpack engine tests share: opening a corpus list, running a job to its end, finding entries
// by name, looking for temporary files left behind, and outputs held at a gate so that a run is certainly
// still going when a test stops it.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/UnpackCorpus.h"
#include "unpack/engine/UnpackJob.h"
#include "unpack/engine/UnpackOutput.h"

namespace unpacktest {

inline std::shared_ptr<const UnpackList> openList(const std::string& path) {
    const auto origin = UnpackOrigin::OnDisk(path);
    return origin ? UnpackList::Open(*origin) : nullptr;
}

inline std::vector<size_t> everyEntry(const UnpackList& list) {
    std::vector<size_t> all(list.Entries().size());
    std::iota(all.begin(), all.end(), size_t(0));
    return all;
}

inline std::unique_ptr<UnpackJob> runJob(std::shared_ptr<const UnpackList> list, UnpackJobOptions options,
                                         std::vector<size_t> chosen = {}) {
    if (chosen.empty()) chosen = everyEntry(*list);
    auto job = std::make_unique<UnpackJob>(std::move(list), chosen, std::move(options));
    job->Start();
    job->Wait();
    return job;
}

inline const UnpackJobEntry* entryNamed(const UnpackJob& job, const std::string& name) {
    for (size_t i = 0; i < job.Size(); ++i)
        if (job.Entry(i).Name() == name) return &job.Entry(i);
    return nullptr;
}

// Every file below folder whose name ends in ".part".
inline std::vector<std::string> partFiles(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        if (it->path().extension() == ".part") found.push_back(it->path().string());
    return found;
}

inline bool exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// Holds writes until stopping() says the run is being stopped (a held write then goes on, and its worker
// stops before the next block): however loaded the machine, the run cannot end before the test stops it.
// The stop request is a flag of the job's: it is polled.
class GatedOutput : public TempFileOutput {
public:
    // Lets each file's first freeWrites writes through.
    GatedOutput(const std::string& folder, const std::string& name, std::function<bool()> stopping,
                int freeWrites)
        : TempFileOutput(folder, name, false), stopping_(std::move(stopping)), free_(freeWrites) {}

protected:
    ssize_t WriteSome(int fd, const uint8_t* data, size_t size) override {
        if (free_ > 0)
            --free_;
        else
            while (!stopping_())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return TempFileOutput::WriteSome(fd, data, size);
    }

private:
    std::function<bool()> stopping_;
    int free_;
};

inline OutputFactory gatedOutputs(std::function<bool()> stopping, int freeWrites = 0) {
    return [stopping, freeWrites](const std::string& folder,
                                  const std::string& name) -> std::unique_ptr<UnpackOutput> {
        return std::make_unique<GatedOutput>(folder, name, stopping, freeWrites);
    };
}

} // namespace unpacktest
