// The block copy's thread and the lazy binary clipboard data without widgets (so the sanitizer builds run
// them): every byte into the target, a one-byte block, cancel and failures leaving the target alone, the
// thread joined when its owner goes, and clipboard bytes read only on request and only while the
// stream lives.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "HexTestSupport.h"
#include "hexview/model/HexBlockFileCopy.h"
#include "hexview/model/HexBlockMimeData.h"

namespace {

// Runs the job to its end and gives why it failed.
QString runToEnd(HexBlockFileCopy& job) {
    job.Start();
    return job.Result();
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(HexBlockCopyJob, CopiesEveryByteInChunksAndReportsProgress) {
    QTemporaryDir dir;
    const QString target = dir.filePath("out.bin");
    auto bytes = hextest::counting(10000);
    HexBlockFileCopy job(hextest::memoryStream(bytes), 100, 9000, MakeSaveFileSink(target));
    job.SetChunkSize(1000);
    const QString error = runToEnd(job);
    EXPECT_EQ(job.Status(), JobStatus::Done) << error.toStdString();
    EXPECT_EQ(job.ProgressSnapshot().percent, 100);
    EXPECT_EQ(fileBytes(target), QByteArray(reinterpret_cast<const char*>(bytes.data()) + 100, 9000));
    // The temporary file went with the rename.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.bin"});
}

TEST(HexBlockCopyJob, AOneByteBlockIsWritten) {
    QTemporaryDir dir;
    HexBlockFileCopy job(hextest::memoryStream(hextest::counting(10)), 9, 1,
                         MakeSaveFileSink(dir.filePath("b")));
    runToEnd(job);
    EXPECT_EQ(job.Status(), JobStatus::Done);
    EXPECT_EQ(fileBytes(dir.filePath("b")), QByteArray(1, char(9)));
}

TEST(HexBlockCopyJob, AStreamEndingBeforeTheBlockKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString target = dir.filePath("old.bin");
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    // A truncated file claims more than it holds.
    auto stream = std::make_shared<hextest::ShortReadStream>(hextest::counting(100), 5000);
    HexBlockFileCopy job(stream, 0, 5000, MakeSaveFileSink(target));
    job.SetChunkSize(64);
    EXPECT_EQ(runToEnd(job), "Ошибка чтения данных по адресу 0x64");
    EXPECT_EQ(fileBytes(target), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.bin"});
}

TEST(HexBlockCopyJob, ReadErrorsAndCancelEndWithoutAFile) {
    QTemporaryDir dir;
    HexBlockFileCopy failing(std::make_shared<hextest::FailingStream>(100), 0, 100,
                             MakeSaveFileSink(dir.filePath("f")));
    EXPECT_EQ(runToEnd(failing), "File read error!");
    EXPECT_EQ(failing.Status(), JobStatus::Failed);

    HexBlockFileCopy slow(
        std::make_shared<hextest::SlowStream>(int64_t(1) << 30, std::chrono::milliseconds(2)), 0,
        int64_t(1) << 30, MakeSaveFileSink(dir.filePath("s")));
    slow.SetChunkSize(4096);
    slow.RequestStop();
    EXPECT_TRUE(runToEnd(slow).isEmpty());
    EXPECT_EQ(slow.Status(), JobStatus::Stopped);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(HexBlockCopyJob, TheOwnerGoingStopsAndJoinsTheThread) {
    QTemporaryDir dir;
    auto job = std::make_unique<HexBlockFileCopy>(
        std::make_shared<hextest::SlowStream>(int64_t(1) << 30, std::chrono::milliseconds(2)), 0,
        int64_t(1) << 30, MakeSaveFileSink(dir.filePath("gone")));
    job->SetChunkSize(4096);
    job->Start();
    job.reset();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(HexBlockMimeData, BytesAreReadOnRequestWhileTheStreamLives) {
    auto stream = hextest::memoryStream(hextest::counting(300));
    const QString type = "application/x-test-binary";
    HexBlockMimeData data(type, stream, 10, 20);
    int rendered = 0;
    data.SetOnRender([&] { ++rendered; });
    EXPECT_TRUE(data.hasFormat(type));
    EXPECT_EQ(data.formats(), QStringList{type});
    EXPECT_EQ(data.Renders(), 0);
    const QByteArray bytes = data.data(type);
    ASSERT_EQ(bytes.size(), 10);
    EXPECT_EQ(uint8_t(bytes[0]), 10);
    EXPECT_EQ(uint8_t(bytes[9]), 19);
    EXPECT_EQ(rendered, 1);
    data.setText("text too");
    EXPECT_EQ(data.formats(), (QStringList{type, "text/plain"}));
    stream.reset();
    EXPECT_TRUE(data.data(type).isEmpty());
    EXPECT_EQ(data.text(), "text too");
    // A read that fails keeps its reason.
    auto broken = std::make_shared<hextest::FailingStream>(100);
    HexBlockMimeData failing(type, broken, 0, 10);
    EXPECT_TRUE(failing.data(type).isEmpty());
    EXPECT_EQ(failing.ErrorString(), "File read error!");
}

} // namespace
