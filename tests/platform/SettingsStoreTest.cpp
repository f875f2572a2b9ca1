// Settings file: typed round trips, the on-disk text, damaged files, and concurrent writers that must
// not lose each other's values.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/SettingsNotices.h"
#include "platform/SettingsStore.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/ScopedEnvironment.h"

namespace {

QString storePath(const std::string& scratchName) {
    return QString::fromStdString(fixture::scratchDir(scratchName)) + "/Strovane/settings.txt";
}

void writeText(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

// Runs command with %1 replaced by the folder of path; true when it succeeded.
bool sh(const char* command, const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    return ::system(QString(command).arg(folder).toLocal8Bit().constData()) == 0;
}

QByteArray allByteValues() {
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes;
}

} // namespace

TEST(SettingsStore, ValuesRoundTripWithTheirTypes) {
    const SettingsValue values[] = {
        QString("C:\\Maps\\ALLDATA1.KWI"),
        QString(),
        QString("with spaces, % signs\nand a new line"),
        QString::fromUtf8("Straße 東京 \xF0\x9F\x9A\x97"),
        int32_t(0),
        int32_t(-1),
        int32_t(INT32_MIN),
        int32_t(INT32_MAX),
        QByteArray(),
        allByteValues(),
        QByteArray(1000, '\0'),
    };
    SettingsStore store(storePath("settings-roundtrip"));
    for (size_t i = 0; i < std::size(values); ++i)
        ASSERT_TRUE(store.write(QString("Value%1").arg(i), values[i]));
    SettingsStore reopened(store.filePath());
    for (size_t i = 0; i < std::size(values); ++i) {
        const auto read = reopened.read(QString("Value%1").arg(i));
        ASSERT_TRUE(read.has_value()) << i;
        EXPECT_EQ(read->index(), values[i].index()) << i;
        EXPECT_EQ(*read, values[i]) << i;
    }
}

TEST(SettingsStore, MissingFileReadsEmptyAndReadsCreateNothing) {
    const QString path = storePath("settings-missing");
    SettingsStore store(path);
    EXPECT_FALSE(store.exists());
    EXPECT_FALSE(store.read("DrawGrid").has_value());
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(path).absolutePath()));

    ASSERT_TRUE(store.write("DrawGrid", int32_t(1)));
    EXPECT_TRUE(store.exists());
    EXPECT_FALSE(store.read("Folder").has_value());
}

TEST(SettingsStore, RewritingReplacesValueAndTypeAndNamesIgnoreCase) {
    SettingsStore store(storePath("settings-rewrite"));
    ASSERT_TRUE(store.write("MapCodePage", int32_t(1251)));
    ASSERT_TRUE(store.write("mapcodepage", QString("1250")));
    EXPECT_EQ(store.read("MAPCODEPAGE"), SettingsValue(QString("1250")));
    ASSERT_TRUE(store.write("Disk", QByteArray("\x01\x02", 2)));
    EXPECT_EQ(store.read("disk"), SettingsValue(QByteArray("\x01\x02", 2)));
}

TEST(SettingsStore, OnDiskTextKeepsBinaryBytesInOrder) {
    SettingsStore store(storePath("settings-text"));
    ASSERT_TRUE(store.write("RoadColors", QByteArray("\x00\x00\xFF\x00\x80\x80\x80\x00", 8)));
    ASSERT_TRUE(store.write("Version", int32_t(-7)));
    ASSERT_TRUE(store.write("File name", QString("a b")));
    QFile file(store.filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("StrovaneSettings 1\n"
                                         "B RoadColors 0000ff0080808000\n"
                                         "I Version -7\n"
                                         "S File%20name a%20b\n"));
}

TEST(SettingsStore, DamagedFilesReadAsEmptyOrKeepTheirGoodLines) {
    // A file that is not a settings file is set aside whole; a line that cannot be read stays in the file.
    struct Case {
        const char* what;
        QByteArray content;
        bool versionSurvives;
        QByteArray kept;
    } cases[] = {
        {"empty file", "", false, {}},
        {"binary garbage", QByteArray("\xFF\x00\x13\x37garbage\n\x01", 13), false, {}},
        {"no header", "I Version 3\n", false, {}},
        {"other header", "StrovaneSettings 2\nI Version 3\n", false, {}},
        {"header only", "StrovaneSettings 1\n", false, {}},
        {"cut in the middle of a line", "StrovaneSettings 1\nI Version 3\nB Disk 0a0", true, "B Disk 0a0\n"},
        {"odd hex", "StrovaneSettings 1\nB Disk 0a0\nI Version 3\n", true, "B Disk 0a0\n"},
        {"hex with junk", "StrovaneSettings 1\nB Disk zz\nI Version 3\n", true, "B Disk zz\n"},
        {"integer overflow", "StrovaneSettings 1\nI Disk 2147483648\nI Version 3\n", true,
         "I Disk 2147483648\n"},
        {"integer not a number", "StrovaneSettings 1\nI Disk 12x\nI Disk\nI Version 3\n", true,
         "I Disk 12x\nI Disk\n"},
        {"unknown type", "StrovaneSettings 1\nQ Disk 1\nSS Disk 1\nI Version 3\n", true,
         "Q Disk 1\nSS Disk 1\n"},
        {"a path with a blank", "StrovaneSettings 1\nS Disk /a b\nI Version 3\r\n", true, "S Disk /a b\n"},
    };
    for (const auto& c : cases) {
        const QString path = storePath(std::string("settings-damaged-") + c.what);
        writeText(path, c.content);
        settingsnotice::Take();
        SettingsStore store(path);
        EXPECT_FALSE(store.read("Disk").has_value()) << c.what;
        EXPECT_EQ(store.read("Version").has_value(), c.versionSurvives) << c.what;
        if (c.versionSurvives) {
            EXPECT_EQ(store.read("Version"), SettingsValue(int32_t(3))) << c.what;
        }

        // Writing over a damaged file leaves a sound one.
        ASSERT_TRUE(store.write("Disk", QString("D:")));
        EXPECT_EQ(store.read("Disk"), SettingsValue(QString("D:"))) << c.what;
        EXPECT_EQ(store.read("Version").has_value(), c.versionSurvives) << c.what;

        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        const QStringList aside = QDir(QFileInfo(path).absolutePath()).entryList({"settings.txt.damaged-*"});
        const bool unreadable = !c.versionSurvives &&
                                QByteArray(c.content).trimmed() != "StrovaneSettings 1" &&
                                !c.content.isEmpty();
        ASSERT_EQ(aside.size(), unreadable ? 1 : 0) << c.what;
        if (unreadable) {
            QFile kept(QFileInfo(path).absolutePath() + "/" + aside[0]);
            ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
            EXPECT_EQ(kept.readAll(), c.content) << c.what;
        }
        EXPECT_TRUE(written.contains(c.kept)) << c.what;
        // The user is told which file, whenever something in it could not be read.
        const QStringList notices = settingsnotice::Take();
        EXPECT_EQ(notices.size(), unreadable || !c.kept.isEmpty() ? 1 : 0) << c.what;
        for (const QString& notice : notices)
            EXPECT_TRUE(notice.contains(path)) << notice.toStdString();
    }
}

TEST(SettingsStore, OversizedOrUnreadableFilesReadAsEmpty) {
    const QString path = storePath("settings-oversized");
    writeText(path, "StrovaneSettings 1\nI Version 3\n");
    QFile(path).resize(SettingsStore::MaximumFileSize + 1); // sparse: quick to make
    EXPECT_FALSE(SettingsStore(path).read("Version").has_value());
    // Not ours: it is not replaced by a file of the one value written.
    EXPECT_FALSE(SettingsStore(path).write("Disk", QString("D:")));
    EXPECT_EQ(QFileInfo(path).size(), SettingsStore::MaximumFileSize + 1);
    // Kept while the program runs, as any value whose write failed.
    EXPECT_EQ(SettingsStore(path).read("Disk"), SettingsValue(QString("D:")));

    // A folder where the file should be: nothing to read, nothing written, no crash.
    const QString folderPath = storePath("settings-folder");
    QDir().mkpath(folderPath);
    SettingsStore store(folderPath);
    EXPECT_FALSE(store.exists());
    EXPECT_FALSE(store.read("Version").has_value());
    EXPECT_FALSE(store.write("Version", int32_t(1)));

    // No place for the folder: a regular file stands in its way.
    const std::string blocker = fixture::scratchDir("settings-blocked") + "/file";
    fixture::writeFile(blocker, {1});
    SettingsStore blocked(QString::fromStdString(blocker) + "/Strovane/settings.txt");
    EXPECT_FALSE(blocked.write("Version", int32_t(1)));
    EXPECT_FALSE(SettingsStore(QString()).write("Version", int32_t(1)));
}

TEST(SettingsStore, AFileThatCannotBeWrittenIsToldOnceAndTheSessionKeepsItsValues) {
    struct Case {
        const char* what;
        const char* reason;
        std::function<bool(const QString&)> block, unblock;
    } cases[] = {
        {"a folder in its place", "на месте файла находится папка",
         [](const QString& p) { return QDir().mkpath(p); },
         [](const QString& p) { return QDir(p).removeRecursively(); }},
        // The superuser writes anyway: the writes then run as nobody.
        {"read-only", "нет прав на запись",
         [](const QString& p) {
             return QFile::setPermissions(p, QFile::ReadOwner) && (::geteuid() != 0 || ::seteuid(65534) == 0);
         },
         [](const QString& p) {
             return (::getuid() != 0 || ::seteuid(0) == 0) &&
                    QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner);
         }},
        {"no space left", "на диске нет места",
         [](const QString& p) {
             return sh("mount -t tmpfs -o size=16k tmpfs '%1' && { dd if=/dev/zero of='%1/fill' bs=4k "
                       "2>/dev/null; true; }",
                       p);
         },
         [](const QString& p) { return sh("umount '%1'", p); }},
        {"over the size limit", "слишком велик",
         [](const QString& p) { return QFile::resize(p, SettingsStore::MaximumFileSize + 1); },
         [](const QString& p) { return QFile::resize(p, 0); }},
        {"immutable", "защищён от изменений",
         [](const QString& p) {
             return ::system(("chattr +i '" + p.toStdString() + "' 2>/dev/null").c_str()) == 0;
         },
         [](const QString& p) { return ::system(("chattr -i '" + p.toStdString() + "'").c_str()) == 0; }},
    };
    for (const Case& c : cases) {
        const QString path = storePath(std::string("settings-unwritable-") + c.what);
        writeText(path, "StrovaneSettings 1\nI Version 3\n");
        if (std::string(c.what) == "a folder in its place") QFile::remove(path);
        if (!c.block(path)) {
            std::printf("skipped %s: cannot be made here\n", c.what);
            continue;
        }
        settingsnotice::Take();
        SettingsStore store(path);
        // A file over the limit is told at start; every other problem by the first write that meets it.
        const bool atStart = std::string(c.what) == "over the size limit";
        if (atStart) store.ReportIfNotWritable();
        QStringList notices = settingsnotice::Take();
        EXPECT_EQ(notices.size(), atStart ? 1 : 0) << c.what;
        EXPECT_FALSE(store.write("Disk", QString("D:"))) << c.what;
        EXPECT_FALSE(store.write("Folder", QString("/maps"))) << c.what;
        notices += settingsnotice::Take();
        store.ReportIfNotWritable();
        notices += settingsnotice::Take();
        // No assertion returns before the unblocking: the read-only case runs as nobody until then.
        EXPECT_EQ(notices.size(), 1) << c.what << ": " << notices.join('\n').toStdString();
        EXPECT_TRUE(notices.value(0).contains(path) && notices.value(0).contains(c.reason))
            << notices.value(0).toStdString();
        // What the session wrote reads back, so everything shown from the settings agrees.
        EXPECT_EQ(SettingsStore(path).read("Disk"), SettingsValue(QString("D:"))) << c.what;
        ASSERT_TRUE(c.unblock(path));
        ASSERT_TRUE(store.write("Version", int32_t(4))) << c.what;
        EXPECT_EQ(SettingsStore(path).read("Folder"), SettingsValue(QString("/maps"))) << c.what;
    }
}

TEST(SettingsStore, TooBigAValueIsNotSaved) {
    SettingsStore store(storePath("settings-too-big"));
    ASSERT_TRUE(store.write("Version", int32_t(5)));
    settingsnotice::Take();
    const QByteArray huge(SettingsStore::MaximumFileSize / 2 + 1, 'x');
    EXPECT_FALSE(store.write("Huge", huge));
    const QStringList notices = settingsnotice::Take();
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains("слишком велик")) << notices[0].toStdString();
    // Kept while the program runs, never written, and no hindrance to the values that fit.
    EXPECT_EQ(store.read("Huge"), SettingsValue(huge));
    ASSERT_TRUE(store.write("Version", int32_t(6)));
    EXPECT_LT(QFileInfo(store.filePath()).size(), 1000);
}

TEST(SettingsStore, UserFileLiesInTheXdgConfigFolder) {
    const std::string folder = fixture::scratchDir("settings-xdg");
    fixture::ScopedEnvironment environment("XDG_CONFIG_HOME", QByteArray::fromStdString(folder));
    EXPECT_EQ(SettingsStore::userFilePath(), QString::fromStdString(folder) + "/Strovane/settings.txt");
    EXPECT_EQ(SettingsStore::forUser().filePath(), SettingsStore::userFilePath());
}

TEST(SettingsStore, TwoStoresInThreadsLoseNothing) {
    const QString path = storePath("settings-threads");
    auto writer = [&](const QString& prefix) {
        SettingsStore store(path);
        for (int i = 0; i < 40; ++i)
            EXPECT_TRUE(store.write(prefix + QString::number(i), int32_t(i)));
    };
    std::thread first(writer, QString("First"));
    std::thread second(writer, QString("Second"));
    first.join();
    second.join();
    SettingsStore store(path);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(store.read("First" + QString::number(i)), SettingsValue(int32_t(i)));
        EXPECT_EQ(store.read("Second" + QString::number(i)), SettingsValue(int32_t(i)));
    }
}

TEST(SettingsStore, TwoProcessesLoseNothing) {
    const QString path = storePath("settings-processes");
    auto writeMany = [&](const QString& prefix) {
        SettingsStore store(path);
        bool allSaved = true;
        for (int i = 0; i < 40; ++i)
            allSaved &= store.write(prefix + QString::number(i), QString::number(i));
        return allSaved;
    };
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) _exit(writeMany("Child") ? 0 : 1);
    const bool parentSaved = writeMany("Parent");
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(parentSaved);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    SettingsStore store(path);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(store.read("Child" + QString::number(i)), SettingsValue(QString::number(i)));
        EXPECT_EQ(store.read("Parent" + QString::number(i)), SettingsValue(QString::number(i)));
    }
}

TEST(SettingsStore, LockLeftByACrashedInstanceDoesNotBlockWrites) {
    const QString path = storePath("settings-stale-lock");
    QDir().mkpath(QFileInfo(path).absolutePath());
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        QLockFile lock(path + ".lock");
        _exit(lock.tryLock(0) ? 0 : 1); // ends without unlocking, like a crash
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFileInfo::exists(path + ".lock"));

    SettingsStore store(path);
    EXPECT_TRUE(store.write("Version", int32_t(2)));
    EXPECT_EQ(store.read("Version"), SettingsValue(int32_t(2)));
}

TEST(SettingsStore, AFileOfAMegabyteIsReadOnceAndWrittenBackWhole) {
    const QString path = storePath("settings-large");
    // 40000 values, one of them repeated further down under another case (the later one counts).
    QByteArray text = "StrovaneSettings 1\n";
    constexpr int kValues = 40000;
    for (int i = 0; i < kValues; ++i)
        text += "S Recent" + QByteArray::number(i) + " %2Fhome%2Fuser%2Fmaps%2Fdisc-" +
                QByteArray::number(i) + "\n";
    text += "I RECENT7 77\n";
    writeText(path, text);
    ASSERT_GT(text.size(), 1000000);

    SettingsStore store(path);
    EXPECT_EQ(store.read("recent0"), SettingsValue(QString("/home/user/maps/disc-0")));
    EXPECT_EQ(store.read("Recent39999"), SettingsValue(QString("/home/user/maps/disc-39999")));
    EXPECT_EQ(store.read("Recent7"), SettingsValue(int32_t(77)));
    EXPECT_FALSE(store.read("Recent40000").has_value());

    // Writing a value it already holds leaves the file as it is; a new value is written back with the rest.
    const QFileInfo before(path);
    ASSERT_TRUE(store.write("Recent5", QString("/home/user/maps/disc-5")));
    EXPECT_EQ(QFileInfo(path).size(), before.size());
    EXPECT_EQ(QFileInfo(path).lastModified(), before.lastModified());
    ASSERT_TRUE(store.write("Version", int32_t(9)));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    // The header, each name once, and the empty rest after the last line break.
    EXPECT_EQ(lines.size(), 1 + kValues + 1 + 1);
    SettingsStore other(path);
    EXPECT_EQ(other.read("Version"), SettingsValue(int32_t(9)));
    EXPECT_EQ(other.read("Recent7"), SettingsValue(int32_t(77)));
    EXPECT_EQ(other.read("Recent12345"), SettingsValue(QString("/home/user/maps/disc-12345")));
}

TEST(SettingsStore, AFileChangedBehindTheStoreIsReadAgain) {
    const QString path = storePath("settings-changed");
    SettingsStore store(path);
    ASSERT_TRUE(store.write("Version", int32_t(3)));
    EXPECT_EQ(store.read("Version"), SettingsValue(int32_t(3)));
    // Each change comes from outside the store: another instance's rename, an edit in place of the same
    // size, the file removed.
    struct Change {
        const char* what;
        std::function<void()> apply;
        std::optional<SettingsValue> expected;
    } changes[] = {
        {"replaced by a rename",
         [&] {
             writeText(path + ".new", "StrovaneSettings 1\nI Version 4\n");
             ASSERT_EQ(::rename(QFile::encodeName(path + ".new"), QFile::encodeName(path)), 0);
         },
         SettingsValue(int32_t(4))},
        {"edited in place", [&] { writeText(path, "StrovaneSettings 1\nI Version 5\n"); },
         SettingsValue(int32_t(5))},
        // Written through the link: the file it names gets the change, the link stays.
        {"replaced by a link",
         [&] {
             writeText(path + ".linked", "StrovaneSettings 1\nI Version 6\n");
             QFile::remove(path);
             ASSERT_TRUE(QFile::link(path + ".linked", path));
             ASSERT_TRUE(store.write("Version", int32_t(7)));
             EXPECT_TRUE(QFileInfo(path).isSymLink());
             EXPECT_EQ(SettingsStore(path + ".linked").read("Version"), SettingsValue(int32_t(7)));
         },
         SettingsValue(int32_t(7))},
        {"removed", [&] { QFile::remove(path); }, std::nullopt},
    };
    for (const Change& change : changes) {
        change.apply();
        EXPECT_EQ(store.read("Version"), change.expected) << change.what;
    }
}
