// One contract test suite for every stream implementation. A test file instantiates it with a
// factory that returns a read-only view of given content:
//   INSTANTIATE_TEST_SUITE_P(Memory, StreamContract, ::testing::Values(StreamFactory{"memory", makeMemory}));
#pragma once

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "kiwi/io/Stream.h"

struct StreamFactory {
    std::string name;
    // Builds a stream whose bytes are exactly content.
    std::function<std::shared_ptr<TLN_Stream>(const std::vector<uint8_t>& content)> make;
};

inline std::ostream& operator<<(std::ostream& os, const StreamFactory& f) {
    return os << f.name;
}

class StreamContract : public ::testing::TestWithParam<StreamFactory> {};
