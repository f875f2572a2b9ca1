// The hex viewer's two jobs under the job contract: the block copy into a file and the background search.
#include <QFile>

#include <dirent.h>

#include "hexview/model/HexBlockFileCopy.h"
#include "hexview/model/HexSearchWorker.h"
#include "jobs/JobContract.h"
#include "kiwi/io/MemoryStream.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

std::vector<uint8_t> patternBytes(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = fixture::positionByte(i);
    return bytes;
}

size_t filesIn(const std::string& folder) {
    size_t count = 0;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.') ++count;
        ::closedir(dir);
    }
    return count;
}

class BlockCopyAdapter {
public:
    std::unique_ptr<BackgroundJob> Make() {
        folder_ = fixture::scratchDir("job-contract-block-copy");
        target_ = folder_ + "/block.bin";
        // 40 chunks of 1 KiB from offset 100.
        auto copy =
            std::make_unique<HexBlockFileCopy>(std::make_shared<TLN_MemoryStream>(bytes_), 100, 40 * 1024,
                                               MakeSaveFileSink(QString::fromStdString(target_)));
        copy->SetChunkSize(1024);
        return copy;
    }
    void CheckEnd(BackgroundJob& job, JobStatus end) {
        EXPECT_TRUE(static_cast<HexBlockFileCopy&>(job).Result().isEmpty());
        if (end == JobStatus::Done) {
            const std::vector<uint8_t> copied = fixture::readFile(target_);
            EXPECT_TRUE(std::equal(copied.begin(), copied.end(), bytes_.begin() + 100,
                                   bytes_.begin() + 100 + 40 * 1024));
            EXPECT_EQ(copied.size(), 40u * 1024);
            EXPECT_EQ(filesIn(folder_), 1u);
        } else {
            EXPECT_EQ(filesIn(folder_), 0u);
        }
    }
    void CheckFreed() {
        const size_t files = filesIn(folder_);
        EXPECT_LE(files, 1u);
        if (files == 1) {
            EXPECT_EQ(fixture::readFile(target_).size(), 40u * 1024);
        }
    }

private:
    std::vector<uint8_t> bytes_ = patternBytes(64 * 1024);
    std::string folder_;
    std::string target_;
};

class SearchAdapter {
public:
    std::unique_ptr<BackgroundJob> Make() {
        // A pattern that is not in the bytes: the search reads them all, chunk by chunk.
        HexSearchPattern pattern;
        pattern.bytes = {0x01, 0x02, 0x03, 0x04, 0x05};
        auto worker = std::make_unique<HexSearchWorker>(std::make_shared<TLN_MemoryStream>(bytes_), pattern,
                                                        0, int64_t(bytes_.size()), 0);
        worker->SetChunkSize(512);
        return worker;
    }
    void CheckEnd(BackgroundJob& job, JobStatus end) {
        EXPECT_EQ(static_cast<HexSearchWorker&>(job).Result().result, end == JobStatus::Done ? -1 : -2);
    }
    void CheckFreed() {}

private:
    std::vector<uint8_t> bytes_ = std::vector<uint8_t>(64 * 1024, 0xAA);
};

} // namespace

using HexJobs = ::testing::Types<BlockCopyAdapter, SearchAdapter>;
INSTANTIATE_TYPED_TEST_SUITE_P(Hex, JobContract, HexJobs);
