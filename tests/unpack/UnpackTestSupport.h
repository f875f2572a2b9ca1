// What the unpack engine tests share: opening a corpus list, running a job to its end, finding entries
// by name and looking for temporary files left behind.
#pragma once

#include <filesystem>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/UnpackCorpus.h"
#include "unpack/engine/UnpackJob.h"

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

} // namespace unpacktest
