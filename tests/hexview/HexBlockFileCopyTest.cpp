// The hex viewer window's work on threads: copying a block into a new file (byte-identical from a
// decompressed stream, a one-byte block, write and read failures shown, cancel leaving no file) and a
// long search behind the progress dialog, whose Esc and close box only ask the search to stop.
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTest>
#include <thread>

#include "HexWindowTestSupport.h"
#include "hexview/HexViewerActions.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/SearchFixture.h"

using namespace hexwindowtest;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Accepts the first bytes, then fails as a full disc does.
class FailingSink : public BlockSink {
public:
    explicit FailingSink(int64_t room, bool* discarded) : room_(room), discarded_(discarded) {}
    bool Open(QString&) override { return true; }
    bool Write(const char*, int64_t size, QString& error) override {
        room_ -= size;
        if (room_ >= 0) return true;
        error = "No space left on device";
        return false;
    }
    bool Commit(QString&) override { return true; }
    void Discard() override { *discarded_ = true; }

private:
    int64_t room_;
    bool* discarded_;
};

class HexBlockFileCopyTest : public HexWindowTest {
protected:
    // Copies the block into path and waits for the end; false when it did not end in time.
    bool copyTo(const QString& target) {
        paths.answer = target;
        bool ended = false;
        auto connection = QObject::connect(&window, &HexViewerWindow::fileCopyEnded, [&] { ended = true; });
        window.Actions().fileCopy->trigger();
        const bool done = windowtest::waitUntil([&] { return ended; }, 60000);
        QObject::disconnect(connection);
        return done;
    }

    HexViewerWindow window{services, dialogs};
    HexGrid& grid = *window.Grid();
};

TEST_F(HexBlockFileCopyTest, ABlockOfADecompressedStreamIsCopiedByteForByte) {
    // Three blocks of the copy's chunks and more, over the borders of the compressed blocks.
    const auto content = fixture::mapLikeContent(size_t(3) << 20 | 4321, 11);
    int copies = 0;
    for (const auto layout : {fixture::CmpLayout::Gzip05, fixture::CmpLayout::Zlib13}) {
        const std::string root =
            fixture::scratchDir("hex-window-copy-cmp") + "/" + fixture::cmpLayoutName(layout);
        fixture::writeCmpLayout(root, layout, "DATA/PACKED.KWI", content);
        std::shared_ptr<TLN_Stream> stream = TLN_DecompFileStream::Create(root + "/DATA/PACKED.KWI");
        ASSERT_TRUE(static_cast<TLN_DecompFileStream&>(*stream).Listed());
        window.SetStream(stream, 0);
        const int64_t start = 12345, end = int64_t(content.size()) - 777;
        grid.SetBlock(true, start, end);

        const QString target = path(QString("block-%1.bin").arg(++copies));
        ASSERT_TRUE(copyTo(target));
        EXPECT_EQ(paths.calls.back().kind, "save");
        EXPECT_EQ(paths.calls.back().start, "noname");
        EXPECT_TRUE(messenger.errors.isEmpty()) << messenger.errors.join("|").toStdString();
        const QByteArray written = fileBytes(target);
        ASSERT_EQ(written.size(), end - start + 1);
        EXPECT_EQ(written, QByteArray(reinterpret_cast<const char*>(content.data()) + start, written.size()))
            << fixture::cmpLayoutName(layout);
    }
    // The progress dialogs went with the ends; no temporary file is left beside the copies.
    ASSERT_EQ(dialogs.progress.size(), 2u);
    EXPECT_TRUE(windowtest::waitUntil([&] { return dialogs.progress[1].isNull(); }, 5000));
    EXPECT_EQ(QDir(sandbox.path()).entryList(QDir::Files), (QStringList{"block-1.bin", "block-2.bin"}));
    EXPECT_TRUE(window.Actions().fileCopy->isEnabled());
}

TEST_F(HexBlockFileCopyTest, AOneByteBlockIsWritten) {
    window.SetStream(hextest::memoryStream(hextest::counting(50)), 0);
    grid.SetBlock(true, 42, 42);
    ASSERT_TRUE(copyTo(path("one.bin")));
    EXPECT_EQ(fileBytes(path("one.bin")), QByteArray(1, char(42)));
}

TEST_F(HexBlockFileCopyTest, AWriteFailureIsShownAndNothingIsKept) {
    window.SetStream(hextest::memoryStream(hextest::counting(5000)), 0);
    grid.SetBlock(true, 0, 4999);
    bool discarded = false;
    window.SetSinkFactory([&](const QString&) { return std::make_unique<FailingSink>(100, &discarded); });
    ASSERT_TRUE(copyTo(path("full.bin")));
    EXPECT_EQ(messenger.errors, QStringList{"No space left on device"});
    EXPECT_TRUE(discarded);
}

TEST_F(HexBlockFileCopyTest, AFolderThatCannotBeWrittenIsReported) {
    window.SetStream(hextest::memoryStream(hextest::counting(50)), 0);
    grid.SetBlock(true, 0, 9);
    ASSERT_TRUE(copyTo(path("no/such/folder/x.bin")));
    ASSERT_EQ(messenger.errors.size(), 1);
    EXPECT_TRUE(messenger.errors[0].startsWith("Не удалось создать файл"))
        << messenger.errors[0].toStdString();
}

TEST_F(HexBlockFileCopyTest, AReadFailureKeepsTheOldFile) {
    QFile old(path("old.bin"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
    old.close();
    window.SetStream(std::make_shared<hextest::FailingStream>(100), 0);
    grid.SetBlock(true, 0, 99);
    ASSERT_TRUE(copyTo(path("old.bin")));
    EXPECT_EQ(messenger.errors, QStringList{"File read error!"});
    EXPECT_EQ(fileBytes(path("old.bin")), "old contents");
}

TEST_F(HexBlockFileCopyTest, CancellingTheCopyLeavesNoFileAndNoMessage) {
    window.SetStream(std::make_shared<hextest::SlowStream>(int64_t(1) << 30, std::chrono::milliseconds(5)),
                     0);
    grid.SetBlock(true, 0, (int64_t(1) << 30) - 1);
    paths.answer = path("big.bin");
    bool ended = false, ok = true;
    QObject::connect(&window, &HexViewerWindow::fileCopyEnded, [&](bool result) {
        ended = true;
        ok = result;
    });
    window.CopyToFile();
    ASSERT_EQ(dialogs.progress.size(), 1u);
    EXPECT_FALSE(window.Actions().fileCopy->isEnabled());
    // Esc only asks the copy to stop; the dialog closes on the copy's end.
    QTest::keyClick(dialogs.progress[0].data(), Qt::Key_Escape);
    ASSERT_TRUE(windowtest::waitUntil([&] { return ended; }, 30000));
    EXPECT_FALSE(ok);
    EXPECT_TRUE(messenger.errors.isEmpty());
    EXPECT_FALSE(QFile::exists(path("big.bin")));
    EXPECT_TRUE(QDir(sandbox.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(HexBlockFileCopyTest, ClosingTheWindowDuringACopyJoinsItsThread) {
    auto doomed = std::make_unique<HexViewerWindow>(services, dialogs);
    doomed->SetStream(std::make_shared<hextest::SlowStream>(int64_t(1) << 30, std::chrono::milliseconds(5)),
                      0);
    doomed->Grid()->SetBlock(true, 0, (int64_t(1) << 30) - 1);
    paths.answer = path("gone.bin");
    doomed->CopyToFile();
    EXPECT_TRUE(doomed->CopyingToFile());
    doomed.reset();
    EXPECT_FALSE(QFile::exists(path("gone.bin")));
}

TEST_F(HexBlockFileCopyTest, ADockedViewerGoingClosesTheProgressDialogsItsHostOwns) {
    QTabWidget host;
    auto* doomed = new HexViewerWindow(services, dialogs);
    host.addTab(doomed, "Hex");
    host.show();
    doomed->SetStream(std::make_shared<hextest::SlowStream>(int64_t(1) << 30, std::chrono::milliseconds(2)),
                      0);
    doomed->Grid()->SetBlock(true, 0, (int64_t(1) << 30) - 1);
    paths.answer = path("gone.bin");
    doomed->CopyToFile();
    doomed->Grid()->Search().SetInlineBudget(0x1000, std::chrono::milliseconds(1));
    dialogs.findAnswers.push_back(hexSearch("KIWI"));
    doomed->FindCommand();
    ASSERT_TRUE(doomed->Grid()->Searching());
    ASSERT_EQ(dialogs.progress.size(), 2u);
    // Both dialogs belong to the host, the viewer's window when docked.
    EXPECT_EQ(dialogs.progress[0]->parentWidget(), &host);
    delete doomed;
    // The closed dialogs delete themselves later, as every dialog that closes on its own does.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialogs.progress[0].isNull()) << "copy";
    EXPECT_TRUE(dialogs.progress[1].isNull()) << "search";
    EXPECT_FALSE(QFile::exists(path("gone.bin")));
}

TEST_F(HexBlockFileCopyTest, ALongSearchShowsProgressAndEscOnlyAsksItToStop) {
    window.SetStream(std::make_shared<hextest::SlowStream>(int64_t(1) << 30, std::chrono::milliseconds(2)),
                     0);
    grid.Search().SetInlineBudget(0x10000, std::chrono::milliseconds(1));
    dialogs.findAnswers.push_back(hexSearch("KIWI"));
    window.FindCommand();
    ASSERT_TRUE(grid.Searching());
    ASSERT_EQ(dialogs.progress.size(), 1u);
    QPointer<ProgressDialog> progress = dialogs.progress[0];
    EXPECT_EQ(window.LastSearch().lastHit, -2);
    QTest::keyClick(progress.data(), Qt::Key_Escape);
    // The dialog stays until the worker has said it stopped.
    EXPECT_TRUE(progress->CancelRequested());
    ASSERT_TRUE(windowtest::waitUntil([&] { return !grid.Searching(); }, 30000));
    EXPECT_EQ(window.LastSearch().lastHit, -2);
    EXPECT_TRUE(windowtest::waitUntil([&] { return progress.isNull(); }, 5000));
    // A stopped search brings no completion message.
    EXPECT_NE(grid.BalloonText(), "Поиск завершен");
}

TEST_F(HexBlockFileCopyTest, AWorkersHitBecomesTheLastHitAndFindNextGoesOn) {
    auto bytes = fixture::searchHaystack(size_t(2) << 20, 5);
    const size_t hits[] = {size_t(1) << 20, (size_t(3) << 19) + 7};
    for (const size_t at : hits)
        std::memcpy(bytes.data() + at, "NEEDLE", 6);
    window.SetStream(hextest::memoryStream(bytes), 0);
    grid.Search().SetInlineBudget(0x1000, std::chrono::milliseconds(1));
    dialogs.findAnswers.push_back(hexSearch("NEEDLE"));
    window.FindCommand();
    ASSERT_TRUE(windowtest::waitUntil([&] { return !grid.Searching(); }, 30000));
    EXPECT_EQ(window.LastSearch().lastHit, int64_t(hits[0]));
    EXPECT_EQ(grid.Cursor(), int64_t(hits[0]));
    window.FindNext();
    ASSERT_TRUE(windowtest::waitUntil([&] { return !grid.Searching(); }, 30000));
    EXPECT_EQ(window.LastSearch().lastHit, int64_t(hits[1]));
}

} // namespace
