// Searches over every kind of stream the hex viewer shows: the worker's own stream of the same class
// (plain file, file-layer stream, decompressing stream, inside an ISO image made by xorriso), and hits in
// a CMP-compressed file built with real zlib, as memmem finds them in the decompressed bytes.
#include <gtest/gtest.h>

#include "HexTestSupport.h"
#include "hexview/model/SearchStreamOpener.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/disc/FileStream.h"
#include "kiwi/io/HandleStream.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "support/fixtures/SearchFixture.h"

namespace {

using fixture::bytesOf;

const std::vector<uint8_t> kNeedle = bytesOf("\x7F<planted hit>\x80");

// Map-like content (what compressed KIWI files hold) with the needle planted at its start, across 64 KiB
// block borders and in its last bytes.
std::vector<uint8_t> plantedContent(size_t size) {
    auto content = fixture::mapLikeContent(size, 17);
    const int64_t length = int64_t(kNeedle.size());
    for (const int64_t at : {int64_t(0), int64_t(65536 - 4), int64_t(5 * 65536 - 1), int64_t(size) / 2 + 1,
                             int64_t(size) - length})
        std::copy(kNeedle.begin(), kNeedle.end(), content.begin() + at);
    return content;
}

std::vector<int64_t> findAll(const std::shared_ptr<TLN_Stream>& stream, int* workerRuns) {
    HexGridModel model;
    HexSearchController search(model);
    // A small inline stage, so that most of the file is searched by the worker on its own stream.
    search.SetInlineBudget(100 * 1024, std::chrono::milliseconds(50));
    model.SetStream(stream, 0);
    const QByteArray needle(reinterpret_cast<const char*>(kNeedle.data()), qsizetype(kNeedle.size()));
    std::vector<int64_t> hits;
    for (int64_t start = 0;;) {
        const int64_t found = search.Find(needle, false, model.Size(), start);
        if (found == HexSearchController::kSearchRunning) ++*workerRuns;
        const int64_t hit = hextest::waitForEnd(search, found);
        if (hit < 0) break;
        hits.push_back(hit);
        start = hit + 1;
    }
    return hits;
}

struct Mounted {
    explicit Mounted(const std::string& image) { ok = OpenISOImage(image); }
    ~Mounted() { CloseISOImage(); }
    bool ok = false;
};

TEST(HexSearchSources, TheWorkerOpensItsOwnStreamOfTheSameClass) {
    const std::string dir = fixture::scratchDir("hex-search-reopen");
    fixture::writeFile(dir + "/PLAIN.BIN", fixture::searchHaystack(70000, 2));
    std::shared_ptr<TLN_Stream> handle = TLN_HandleStream::OpenForReading(dir + "/PLAIN.BIN");
    std::shared_ptr<TLN_Stream> file = std::make_shared<TLN_FileStream>(dir + "/PLAIN.BIN");
    std::shared_ptr<TLN_Stream> decomp = TLN_DecompFileStream::Create(dir + "/PLAIN.BIN");
    for (const auto& shown : {handle, file, decomp}) {
        const auto own = OpenSearchStream(shown);
        EXPECT_NE(own, shown);
        const TLN_Stream& ownStream = *own;
        const TLN_Stream& shownStream = *shown;
        EXPECT_EQ(typeid(ownStream), typeid(shownStream));
        EXPECT_EQ(own->Size(), 70000);
    }
    // A stream of another class serves both threads through its positionless reads.
    const auto memory = hextest::memoryStream(bytesOf("abc"));
    EXPECT_EQ(OpenSearchStream(memory), memory);
    // A file that is gone cannot be reopened: the shown stream is used.
    std::remove((dir + "/PLAIN.BIN").c_str());
    EXPECT_EQ(OpenSearchStream(handle), handle);
    EXPECT_EQ(OpenSearchStream(file), file);
}

TEST(HexSearchSources, HitsInACompressedFileAreFoundInItsDecompressedBytes) {
    const std::string root = fixture::scratchDir("hex-search-cmp");
    const auto content = plantedContent(size_t(3) << 20);
    const auto expected = fixture::memmemOffsets(content, kNeedle);
    ASSERT_EQ(expected.size(), 5u);
    for (const auto layout : {fixture::CmpLayout::Gzip05, fixture::CmpLayout::Zlib13}) {
        const std::string folder = root + "/" + fixture::cmpLayoutName(layout);
        fixture::writeCmpLayout(folder, layout, "DATA/PACKED.KWI", content);
        std::shared_ptr<TLN_Stream> stream = TLN_DecompFileStream::Create(folder + "/DATA/PACKED.KWI");
        ASSERT_TRUE(static_cast<TLN_DecompFileStream&>(*stream).Listed());
        const auto own = OpenSearchStream(stream);
        EXPECT_NE(own, stream);
        EXPECT_TRUE(static_cast<TLN_DecompFileStream&>(*own).Listed());
        int workerRuns = 0;
        EXPECT_EQ(findAll(stream, &workerRuns), expected) << fixture::cmpLayoutName(layout);
        EXPECT_GE(workerRuns, 1);
    }
}

TEST(HexSearchSources, HitsInsideAnIsoImage) {
    KIWI_NEED_XORRISO();
    const std::string dir = fixture::scratchDir("hex-search-iso");
    const auto plain = fixture::searchHaystack(size_t(4) << 20, 8,
                                               {{0, kNeedle}, {3 << 20, kNeedle}, {(4 << 20) - 15, kNeedle}});
    fixture::writeFile(dir + "/tree/DATA/PLAIN.BIN", plain);
    const auto content = plantedContent(size_t(1) << 20);
    fixture::writeCmpLayout(dir + "/tree", fixture::CmpLayout::Gzip05, "DATA/PACKED.KWI", content);
    fixture::makeIsoWithXorriso(dir + "/tree", dir + "/disc.iso");
    Mounted mounted(dir + "/disc.iso");
    ASSERT_TRUE(mounted.ok);

    std::shared_ptr<TLN_Stream> file = std::make_shared<TLN_FileStream>("DATA/PLAIN.BIN");
    const auto own = std::dynamic_pointer_cast<TLN_FileStream>(OpenSearchStream(file));
    ASSERT_TRUE(own);
    EXPECT_NE(own, file);
    EXPECT_EQ(own->ImageEntry(), static_cast<TLN_FileStream&>(*file).ImageEntry());
    int workerRuns = 0;
    EXPECT_EQ(findAll(file, &workerRuns), fixture::memmemOffsets(plain, kNeedle));
    EXPECT_GE(workerRuns, 1);

    std::shared_ptr<TLN_Stream> packed = TLN_DecompFileStream::Create("DATA/PACKED.KWI");
    ASSERT_TRUE(static_cast<TLN_DecompFileStream&>(*packed).Listed());
    EXPECT_EQ(findAll(packed, &workerRuns), fixture::memmemOffsets(content, kNeedle));

    // Once the image is gone the shown stream (which keeps it alive) serves the worker.
    CloseISOImage();
    EXPECT_EQ(OpenSearchStream(file), file);
    EXPECT_EQ(findAll(file, &workerRuns), fixture::memmemOffsets(plain, kNeedle));
}

} // namespace
