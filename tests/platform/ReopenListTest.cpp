// The reopen list: most recent first, at most six, no repeats, nothing stored for an empty list or a path
// with a line break, and the fallback to the last source of each kind when no list is stored.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/RegistrySettings.h"
#include "platform/ReopenList.h"
#include "support/fixtures/QtPrinting.h"
#include "support/fixtures/ScopedEnvironment.h"

namespace {

class ReopenListTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return sandbox.path() + "/" + name; }
    QString makeFile(const QString& name) const {
        QFile file(path(name));
        file.open(QIODevice::WriteOnly);
        return file.fileName();
    }

    QTemporaryDir config;
    QTemporaryDir sandbox;
    fixture::ScopedEnvironment home{"XDG_CONFIG_HOME", config.path().toUtf8()};
};

TEST_F(ReopenListTest, SeventhSourceDropsTheOldest) {
    ReopenList list;
    for (int i = 1; i <= 7; ++i)
        EXPECT_TRUE(list.Add(QStringLiteral("/disc/%1").arg(i)));
    EXPECT_EQ(list.Paths(), (QStringList{"/disc/7", "/disc/6", "/disc/5", "/disc/4", "/disc/3", "/disc/2"}));

    ReopenList reloaded;
    reloaded.Load();
    EXPECT_EQ(reloaded.Paths(), list.Paths());
}

TEST_F(ReopenListTest, SourceAlreadyListedMovesToTheTop) {
    ReopenList list;
    for (const char* p : {"/a", "/b", "/c", "/d"})
        list.Add(QString::fromLatin1(p));
    list.Add(QStringLiteral("/b"));
    EXPECT_EQ(list.Paths(), (QStringList{"/b", "/d", "/c", "/a"}));
    // The comparison is exact: another case is another path.
    list.Add(QStringLiteral("/B"));
    EXPECT_EQ(list.Paths(), (QStringList{"/B", "/b", "/d", "/c", "/a"}));
    // Paths are compared in their clean form.
    list.Add(QStringLiteral("/d/./"));
    EXPECT_EQ(list.Paths().first(), "/d");
    EXPECT_EQ(list.Count(), 5);
}

TEST_F(ReopenListTest, EmptyListWritesNothing) {
    ReopenList list;
    list.Save();
    EXPECT_FALSE(RegValueExists(QStringLiteral("ReopenData")));
    EXPECT_FALSE(RegValueExists(QStringLiteral("ReopenDataSize")));
}

TEST_F(ReopenListTest, PathWithALineBreakIsNotStored) {
    ReopenList list;
    list.Add(QStringLiteral("/first"));
    EXPECT_FALSE(list.Add(QStringLiteral("/evil\r\n/second")));
    EXPECT_FALSE(list.Add(QStringLiteral("/evil\n/third")));
    EXPECT_EQ(list.Paths(), QStringList{"/first"});
    ReopenList reloaded;
    reloaded.Load();
    EXPECT_EQ(reloaded.Paths(), QStringList{"/first"});
}

TEST_F(ReopenListTest, StoredFormIsLinesEndedByCrLf) {
    const QByteArray bytes = ReopenList::Serialize({"/a", QStringLiteral("/Диск")});
    EXPECT_EQ(bytes, QByteArray("/a\r\n") + QStringLiteral("/Диск").toUtf8() + "\r\n");
    EXPECT_EQ(ReopenList::Parse(bytes), (QStringList{"/a", QStringLiteral("/Диск")}));
    EXPECT_EQ(ReopenList::Parse("/x\n\n/y\r\n"), (QStringList{"/x", "/y"}));
    EXPECT_EQ(ReopenList::Parse("1\n2\n3\n4\n5\n6\n7\n8\n").size(), ReopenList::kMaxEntries);
}

TEST_F(ReopenListTest, WithoutAStoredListTheLastSourcesAreListed) {
    QDir().mkpath(path("folder"));
    const QString file = makeFile("ALLDATA.KWI");
    const QString iso = makeFile("disc.iso");
    RegWriteString(QStringLiteral("Disk"), QStringLiteral("/media/absent-disc"));
    RegWriteString(QStringLiteral("Folder"), path("folder"));
    RegWriteString(QStringLiteral("File"), file);
    RegWriteString(QStringLiteral("IsoFile"), iso);
    ReopenList list;
    list.Load();
    // "Disk" even though it is not there; the others because they exist.
    EXPECT_EQ(list.Paths(), (QStringList{"/media/absent-disc", path("folder"), file, iso}));

    RegWriteString(QStringLiteral("Folder"), path("deleted"));
    QFile::remove(iso);
    list.Load();
    EXPECT_EQ(list.Paths(), (QStringList{"/media/absent-disc", file}));
}

TEST_F(ReopenListTest, StoredListWinsOverTheLastSources) {
    RegWriteString(QStringLiteral("Disk"), QStringLiteral("/media/disc"));
    ReopenList list;
    list.Add(QStringLiteral("/stored"));
    ReopenList reloaded;
    reloaded.Load();
    EXPECT_EQ(reloaded.Paths(), QStringList{"/stored"});

    // A damaged size never costs entries that read back whole.
    list.Add(QStringLiteral("/newer"));
    for (const int32_t size : {1000, 3, 0, -1}) {
        RegWriteInteger(QStringLiteral("ReopenDataSize"), size);
        reloaded.Load();
        EXPECT_EQ(reloaded.Paths(), (QStringList{"/newer", "/stored"})) << size;
    }
}

} // namespace
