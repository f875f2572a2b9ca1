// Reader base: validity from the offset, shared streams outlive readers.
#include <gtest/gtest.h>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/parts/Manager.h"
#include "support/fixtures/FixtureWriter.h"

TEST(Manager, ValidityFollowsTheOffset) {
    auto stream = std::make_shared<TLN_MemoryStream>(std::vector<uint8_t>(100, 1));
    EXPECT_FALSE(TLN_Manager(stream, 100).IsValid());
    EXPECT_TRUE(TLN_Manager(stream, 99).IsValid());
    EXPECT_FALSE(TLN_Manager(stream, -1).IsValid()); // an all-ones address
    EXPECT_FALSE(TLN_Manager(nullptr, 0).IsValid());
    {
        TLN_Manager reader(stream, 0);
        EXPECT_FALSE(reader.OwnsStream());
    }
    EXPECT_EQ(stream->Size(), 100); // still usable after the reader is gone
}

TEST(Manager, OpensFilesByName) {
    const std::string path = fixture::scratchDir("manager") + "/X.KWI";
    fixture::writeFile(path, {1, 2, 3});
    TLN_Manager reader(path);
    EXPECT_TRUE(reader.IsValid());
    EXPECT_TRUE(reader.OwnsStream());
    EXPECT_EQ(reader.GetFileName(), path);
    EXPECT_THROW(TLN_Manager("/nonexistent/X.KWI"), EFOpenError);
}
