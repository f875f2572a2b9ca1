// The burning command (program from the setting or the search path, the image as one argument whatever
// its characters) and the unpack refusals in their order: no list, a file the list does not compress, a
// compression type that cannot be unpacked.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/disc/FileManager.h"
#include "mainwindow/model/BurnCommand.h"
#include "mainwindow/model/UnpackRefusal.h"
#include "platform/RegistrySettings.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/QtPrinting.h"
#include "support/fixtures/ScopedEnvironment.h"

namespace {

class BurnCommandTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return bin.path() + "/" + name; }
    void makeProgram(const QString& name) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QTemporaryDir config;
    QTemporaryDir bin;
    fixture::ScopedEnvironment configHome{"XDG_CONFIG_HOME", config.path().toUtf8()};
    fixture::ScopedEnvironment searchPath{"PATH", bin.path().toUtf8()};
};

TEST_F(BurnCommandTest, TheImageIsOneArgumentWhateverItHolds) {
    RegWriteString(QStringLiteral("BurnProgram"), QStringLiteral("/opt/my burner/burn"));
    for (const QString& image : {QStringLiteral("/maps/map.iso"), QStringLiteral("/my maps/a \"b\" 'c'.iso"),
                                 QStringLiteral("/maps/$(rm -rf x);.iso")}) {
        const std::optional<BurnCommand> command = MakeBurnCommand(image);
        ASSERT_TRUE(command.has_value());
        EXPECT_EQ(command->program, "/opt/my burner/burn");
        EXPECT_EQ(command->arguments, QStringList{image});
    }
    EXPECT_FALSE(MakeBurnCommand(QString()).has_value());
}

TEST_F(BurnCommandTest, WithoutTheSettingTheFirstKnownBurnerOnThePathIsUsed) {
    EXPECT_TRUE(BurnProgram().isEmpty());
    EXPECT_FALSE(MakeBurnCommand(QStringLiteral("/a.iso")).has_value());
    makeProgram(QStringLiteral("xfburn"));
    EXPECT_EQ(BurnProgram(), path("xfburn"));
    makeProgram(QStringLiteral("brasero"));
    EXPECT_EQ(BurnProgram(), path("brasero"));
    RegWriteString(QStringLiteral("BurnProgram"), QStringLiteral("  "));
    EXPECT_EQ(BurnProgram(), path("brasero"));
}

TEST_F(BurnCommandTest, WithoutAProgramTheMessageShowsTheFileAndTheLineAsItMustBeWritten) {
    const QString file = config.path() + "/Strovane/settings.txt";
    EXPECT_TRUE(MissingBurnerMessage().contains(file));
    EXPECT_TRUE(MissingBurnerMessage().contains("S BurnProgram %2Fusr%2Fbin%2Fbrasero"));
    // A path typed with a blank is not read; it stays in the file and the message shows it mended.
    const std::string text = "StrovaneSettings 1\nS BurnProgram /opt/my burner/burn\n";
    fixture::writeFile(file.toStdString(), {text.begin(), text.end()});
    ASSERT_TRUE(BurnProgram().isEmpty());
    ASSERT_TRUE(RegWriteInteger(QStringLiteral("DrawGrid"), 1));
    EXPECT_TRUE(MissingBurnerMessage().contains("S BurnProgram %2Fopt%2Fmy%20burner%2Fburn"));
    EXPECT_TRUE(MissingBurnerMessage().contains("S BurnProgram /opt/my burner/burn"));
}

class UnpackRefusalTest : public ::testing::Test {
protected:
    void SetUp() override { CloseISOImage(); }
    std::string path(const std::string& name) const { return (dir.path() + "/").toStdString() + name; }
    QString refusal(const std::string& file) {
        const auto stream = TLN_DecompFileStream::Create(file);
        return UnpackRefusal(*stream, file);
    }
    QTemporaryDir dir;
};

TEST_F(UnpackRefusalTest, RefusalsComeInTheirOrder) {
    fixture::writeFile(path("a/b/c/PLAIN.KWI"), {1, 2, 3});
    // No list in the file's folder or its two parents: the grandparent's "13.CMP" is the last looked for.
    EXPECT_EQ(refusal(path("a/b/c/PLAIN.KWI")), QStringLiteral("Необходимый файл  ") +
                                                    QString::fromStdString(path("a/13.CMP")) +
                                                    QStringLiteral("  не найден!"));

    // A list that does not name the file.
    fixture::CmpListEntryPlan other;
    other.name = "OTHER.KWI";
    const std::vector<uint8_t> otherData = fixture::buildCmpDataFile(fixture::mapLikeContent(1000), other);
    fixture::writeFile(path("a/b/05.CMP"), fixture::buildCmpList({other}));
    EXPECT_EQ(refusal(path("a/b/c/PLAIN.KWI")), QStringLiteral("Файл  PLAIN.KWI  не имеет сжатия!"));

    // Listed with a type the unpacker does not know.
    fixture::CmpListEntryPlan odd;
    odd.name = "ODD.KWI";
    odd.type = 3;
    odd.blockCount = 1;
    odd.fileSize = 3;
    odd.sectors = {0};
    odd.sizes = {3};
    fixture::writeFile(path("d/ODD.KWI"), {1, 2, 3});
    fixture::writeFile(path("d/05.CMP"), fixture::buildCmpList({odd}));
    EXPECT_EQ(refusal(path("d/ODD.KWI")),
              QStringLiteral("Файл  ODD.KWI  не сжат\n\rили имеет неподдерживаемый тип сжатия!"));

    // Listed and compressed: no refusal.
    fixture::CmpListEntryPlan good;
    good.name = "GOOD.KWI";
    fixture::writeFile(path("e/GOOD.KWI"), fixture::buildCmpDataFile(fixture::mapLikeContent(70000), good));
    fixture::writeFile(path("e/05.CMP"), fixture::buildCmpList({good}));
    EXPECT_EQ(refusal(path("e/GOOD.KWI")), QString());
}

TEST_F(UnpackRefusalTest, TheLookoutStopsAtTheFilesystemRoot) {
    const CmpListLookout lookout = LookForCmpLists("/PLAIN.KWI");
    EXPECT_EQ(lookout.lastCandidate, "/13.CMP");
}

} // namespace
