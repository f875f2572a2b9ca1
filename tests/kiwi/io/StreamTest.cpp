// Memory and file-descriptor streams under the shared stream contract, plus their write paths.
#include <gtest/gtest.h>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/HandleStream.h"
#include "kiwi/io/MemoryStream.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/walkers/StreamContract.h"

namespace {
std::shared_ptr<TLN_Stream> makeMemory(const std::vector<uint8_t>& content) {
    return std::make_shared<TLN_MemoryStream>(content);
}
std::shared_ptr<TLN_Stream> makeFile(const std::vector<uint8_t>& content) {
    static int counter = 0;
    const std::string path = fixture::scratchDir("handle-stream") + "/f" + std::to_string(counter++) + ".bin";
    fixture::writeFile(path, content);
    return TLN_HandleStream::OpenForReading(path);
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Memory, StreamContract, ::testing::Values(StreamFactory{"memory", makeMemory}));
INSTANTIATE_TEST_SUITE_P(PlainFile, StreamContract, ::testing::Values(StreamFactory{"file", makeFile}));

TEST(HandleStream, MissingFileRaisesOpenError) {
    EXPECT_THROW(TLN_HandleStream::OpenForReading("/nonexistent/dir/file.kwi"), EFOpenError);
    EXPECT_THROW(TLN_HandleStream::OpenForReading(fixture::scratchDir("dir-open")), EFOpenError);
}

TEST(HandleStream, ReadOnlyStreamRefusesWrites) {
    auto s = makeFile({1, 2, 3});
    const uint8_t b = 9;
    EXPECT_THROW(s->WriteAt(0, &b, 1), EWriteError);
}

TEST(MemoryStream, WritesGrowAndReadBack) {
    TLN_MemoryStream s;
    s.Seek(10);
    const uint8_t b[3] = {7, 8, 9};
    s.Write(b, 3);
    EXPECT_EQ(s.Size(), 13);
    auto bytes = s.Bytes();
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[12], 9);
    EXPECT_THROW(s.WriteAt(-1, b, 1), EWriteError);
}
