// Read counting over every stream a reader opens.
#include "support/walkers/CountingStream.h"

#include <mutex>
#include <vector>

#include "kiwi/cmp/OpenKiwiFile.h"

struct ReadCounter::State {
    std::mutex mutex;
    std::vector<std::shared_ptr<CountingStream>> streams;
    uint64_t readsBefore = 0;
    uint64_t bytesBefore = 0;
};

ReadCounter::ReadCounter() : state_(std::make_shared<State>()) {}

std::function<std::shared_ptr<TLN_Stream>(const std::string&)> ReadCounter::Opener() {
    std::shared_ptr<State> state = state_;
    return [state](const std::string& path) -> std::shared_ptr<TLN_Stream> {
        auto stream = std::make_shared<CountingStream>(OpenKiwiFile(path));
        std::lock_guard lock(state->mutex);
        state->streams.push_back(stream);
        return stream;
    };
}

uint64_t ReadCounter::Reads() const {
    std::lock_guard lock(state_->mutex);
    uint64_t total = 0;
    for (const auto& stream : state_->streams)
        total += stream->Reads();
    return total - state_->readsBefore;
}

uint64_t ReadCounter::Bytes() const {
    std::lock_guard lock(state_->mutex);
    uint64_t total = 0;
    for (const auto& stream : state_->streams)
        total += stream->Bytes();
    return total - state_->bytesBefore;
}

void ReadCounter::Reset() {
    const uint64_t reads = Reads();
    const uint64_t bytes = Bytes();
    std::lock_guard lock(state_->mutex);
    state_->readsBefore += reads;
    state_->bytesBefore += bytes;
}
