// The first-run installation: the image appears in the data folder, the settings list it while the reopen
// list is empty and are left alone when it is not; an image already there is kept; a missing xorriso fails
// without leaving an image, a temporary folder or settings behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/RegistrySettings.h"
#include "platform/SettingsStore.h"
#include "sample-disc/ReopenList.h"
#include "sample-disc/SampleInstall.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "support/fixtures/ScopedEnvironment.h"

namespace {

class SampleInstallTest : public ::testing::Test {
protected:
    void SetUp() override { KIWI_NEED_XORRISO(); }

    QString scratch_ = QString::fromStdString(fixture::scratchDir("sample-install"));
    fixture::ScopedEnvironment data_{"XDG_DATA_HOME", QFile::encodeName(scratch_ + "/data")};
    fixture::ScopedEnvironment config_{"XDG_CONFIG_HOME", QFile::encodeName(scratch_ + "/config")};
    QString image_ = scratch_ + "/data/strovane/sample-disc.iso";

    bool install(QString& report) {
        QString error;
        const bool done = installSampleDisc(report, error);
        EXPECT_TRUE(done) << error.toStdString();
        return done;
    }
};

} // namespace

TEST_F(SampleInstallTest, FirstRunWritesTheImageAndListsIt) {
    EXPECT_EQ(sampleImagePath(), image_);
    QString report;
    ASSERT_TRUE(install(report));
    EXPECT_TRUE(QFileInfo(image_).isFile());
    EXPECT_GT(QFileInfo(image_).size(), 100 * 1024);
    EXPECT_EQ(readReopenList(), QStringList({image_}));
    EXPECT_EQ(RegReadString("IsoFile"), image_);
    const QString townMap = scratch_ + "/data/strovane/sample-disc-town.mp";
    EXPECT_EQ(report, "sample disc: wrote " + image_ + "\nsample town map: wrote " + townMap +
                          "\nreopen list: " + image_ + "\n");
    // Nothing but the image and the town's map is left in their folder.
    EXPECT_EQ(
        QDir(scratch_ + "/data/strovane").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList({"sample-disc-town.mp", "sample-disc.iso"}));
    // The image holds the disc's files in its ISO 9660 tree.
    std::vector<std::string> names;
    for (const fixture::IsoListedFile& file : fixture::xorrisoListing(image_.toStdString()))
        names.push_back(file.name);
    for (const char* name : {"ALLDATA.KWI", "05.CMP", "LOADING.KWI", "COVERAGE.BIN", "REGION.KWI",
                             "INDEXDAT.KWI", "SRCH0001.KWI", "PCT2MNG.KWI", "PICT0001.KWI", "VOICEDAT.KWI"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

TEST_F(SampleInstallTest, LaterRunsLeaveImageAndSettingsAlone) {
    QString report;
    ASSERT_TRUE(install(report));
    const std::vector<uint8_t> image = fixture::readFile(image_.toStdString());
    const std::vector<uint8_t> settings = fixture::readFile(SettingsStore::userFilePath().toStdString());
    report.clear();
    ASSERT_TRUE(install(report));
    EXPECT_EQ(report, "sample disc: " + image_ + " (already there)\nreopen list: not empty, left alone\n");
    EXPECT_EQ(fixture::readFile(image_.toStdString()), image);
    EXPECT_EQ(fixture::readFile(SettingsStore::userFilePath().toStdString()), settings);
}

TEST_F(SampleInstallTest, AListWithEntriesIsLeftAlone) {
    const QByteArray data = "/media/cdrom\r\n";
    ASSERT_TRUE(RegWriteBinary("ReopenData", data.constData(), data.size()));
    ASSERT_TRUE(RegWriteInteger("ReopenDataSize", int32_t(data.size())));
    QString report;
    ASSERT_TRUE(install(report));
    EXPECT_TRUE(QFileInfo(image_).isFile());
    EXPECT_EQ(readReopenList(), QStringList({"/media/cdrom"}));
    EXPECT_FALSE(RegValueExists("IsoFile"));
}

TEST_F(SampleInstallTest, AnImageAlreadyThereIsKeptAndListed) {
    fixture::writeFile(image_.toStdString(), {'o', 'w', 'n'});
    QString report;
    ASSERT_TRUE(install(report));
    EXPECT_EQ(fixture::readFile(image_.toStdString()), std::vector<uint8_t>({'o', 'w', 'n'}));
    EXPECT_EQ(readReopenList(), QStringList({image_}));
}

TEST_F(SampleInstallTest, WithoutXorrisoNothingIsLeftBehind) {
    QDir().mkpath(scratch_ + "/empty-path");
    fixture::ScopedEnvironment path("PATH", QFile::encodeName(scratch_ + "/empty-path"));
    QString report, error;
    EXPECT_FALSE(installSampleDisc(report, error));
    EXPECT_TRUE(error.contains("xorriso")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(image_));
    EXPECT_TRUE(QDir(scratch_ + "/data/strovane")
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                    .isEmpty());
    EXPECT_FALSE(QFile::exists(SettingsStore::userFilePath()));
}
