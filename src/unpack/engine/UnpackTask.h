// Unpacking one file: a compressed entry block by block through its decompressing stream, an
// uncompressed one copied in chunks, every length checked, the target committed only when all is right.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "unpack/engine/UnpackOutput.h"

class TLN_DecompFileStream;

enum class UnpackState : int {
    Queued,    // waiting for a worker
    Running,   // a worker is writing it
    Done,      // written and renamed to its final name
    Failed,    // refused or failed; the reason says why
    Cancelled, // stopped; nothing written under the final name
    NotFound,  // the source does not exist
};

// Whether a state is final (the entry will not change again).
inline bool isFinal(UnpackState state) {
    return state != UnpackState::Queued && state != UnpackState::Running;
}

// What a running task publishes; other threads read it at any time.
struct UnpackCounters {
    std::atomic<int64_t> blockCount{0};
    std::atomic<int64_t> expectedSize{0};
    std::atomic<int64_t> blocksDone{0};
    std::atomic<int64_t> bytesWritten{0};
};

struct UnpackTaskInput {
    // Opens the source's decompressing stream; runs on the task's thread. May raise.
    std::function<std::shared_ptr<TLN_DecompFileStream>()> openStream;
    // Opens the target; called once the source is known to be usable. May raise.
    std::function<std::unique_ptr<UnpackOutput>()> openOutput;
    // The compression type as listed: 0 is copied, any other type must be one the stream decodes.
    uint16_t listedType = 0;
    // Held around each read of an uncompressed source (the stream takes it itself for compressed ones).
    std::mutex* imageLock = nullptr;
    // The size an uncompressed source had when the job was planned (-1: whatever it has now).
    int64_t plannedSourceSize = -1;
    // Called (on the task's thread) after each block or chunk written.
    std::function<void()> onProgress;
};

struct UnpackOutcome {
    UnpackState state = UnpackState::Failed;
    std::string reason;
};

// Bytes per chunk when copying an uncompressed file.
inline constexpr int64_t unpackCopyChunk = 61440;

// Runs the task to its end. Never raises: every failure is an outcome with its reason, and only a Done
// outcome leaves a file under the target's name. Stops before the next block once stop is requested.
UnpackOutcome runUnpackTask(const UnpackTaskInput& input, UnpackCounters& counters,
                            const std::atomic<bool>& stop);

// Blocks an entry of fileSize bytes needs: ceil(fileSize / 65536).
int64_t blocksForSize(int64_t fileSize);
// Chunks an uncompressed file of size bytes is copied in: ceil(size / 61440).
int64_t chunksForSize(int64_t size);
