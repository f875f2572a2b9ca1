// The background stage of a hex search: a job that opens its own stream on the grid's file and searches
// the rest of the range, its percentage and its end told through the job's notifier.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hexview/model/HexRangeSearch.h"
#include "kiwi/io/Stream.h"
#include "platform/BackgroundJob.h"

class HexSearchWorker final : public BackgroundJob {
public:
    struct Outcome {
        // The hit, -1 (not found), -2 (stopped) or kSearchFailed.
        int64_t result = -1;
        // Why a read failed (kSearchFailed).
        std::string error;
    };

    // Searches position .. end of the file behind shown (the grid's stream; the worker reads a stream of
    // its own when one can be opened). Progress is counted over the whole range rangeStart .. end.
    HexSearchWorker(std::shared_ptr<TLN_Stream> shown, HexSearchPattern pattern, int64_t position,
                    int64_t end, int64_t rangeStart);
    ~HexSearchWorker() override { StopAndWait(); }

    // Waits for the end and gives the outcome. A stop request ends the search after the chunk it is
    // reading (result -2).
    Outcome Result();
    // Bytes per chunk (tests use small chunks to place hits on chunk borders).
    void SetChunkSize(int64_t bytes) { chunkSize_ = bytes; }

private:
    JobStatus Run(const std::atomic<bool>& stop) override;

    std::shared_ptr<TLN_Stream> shown_;
    const HexSearchPattern pattern_;
    const int64_t position_;
    const int64_t end_;
    const int64_t rangeStart_;
    int64_t chunkSize_ = kSearchChunkSize;
    Outcome outcome_;
};
