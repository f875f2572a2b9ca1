// Reader base.
#include "kiwi/parts/Manager.h"

#include "kiwi/cmp/OpenKiwiFile.h"

TLN_Manager::TLN_Manager(const std::string& fileName)
    : stream_(OpenKiwiFile(fileName)), valid_(true), ownsStream_(true), base_(0) {}

TLN_Manager::TLN_Manager(std::shared_ptr<TLN_Stream> stream, int64_t offset)
    : stream_(std::move(stream)), ownsStream_(false), base_(offset) {
    // An all-ones KIWI address arrives here as -1: such a part does not exist.
    valid_ = stream_ && offset >= 0 && stream_->Size() > offset;
}

std::string TLN_Manager::GetFileName() const {
    return stream_ ? stream_->FileName() : std::string();
}
