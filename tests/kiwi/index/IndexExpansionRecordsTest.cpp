// Individual expansion records in a row: each record is found by stepping over the ones before it, so
// a rounding slip in one record's length shifts every later record. Names whose length is 3 mod 4 make
// 25 + name + 4 a multiple of 4 already: those records carry no padding at all.
#include <gtest/gtest.h>

#include "kiwi/index/IndexManager.h"
#include "kiwi/io/MemoryStream.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IndexFixture.h"

namespace {

using fixture::ExpansionRecordPlan;
using namespace fixture::expansion_layout;

ExpansionRecordPlan record(const std::string& name, uint32_t n) {
    ExpansionRecordPlan r;
    r.declaration = "EX" + std::to_string(10 + n);
    r.latitude = int32_t(1000 * n) - 5000; // negative ones too: sign-magnitude
    r.longitude = int32_t(7000 * n + 1);
    r.byteValue = uint8_t(n + 1);
    r.wordValue = uint16_t(0x1000 + n);
    r.size = 0x100 + n;
    r.address = n % 2 ? "FNME" : "LOCL";
    r.name = name;
    r.wordOffset = 0x40 + n;
    return r;
}

std::unique_ptr<TLN_IndexManager> openIndex(const std::vector<uint8_t>& bytes, int64_t base = 0) {
    std::vector<uint8_t> file(size_t(base), 0xCC);
    file.insert(file.end(), bytes.begin(), bytes.end());
    return TLN_IndexManager::CreateFromStream(std::make_shared<TLN_MemoryStream>(file, "INDEXDAT.KWI"), base);
}

// Every record read back at the position the layout gives it, with all of its fields.
void expectRecords(TLN_IndexManager& index, const std::vector<ExpansionRecordPlan>& plans, int64_t base) {
    ASSERT_TRUE(index.IsValid());
    ASSERT_EQ(index.ExpansionCount(), plans.size());
    EXPECT_FALSE(index.ExpansionTruncated());
    int64_t position = base + kFirstRecord;
    for (uint32_t i = 0; i < plans.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        const ExpansionRecordPlan& plan = plans[i];
        TLN_Index_Expansion_Rec r;
        ASSERT_TRUE(index.ReadExpansionRecord(i, r));
        EXPECT_EQ(r.Position, position);
        EXPECT_EQ(r.Length, int64_t(fixture::expansionRecordLength(plan)));
        EXPECT_EQ(r.DataDeclaration, plan.declaration);
        EXPECT_EQ(r.ManufacturerID.Y, plan.latitude);
        EXPECT_EQ(r.ManufacturerID.X, plan.longitude);
        EXPECT_EQ(r.ManufacturerID.ByteValue, plan.byteValue);
        EXPECT_EQ(r.ManufacturerID.WordValue, plan.wordValue);
        EXPECT_EQ(r.Size, plan.size);
        EXPECT_EQ(r.AddressDeclaration, plan.address);
        EXPECT_EQ(r.FileName, plan.name);
        EXPECT_EQ(r.DataOffset, plan.wordOffset);
        if (plan.address == "FNME") {
            // A file address without a file name leads nowhere.
            EXPECT_EQ(r.Data.FileName, plan.name);
            EXPECT_EQ(r.Data.DataPosition, plan.name.empty() ? -1 : int64_t(plan.wordOffset) * 2);
        } else {
            EXPECT_EQ(r.Data.DataPosition, base + int64_t(plan.wordOffset) * 2);
        }
        position += fixture::expansionRecordLength(plan);
    }
    TLN_Index_Expansion_Rec past;
    EXPECT_FALSE(index.ReadExpansionRecord(uint32_t(plans.size()), past));
}

} // namespace

TEST(IndexExpansionRecords, UnpaddedRecordsInARow) {
    // 3, 7, 11, 15, 3 characters: 32, 36, 40, 44, 32 bytes, no padding byte anywhere.
    const std::vector<ExpansionRecordPlan> plans = {record("abc", 0), record("SRCH001", 1),
                                                    record("SRCH001.KWI", 2), record("SRCH0000001.KWI", 3),
                                                    record("xyz", 4)};
    for (const ExpansionRecordPlan& plan : plans)
        ASSERT_EQ(25 + plan.name.size() + 4, fixture::expansionRecordLength(plan));
    for (int64_t base : {int64_t(0), int64_t(0x800)}) {
        SCOPED_TRACE("base " + std::to_string(base));
        auto index = openIndex(fixture::buildExpansionIndex(plans), base);
        expectRecords(*index, plans, base);
    }
}

TEST(IndexExpansionRecords, UnpaddedBetweenPaddedRecords) {
    // Every remainder of the name length: 0..3 bytes of padding in turn, unpadded ones among them.
    std::vector<ExpansionRecordPlan> plans;
    const std::vector<std::string> names = {"abc", "", "abcd", "abcdefg", "ab", "a", "abcdefghijk", "abcde"};
    for (uint32_t i = 0; i < names.size(); ++i)
        plans.push_back(record(names[i], i));
    auto index = openIndex(fixture::buildExpansionIndex(plans));
    expectRecords(*index, plans, 0);
}

TEST(IndexExpansionRecords, AnUnpaddedLastRecordMayEndTheFieldExactly) {
    const std::vector<ExpansionRecordPlan> plans = {record("abc", 0), record("abcdefg", 1),
                                                    record("FILE.KW", 2)};
    {
        auto index = openIndex(fixture::buildExpansionIndex(plans, 0));
        expectRecords(*index, plans, 0);
    }
    {
        // Two bytes short: the last record's data offset leaves the field, so it is not a record.
        auto index = openIndex(fixture::buildExpansionIndex(plans, -2));
        ASSERT_TRUE(index->IsValid());
        EXPECT_EQ(index->ExpansionCount(), 2u);
        EXPECT_TRUE(index->ExpansionTruncated());
        TLN_Index_Expansion_Rec r;
        EXPECT_FALSE(index->ReadExpansionRecord(2, r));
        ASSERT_TRUE(index->ReadExpansionRecord(1, r));
        EXPECT_EQ(r.FileName, "abcdefg");
        EXPECT_EQ(r.Position, kFirstRecord + 32);
    }
}
