// The reopen list as the sample disc tool reads it (the program's own rules: the "ReopenData" lines,
// whatever "ReopenDataSize" says, else the older single values) and the settings it stores.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "platform/RegistrySettings.h"
#include "platform/SettingsStore.h"
#include "sample-disc/ReopenList.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/ScopedEnvironment.h"

namespace {

class ReopenListTest : public ::testing::Test {
protected:
    QString scratch_ = QString::fromStdString(fixture::scratchDir("reopen-list"));
    fixture::ScopedEnvironment config_{"XDG_CONFIG_HOME", QFile::encodeName(scratch_ + "/config")};

    static void storeData(const QByteArray& bytes, int32_t size) {
        ASSERT_TRUE(RegWriteBinary("ReopenData", bytes.constData(), bytes.size()));
        ASSERT_TRUE(RegWriteInteger("ReopenDataSize", size));
    }
    QString existingFile(const QString& name) const {
        QFile file(scratch_ + "/" + name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return file.fileName();
    }
};

} // namespace

TEST_F(ReopenListTest, NoSettingsIsAnEmptyList) {
    EXPECT_TRUE(readReopenList().isEmpty());
    EXPECT_FALSE(QFile::exists(SettingsStore::userFilePath())); // reading creates nothing
}

TEST_F(ReopenListTest, DataLinesEndInCrLfOrLfAndEmptyOnesAreSkipped) {
    const QByteArray data = "/a/disc.iso\r\n\r\n/b\n/c d\r\n";
    storeData(data, int32_t(data.size()));
    EXPECT_EQ(readReopenList(), QStringList({"/a/disc.iso", "/b", "/c d"}));
}

TEST_F(ReopenListTest, AStoredSizeShorterThanTheDataCutsNoEntry) {
    storeData("/first\r\n/second\r\n", 8);
    EXPECT_EQ(readReopenList(), QStringList({"/first", "/second"}));
}

TEST_F(ReopenListTest, DataShorterThanItsSizeStillCounts) {
    ASSERT_TRUE(RegWriteString("Disk", "/media/cdrom"));
    storeData("/short\r\n", 100);
    EXPECT_EQ(readReopenList(), QStringList({"/short"}));
}

TEST_F(ReopenListTest, SizeZeroOrOfAnotherTypeStillListsTheData) {
    ASSERT_TRUE(RegWriteString("Disk", "/media/cdrom"));
    storeData("/listed\r\n", 0);
    EXPECT_EQ(readReopenList(), QStringList({"/listed"}));
    ASSERT_TRUE(RegWriteString("ReopenDataSize", "9"));
    EXPECT_EQ(readReopenList(), QStringList({"/listed"}));
}

TEST_F(ReopenListTest, SingleValuesCountOnlyWhenTheyExistExceptTheDisk) {
    ASSERT_TRUE(RegWriteString("Disk", "/no/such/disk"));
    ASSERT_TRUE(RegWriteString("Folder", scratch_));
    ASSERT_TRUE(RegWriteString("File", existingFile("ALLDATA.KWI")));
    ASSERT_TRUE(RegWriteString("IsoFile", scratch_ + "/missing.iso"));
    EXPECT_EQ(readReopenList(), QStringList({"/no/such/disk", scratch_, scratch_ + "/ALLDATA.KWI"}));
    ASSERT_TRUE(RegWriteString("Disk", ""));
    ASSERT_TRUE(RegWriteString("Folder", scratch_ + "/missing"));
    ASSERT_TRUE(RegWriteString("File", scratch_)); // a folder is not a file
    ASSERT_TRUE(RegWriteString("IsoFile", existingFile("disc.iso")));
    EXPECT_EQ(readReopenList(), QStringList({scratch_ + "/disc.iso"}));
}

TEST_F(ReopenListTest, StoredSampleIsTheOnlyEntryAndTheLastImage) {
    const QString image = scratch_ + "/data/strovane/Образ диска.iso";
    ASSERT_TRUE(storeSampleInReopenList(image));
    EXPECT_EQ(readReopenList(), QStringList({image}));
    EXPECT_EQ(RegReadString("IsoFile"), image);
    const QByteArray expected = image.toUtf8() + "\r\n";
    EXPECT_EQ(RegReadInteger("ReopenDataSize"), expected.size());
    QByteArray stored(expected.size(), '\0');
    ASSERT_TRUE(RegReadBinary("ReopenData", stored.data(), stored.size()));
    EXPECT_EQ(stored, expected);
}

TEST_F(ReopenListTest, PathsWithLineBreaksAreNotStored) {
    EXPECT_FALSE(storeSampleInReopenList(scratch_ + "/two\nlines.iso"));
    EXPECT_FALSE(storeSampleInReopenList(scratch_ + "/two\rlines.iso"));
    EXPECT_FALSE(RegValueExists("ReopenData"));
    EXPECT_FALSE(RegValueExists("IsoFile"));
}
