// One file's task on the calling thread, over the stream the program opens for a single file: every list
// layout (the three "05.CMP"/"06.CMP" kinds and "13.CMP" zlib files) unpacked byte-exact, a stop before
// the start, and a target that cannot be created.
#include <gtest/gtest.h>

#include "UnpackTestSupport.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "support/fixtures/CmpFixture.h"

using namespace unpacktest;

namespace {

UnpackTaskInput inputFor(const std::string& source, const std::string& target) {
    UnpackTaskInput input;
    input.openStream = [source] { return TLN_DecompFileStream::Create(source); };
    input.openOutput = [target] {
        return std::make_unique<TempFileOutput>(std::filesystem::path(target).parent_path().string(),
                                                std::filesystem::path(target).filename().string(), true);
    };
    return input;
}

class EveryLayout : public ::testing::TestWithParam<fixture::CmpLayout> {};

TEST_P(EveryLayout, IsUnpackedByteExactThroughTheProgramsStream) {
    const std::string dir =
        fixture::scratchDir(std::string("unpack-task-") + fixture::cmpLayoutName(GetParam()));
    const auto content = fixture::mapLikeContent(5 * 65536 + 321, 3);
    const auto files = fixture::writeCmpLayout(dir, GetParam(), "DATA/FILE.KWI", content);
    UnpackTaskInput input = inputFor(files.dataPath, dir + "/FILE.KWI.unpack");
    {
        auto probe = TLN_DecompFileStream::Create(files.dataPath);
        ASSERT_TRUE(probe->Listed());
        input.listedType = probe->Entry().compressionType;
    }
    UnpackCounters counters;
    std::atomic<bool> stop{false};
    const UnpackOutcome outcome = runUnpackTask(input, counters, stop);
    EXPECT_EQ(outcome.state, UnpackState::Done) << outcome.reason;
    EXPECT_EQ(counters.blockCount.load(), 6);
    EXPECT_EQ(counters.blocksDone.load(), 6);
    EXPECT_EQ(counters.bytesWritten.load(), int64_t(content.size()));
    EXPECT_EQ(fixture::readFile(dir + "/FILE.KWI.unpack"), content);
}

INSTANTIATE_TEST_SUITE_P(Layouts, EveryLayout,
                         ::testing::Values(fixture::CmpLayout::Gzip05, fixture::CmpLayout::GzipWithStored,
                                           fixture::CmpLayout::Bpe05, fixture::CmpLayout::Type1In06,
                                           fixture::CmpLayout::Segmented258, fixture::CmpLayout::Segmented514,
                                           fixture::CmpLayout::Segmented770, fixture::CmpLayout::Zlib13,
                                           fixture::CmpLayout::Zlib13Stored),
                         [](const auto& instance) {
                             return std::string(fixture::cmpLayoutName(instance.param));
                         });

TEST(UnpackTask, AStopBeforeTheStartOpensNothing) {
    const std::string dir = fixture::scratchDir("unpack-task-stop");
    const auto files =
        fixture::writeCmpLayout(dir, fixture::CmpLayout::Gzip05, "F.KWI", fixture::mapLikeContent(9, 1));
    bool opened = false;
    UnpackTaskInput input = inputFor(files.dataPath, dir + "/F.out");
    input.openStream = [&]() -> std::shared_ptr<TLN_DecompFileStream> {
        opened = true;
        return nullptr;
    };
    UnpackCounters counters;
    const std::atomic<bool> stop{true};
    EXPECT_EQ(runUnpackTask(input, counters, stop).state, UnpackState::Cancelled);
    EXPECT_FALSE(opened);
}

TEST(UnpackTask, ATargetThatCannotBeCreatedFailsWithTheSystemsText) {
    const std::string dir = fixture::scratchDir("unpack-task-no-folder");
    const auto files =
        fixture::writeCmpLayout(dir, fixture::CmpLayout::Gzip05, "F.KWI", fixture::mapLikeContent(99, 1));
    UnpackTaskInput input = inputFor(files.dataPath, dir + "/no/such/folder/F.out");
    input.listedType = 2;
    UnpackCounters counters;
    const UnpackOutcome outcome = runUnpackTask(input, counters, {});
    EXPECT_EQ(outcome.state, UnpackState::Failed);
    EXPECT_EQ(outcome.reason, "нет такого файла или папки");
}

TEST(UnpackTask, AFileTheListDoesNotCompressIsNotPassedOffAsUnpacked) {
    const std::string dir = fixture::scratchDir("unpack-task-unlisted");
    fixture::writeFile(dir + "/LOOSE.KWI", fixture::mapLikeContent(5000, 1));
    UnpackTaskInput input = inputFor(dir + "/LOOSE.KWI", dir + "/LOOSE.out");
    input.listedType = 2;
    UnpackCounters counters;
    const UnpackOutcome outcome = runUnpackTask(input, counters, {});
    EXPECT_EQ(outcome.state, UnpackState::Failed);
    EXPECT_FALSE(exists(dir + "/LOOSE.out"));
}

} // namespace
