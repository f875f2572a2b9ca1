// The ISO tab's listing of an image made with xorriso (rows, types, grouped sizes, dates, the type cache,
// the pop-up items with and without a compression list) and extracting files from it: byte-equal copies,
// and neither a failed write, a stop nor a missing folder leaving a partial file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/iso/ISOImage.h"
#include "mainwindow/model/IsoExtraction.h"
#include "mainwindow/model/IsoListing.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "support/fixtures/QtPrinting.h"

namespace {

using Kind = IsoListItem::Kind;

std::vector<uint8_t> pattern(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = uint8_t((i * 2654435761u + seed) >> 13);
    return bytes;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class IsoListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        KIWI_NEED_XORRISO();
        const std::string content = path("content");
        big = pattern(1234567, 7);
        fixture::writeFile(content + "/ALLDATA.KWI", big);
        fixture::writeFile(content + "/README.TXT", pattern(10, 1));
        fixture::writeFile(content + "/NOEXT", pattern(3, 2));
        fixture::writeFile(content + "/DATA/PICTURE.PNG", pattern(100, 3));
        if (withList) {
            fixture::CmpListEntryPlan entry;
            entry.name = "DATA/SUB/DEEP.KWI";
            entry.type = 2;
            fixture::writeFile(content + "/DATA/SUB/DEEP.KWI",
                               fixture::buildCmpDataFile(pattern(5000, 4), entry));
            fixture::writeFile(content + "/05.CMP", fixture::buildCmpList({entry}));
        } else {
            fixture::writeFile(content + "/DATA/SUB/DEEP.KWI", pattern(5000, 4));
        }
        fixture::makeIsoWithXorriso(content, path("disc.iso"));
        ASSERT_TRUE(OpenISOImage(path("disc.iso")));
        image = GetISOImage();
        ASSERT_TRUE(image && image->Tree());
    }
    void TearDown() override { CloseISOImage(); }

    std::string path(const std::string& name) const { return (dir.path() + "/").toStdString() + name; }
    QString qpath(const std::string& name) const { return QString::fromStdString(path(name)); }
    const TDirectoryEntry& root() const { return *image->Tree()->Root(); }
    static const IsoListItem* find(const std::vector<IsoListItem>& items, const QString& name) {
        for (const IsoListItem& item : items)
            if (item.name == name) return &item;
        return nullptr;
    }
    const IsoListItem& rootFile(const QString& name) {
        rootItems = ListIsoDirectory(root(), types);
        const IsoListItem* item = find(rootItems, name);
        EXPECT_NE(item, nullptr) << name.toStdString();
        return *item;
    }

    bool withList = false;
    QTemporaryDir dir;
    std::vector<uint8_t> big;
    std::shared_ptr<TISOImage> image;
    IsoFileTypes types;
    std::vector<IsoListItem> rootItems;
};

class IsoListingWithListTest : public IsoListingTest {
protected:
    void SetUp() override {
        withList = true;
        IsoListingTest::SetUp();
    }
};

TEST_F(IsoListingTest, RootListsDirectoriesThenFilesWithTypesSizesAndDates) {
    const std::vector<IsoListItem> items = ListIsoDirectory(root(), types);
    ASSERT_EQ(items.size(), 4u);
    // The root has no parent row; directories come before files.
    EXPECT_EQ(items[0].kind, Kind::Directory);
    EXPECT_EQ(items[0].name, "DATA");
    EXPECT_TRUE(items[0].size.isEmpty());
    EXPECT_FALSE(items[0].type.isEmpty());
    for (size_t i = 1; i < items.size(); ++i)
        EXPECT_EQ(items[i].kind, Kind::File);

    const IsoListItem* kwi = find(items, "ALLDATA.KWI");
    ASSERT_NE(kwi, nullptr);
    EXPECT_EQ(kwi->size, "1 234 567");
    EXPECT_EQ(kwi->type, QStringLiteral("Файл \"KWI\""));
    EXPECT_EQ(kwi->directory, &root());
    EXPECT_EQ(IsoEntryPath(*kwi->file), "ALLDATA.KWI");
    const IsoListItem* text = find(items, "README.TXT");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->size, "10");
    EXPECT_NE(text->type, "Unknown");
    EXPECT_FALSE(text->iconName.isEmpty());
    const IsoListItem* bare = find(items, "NOEXT.");
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->type, "Unknown");

    // xorriso records the time it wrote the image.
    const QDateTime when = IsoRecordingTime(kwi->file->Header());
    ASSERT_TRUE(when.isValid());
    EXPECT_LT(std::abs(when.secsTo(QDateTime::currentDateTime())), 2 * 86400);
    EXPECT_EQ(when.time().second(), 0);
    EXPECT_FALSE(kwi->date.isEmpty());
}

TEST_F(IsoListingTest, SubdirectoryStartsWithTheParentRow) {
    const std::vector<IsoListItem> top = ListIsoDirectory(root(), types);
    const std::vector<IsoListItem> data = ListIsoDirectory(*top[0].directory, types);
    ASSERT_EQ(data.size(), 3u);
    EXPECT_EQ(data[0].kind, Kind::Parent);
    EXPECT_EQ(data[0].name, "/\\");
    EXPECT_EQ(data[0].directory, &root());
    EXPECT_EQ(data[1].name, "SUB");
    EXPECT_EQ(data[2].name, "PICTURE.PNG");
    EXPECT_EQ(data[2].type, types.ForFile("x.png").typeName);
    EXPECT_NE(data[2].type, "Unknown");

    const std::vector<IsoListItem> sub = ListIsoDirectory(*data[1].directory, types);
    ASSERT_EQ(sub.size(), 2u);
    EXPECT_EQ(sub[0].directory, data[1].directory->Parent());
    EXPECT_EQ(IsoEntryPath(*sub[1].file), "DATA\\SUB\\DEEP.KWI");
}

TEST_F(IsoListingTest, TypesAreLookedUpOncePerExtension) {
    for (int i = 0; i < 3; ++i)
        ListIsoDirectory(root(), types);
    // The folder type, ".kwi", ".txt" and no extension.
    EXPECT_EQ(types.Lookups(), 4);
    types.ForFile("OTHER.KWI");
    types.ForFile("other.kwi");
    EXPECT_EQ(types.Lookups(), 4);
}

TEST(IsoRecordingTimeTest, ReadsTheRecordAndRejectsImpossibleDates) {
    struct Case {
        uint8_t year, month, day, hour, minute;
        bool valid;
    };
    for (const Case& c :
         {Case{126, 12, 7, 14, 5, true}, Case{0, 1, 1, 0, 0, true}, Case{99, 0, 1, 0, 0, false},
          Case{99, 2, 30, 0, 0, false}, Case{99, 1, 1, 24, 0, false}}) {
        TDirectoryRecordHeader header{};
        header[18] = c.year;
        header[19] = c.month;
        header[20] = c.day;
        header[21] = c.hour;
        header[22] = c.minute;
        header[23] = 59; // seconds are not shown
        const QDateTime when = IsoRecordingTime(header);
        EXPECT_EQ(when.isValid(), c.valid) << int(c.year) << "-" << int(c.month) << "-" << int(c.day);
        if (c.valid) {
            EXPECT_EQ(when.date(), QDate(1900 + c.year, c.month, c.day));
            EXPECT_EQ(when.time(), QTime(c.hour, c.minute));
            if (c.year == 126) {
                EXPECT_EQ(IsoDateText(header).toStdString(), "07.12.2026 14:05");
            }
        } else {
            EXPECT_TRUE(IsoDateText(header).isEmpty());
        }
    }
}

TEST_F(IsoListingTest, WithoutACompressionListNoFileCanBeUnpacked) {
    EXPECT_EQ(OpenImageCompressionList(), nullptr);
    const std::vector<IsoListItem> items = ListIsoDirectory(root(), types);
    for (const IsoListItem& item : items) {
        const IsoItemActions actions = isoItemActions(item, nullptr);
        const bool file = item.kind == Kind::File;
        EXPECT_EQ(actions.openInHexViewer, file) << item.name.toStdString();
        EXPECT_EQ(actions.extract, file);
        EXPECT_FALSE(actions.unpack);
    }
}

TEST_F(IsoListingWithListTest, OnlyAFileTheListCompressesCanBeUnpacked) {
    const std::unique_ptr<TLN_CompressionManager> list = OpenImageCompressionList();
    ASSERT_NE(list, nullptr);
    const std::vector<IsoListItem> top = ListIsoDirectory(root(), types);
    const std::vector<IsoListItem> data = ListIsoDirectory(*top[0].directory, types);
    const std::vector<IsoListItem> sub = ListIsoDirectory(*data[1].directory, types);
    EXPECT_TRUE(isoItemActions(sub[1], list.get()).unpack);
    EXPECT_FALSE(isoItemActions(sub[0], list.get()).unpack); // the parent row
    EXPECT_FALSE(isoItemActions(*find(top, "ALLDATA.KWI"), list.get()).unpack);
    EXPECT_FALSE(isoItemActions(*find(top, "DATA"), list.get()).openInHexViewer);
}

TEST_F(IsoListingTest, ExtractionCopiesTheFileByteForByte) {
    const IsoListItem& kwi = rootFile("ALLDATA.KWI");
    const QString target = qpath("out/ALLDATA.KWI");
    QDir().mkpath(qpath("out"));
    std::vector<int64_t> seen;
    const IsoExtraction::Outcome status = IsoExtraction::Extract(
        *image, *kwi.file, target, &IsoExtraction::SavedFile, {}, [&](int64_t w) { seen.push_back(w); });
    EXPECT_EQ(status.state, IsoExtraction::State::Done) << status.error.toStdString();
    EXPECT_EQ(readAll(target), QByteArray(reinterpret_cast<const char*>(big.data()), qsizetype(big.size())));
    // Progress in 1 MiB chunks up to the whole size.
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen.back(), 1234567);
    EXPECT_EQ(QDir(qpath("out")).entryList(QDir::Files), QStringList{"ALLDATA.KWI"});
}

TEST_F(IsoListingTest, TheWorkerReportsThroughItsMailbox) {
    const IsoListItem& kwi = rootFile("README.TXT");
    IsoExtraction extraction(image, kwi.file, qpath("readme.txt"));
    extraction.Start();
    extraction.RequestStop();
    // A worker this short is done or stopped, never half-written.
    const IsoExtraction::Outcome status = extraction.Result();
    if (status.state == IsoExtraction::State::Done)
        EXPECT_EQ(readAll(qpath("readme.txt")).size(), 10);
    else
        EXPECT_FALSE(QFile::exists(qpath("readme.txt")));
    EXPECT_EQ(status.total, 10);
}

// Writes through a saved file but fails the nth write, or asks to stop before it.
struct FailingOutput : IsoExtraction::Output {
    FailingOutput(const QString& target, int failingWrite, std::atomic<bool>* stopper)
        : inner(IsoExtraction::SavedFile(target)), failAt(failingWrite), stop(stopper) {}
    bool Open(QString& error) override { return inner->Open(error); }
    bool Write(const char* data, int64_t size, QString& error) override {
        if (++writes == failAt) {
            if (stop) {
                *stop = true;
            } else {
                error = QStringLiteral("disk full");
                return false;
            }
        }
        return inner->Write(data, size, error);
    }
    bool Commit(QString& error) override { return inner->Commit(error); }
    std::unique_ptr<IsoExtraction::Output> inner;
    int failAt;
    std::atomic<bool>* stop;
    int writes = 0;
};

TEST_F(IsoListingTest, AFailedOrStoppedExtractionLeavesNoPartialFileAndKeepsTheOldTarget) {
    const IsoListItem& kwi = rootFile("ALLDATA.KWI");
    QDir().mkpath(qpath("out"));
    const QString target = qpath("out/ALLDATA.KWI");
    fixture::writeFile(target.toStdString(), {'o', 'l', 'd'});
    {
        const IsoExtraction::Outcome status = IsoExtraction::Extract(
            *image, *kwi.file, target,
            [](const QString& t) { return std::make_unique<FailingOutput>(t, 2, nullptr); }, {}, {});
        EXPECT_EQ(status.state, IsoExtraction::State::Failed);
        EXPECT_EQ(status.error, "disk full");
    }
    {
        std::atomic<bool> stop{false};
        const IsoExtraction::Outcome status = IsoExtraction::Extract(
            *image, *kwi.file, target,
            [&](const QString& t) { return std::make_unique<FailingOutput>(t, 1, &stop); }, stop, {});
        EXPECT_EQ(status.state, IsoExtraction::State::Stopped);
    }
    EXPECT_EQ(readAll(target), "old");
    EXPECT_EQ(QDir(qpath("out")).entryList(QDir::Files | QDir::Hidden), QStringList{"ALLDATA.KWI"});

    // A folder that does not exist: a failure with the reason, and nothing made.
    const IsoExtraction::Outcome missing = IsoExtraction::Extract(
        *image, *kwi.file, qpath("none/ALLDATA.KWI"), &IsoExtraction::SavedFile, {}, {});
    EXPECT_EQ(missing.state, IsoExtraction::State::Failed);
    EXPECT_FALSE(missing.error.isEmpty());
    EXPECT_FALSE(QFile::exists(qpath("none")));
}

} // namespace
