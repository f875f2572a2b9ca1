// The block loop and the copy loop of one unpacked file.
#include "unpack/engine/UnpackTask.h"

#include <algorithm>
#include <new>
#include <vector>

#include "kiwi/cmp/CompressionRecord.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/core/KiwiErrors.h"
#include "unpack/engine/UnpackTexts.h"

namespace {
constexpr int64_t blockSize = TLN_DecompFileStream::blockSize;

std::string blockPlace(int64_t block) {
    return "блок " + std::to_string(block) + " (смещение " + std::to_string(block * blockSize) + "): ";
}

void report(const UnpackTaskInput& input) {
    if (input.onProgress) input.onProgress();
}

// Returns false when stopped.
bool unpackBlocks(const UnpackTaskInput& input, TLN_DecompFileStream& stream, UnpackOutput& output,
                  UnpackCounters& counters, const std::atomic<bool>& stop) {
    const int64_t size = stream.FileSize();
    const int64_t blocks = blocksForSize(size);
    for (int64_t block = 0; block < blocks; ++block) {
        if (stop) return false;
        // Every block but the last must fill its 64 KiB; the last holds the rest of the file.
        const int64_t expected = std::min(blockSize, size - block * blockSize);
        int64_t produced = 0;
        try {
            produced = stream.LoadBlock(block);
        } catch (const KiwiError& error) {
            throw UnpackFailure(blockPlace(block) + unpacktext::readerError(error));
        }
        const uint8_t* data = stream.CurrentBlockData();
        if (produced < expected || !data)
            throw UnpackFailure(blockPlace(block) + "распаковано " + std::to_string(produced) + " байт из " +
                                std::to_string(expected));
        output.Write(data, size_t(expected));
        counters.bytesWritten.fetch_add(expected, std::memory_order_relaxed);
        counters.blocksDone.store(block + 1, std::memory_order_release);
        report(input);
    }
    return true;
}

bool copyChunks(const UnpackTaskInput& input, TLN_DecompFileStream& stream, UnpackOutput& output,
                UnpackCounters& counters, const std::atomic<bool>& stop) {
    const int64_t size = counters.expectedSize.load();
    std::vector<uint8_t> chunk(size_t(std::min(unpackCopyChunk, std::max<int64_t>(size, 1))));
    int64_t position = 0;
    while (position < size) {
        if (stop) return false;
        const int64_t wanted = std::min(unpackCopyChunk, size - position);
        int64_t got = 0;
        if (input.imageLock) {
            std::lock_guard guard(*input.imageLock);
            got = stream.ReadAt(position, chunk.data(), wanted);
        } else {
            got = stream.ReadAt(position, chunk.data(), wanted);
        }
        if (got != wanted) throw UnpackFailure(unpacktext::truncatedSource);
        output.Write(chunk.data(), size_t(got));
        position += got;
        counters.bytesWritten.fetch_add(got, std::memory_order_relaxed);
        counters.blocksDone.fetch_add(1, std::memory_order_release);
        report(input);
    }
    return true;
}
} // namespace

int64_t blocksForSize(int64_t fileSize) {
    return fileSize <= 0 ? 0 : (fileSize + blockSize - 1) / blockSize;
}

int64_t chunksForSize(int64_t size) {
    return size <= 0 ? 0 : (size + unpackCopyChunk - 1) / unpackCopyChunk;
}

UnpackOutcome runUnpackTask(const UnpackTaskInput& input, UnpackCounters& counters,
                            const std::atomic<bool>& stop) {
    std::unique_ptr<UnpackOutput> output;
    try {
        if (stop) return {UnpackState::Cancelled, {}};
        const std::shared_ptr<TLN_DecompFileStream> stream = input.openStream();
        if (!stream) throw UnpackFailure(unpacktext::notFound);
        const bool compressed = input.listedType != CompressionType::None;
        if (compressed && !stream->Listed()) throw UnpackFailure(unpacktext::unsupportedType);
        if (compressed) {
            // The table must locate a block for every 64 KiB of the file.
            if (int64_t(stream->BlockCount()) < blocksForSize(stream->FileSize()))
                throw UnpackFailure(unpacktext::invalidEntry);
            counters.expectedSize.store(stream->FileSize());
            counters.blockCount.store(blocksForSize(stream->FileSize()));
        } else {
            // The stream takes the image lock itself for the size.
            const int64_t size = stream->Size();
            if (input.plannedSourceSize >= 0 && size < input.plannedSourceSize)
                throw UnpackFailure(unpacktext::truncatedSource);
            if (input.plannedSourceSize >= 0 && size > input.plannedSourceSize)
                throw UnpackFailure(unpacktext::sourceChanged);
            counters.expectedSize.store(size);
            counters.blockCount.store(chunksForSize(size));
        }
        output = input.openOutput();
        const bool finished = compressed ? unpackBlocks(input, *stream, *output, counters, stop)
                                         : copyChunks(input, *stream, *output, counters, stop);
        if (!finished) {
            output->Discard();
            return {UnpackState::Cancelled, {}};
        }
        const int64_t written = counters.bytesWritten.load();
        if (written != counters.expectedSize.load())
            throw UnpackFailure("записано " + std::to_string(written) + " байт из " +
                                std::to_string(counters.expectedSize.load()));
        output->Commit();
        return {UnpackState::Done, {}};
    } catch (const UnpackFailure& failure) {
        if (output) output->Discard();
        return {UnpackState::Failed, failure.what()};
    } catch (const std::bad_alloc&) {
        if (output) output->Discard();
        return {UnpackState::Failed, unpacktext::outOfMemory};
    } catch (const std::exception& error) {
        if (output) output->Discard();
        return {UnpackState::Failed, unpacktext::readerError(error)};
    }
}
