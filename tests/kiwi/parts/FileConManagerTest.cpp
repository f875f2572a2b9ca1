// FILECON.MNG: header limits, list edits, byte-exact saves and saves that cannot complete.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/parts/FileConManager.h"
#include "support/fixtures/FileConFixture.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

std::string write(const std::string& test, const fixture::FileConPlan& plan) {
    const std::string path = fixture::scratchDir(test) + "/FILECON.MNG";
    fixture::writeFile(path, fixture::buildFileCon(plan));
    return path;
}

fixture::FileConPlan planWith(uint16_t headerSize, int count) {
    fixture::FileConPlan plan;
    plan.headerSize = headerSize;
    plan.entries = fixture::fileConEntries(count);
    return plan;
}

TLN_FileConRecord recordOf(const fixture::FileConEntry& e) {
    return {e.number, e.logicalName, e.physicalName, e.size};
}

} // namespace

TEST(FileConManager, HeaderSizeAndCountDecideValidity) {
    for (auto [headerSize, count, valid] : {std::tuple{16, 2, true},
                                            {8, 2, true},
                                            {4, 2, false},
                                            {0, 0, false},
                                            {16, 99, true},
                                            {16, 100, false}}) {
        TLN_FileConManager reader(write("filecon-valid", planWith(uint16_t(headerSize), count)));
        EXPECT_EQ(reader.IsValid(), valid) << headerSize << " " << count;
        EXPECT_EQ(reader.Count(), valid ? count : 0);
    }
}

TEST(FileConManager, ReadsRecordsInFileOrder) {
    TLN_FileConManager reader(write("filecon-read", planWith(16, 2)));
    ASSERT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.HeaderSize(), 16);
    EXPECT_EQ(reader.HeaderValue(), 0xCAFE0001u);
    const TLN_FileConRecord& second = reader.GetRecord(1);
    EXPECT_EQ(second.Number, 16);
    EXPECT_EQ(second.PhysicalName, "FILE1.KWI");
    EXPECT_EQ(second.LogicalName, "ODD.KWI");
    EXPECT_EQ(second.FileSize, 1001u);
    EXPECT_THROW(reader.GetRecord(2), std::out_of_range);
    EXPECT_THROW(reader.GetRecord(-1), std::out_of_range);
}

TEST(FileConManager, RecordsPastTheEndAreLeftOut) {
    fixture::FileConPlan plan = planWith(16, 3);
    plan.declaredCount = 60;
    TLN_FileConManager reader(write("filecon-short", plan));
    ASSERT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.Count(), 3);
    EXPECT_TRUE(reader.Truncated());
}

TEST(FileConManager, EditsSaveByteExact) {
    const auto entries = fixture::fileConEntries(3);
    const fixture::FileConEntry added{0, "ALLDATA1.KWI", "ALLDATA.KWI", 0x80000000u};
    struct Case {
        const char* name;
        uint16_t headerSize;
        std::function<void(TLN_FileConManager&)> edit;
        std::vector<fixture::FileConEntry> expected;
    };
    const std::vector<Case> cases = {
        {"unchanged", 16, [](TLN_FileConManager&) {}, entries},
        {"delete first", 16, [](TLN_FileConManager& r) { r.Delete(0); }, {entries[1], entries[2]}},
        {"insert first",
         16,
         [&](TLN_FileConManager& r) { r.Insert(0, recordOf(added)); },
         {added, entries[0], entries[1], entries[2]}},
        {"insert last, delete middle",
         8,
         [&](TLN_FileConManager& r) {
             r.Insert(3, recordOf(added));
             r.Delete(1);
         },
         {entries[0], entries[2], added}},
        {"delete all",
         16,
         [](TLN_FileConManager& r) {
             for (int i = 0; i < 3; ++i)
                 r.Delete(0);
         },
         {}},
    };
    for (const Case& c : cases) {
        fixture::FileConPlan plan = planWith(c.headerSize, 3);
        const std::string path = write("filecon-edit", plan);
        TLN_FileConManager reader(path);
        ASSERT_TRUE(reader.IsValid());
        c.edit(reader);
        const std::string out = fixture::scratchDir("filecon-edit-out") + "/FILECON.MNG";
        reader.SaveToFile(out);
        plan.entries = c.expected;
        EXPECT_EQ(fixture::readFile(out), fixture::buildFileCon(plan)) << c.name;
        // Saving over the file the reader was opened from works too.
        reader.SaveToFile(path);
        EXPECT_EQ(fixture::readFile(path), fixture::buildFileCon(plan)) << c.name;
    }
}

TEST(FileConManager, RefusesBadPositionsAndLongNames) {
    TLN_FileConManager reader(write("filecon-refuse", planWith(16, 2)));
    EXPECT_THROW(reader.Insert(3, {}), std::out_of_range);
    EXPECT_THROW(reader.Insert(-1, {}), std::out_of_range);
    EXPECT_THROW(reader.Delete(2), std::out_of_range);
    EXPECT_THROW(reader.Insert(0, {1, "ALLDATA.KWI", "ALLDATA10.KWI", 5}), EConvertError);
    EXPECT_THROW(reader.Insert(0, {1, "LOGICALNAME.KWI", "A.KWI", 5}), EConvertError);
    EXPECT_EQ(reader.Count(), 2);
    // Exactly 12 bytes fill the field without a terminator.
    reader.Insert(0, {1, "TWELVE12.KWI", "ALLDATA9.KWI", 5});
    const std::string out = fixture::scratchDir("filecon-refuse-out") + "/FILECON.MNG";
    reader.SaveToFile(out);
    TLN_FileConManager again(out);
    EXPECT_EQ(again.GetRecord(0).LogicalName, "TWELVE12.KWI");
    EXPECT_EQ(again.GetRecord(0).PhysicalName, "ALLDATA9.KWI");
}

TEST(FileConManager, FailedSaveLeavesTheOriginal) {
    const fixture::FileConPlan plan = planWith(16, 3);
    const std::string path = write("filecon-fail", plan);
    TLN_FileConManager reader(path);
    reader.Delete(0);

    // The target is a folder: the finished temporary file cannot replace it, and nothing is left behind.
    const std::string folder = fixture::scratchDir("filecon-fail-dir");
    const std::string blocked = folder + "/FILECON.MNG";
    fixture::writeFile(blocked + "/inside.txt", {1, 2, 3});
    EXPECT_THROW(reader.SaveToFile(blocked), KiwiError);
    EXPECT_EQ(fixture::readFile(blocked + "/inside.txt"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(QDir(QString::fromStdString(folder)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{"FILECON.MNG"});

    // A folder that does not exist.
    EXPECT_THROW(reader.SaveToFile(folder + "/missing/FILECON.MNG"), EFCreateError);

    // An unwritable folder (permissions do not bind the superuser, who skips this part).
    if (geteuid() != 0) {
        const QString dir = QString::fromStdString(path).section('/', 0, -2);
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_THROW(reader.SaveToFile(path), EFCreateError);
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    EXPECT_EQ(fixture::readFile(path), fixture::buildFileCon(plan));
}
