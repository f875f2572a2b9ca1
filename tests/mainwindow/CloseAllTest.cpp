// Closing what was opened: the hex viewer, the map view and the field grid let go of their streams before
// any reader is freed, and the mounted image is closed only after the readers that read it.
#include <QTreeView>

#include "WindowTestSupport.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "support/fixtures/IsoFixture.h"
#include "support/fixtures/SourceFolderFixture.h"

namespace {

using windowtest::Log;
using windowtest::WindowTest;

// A reader held by a node, logging when it is freed and whether the image was still mounted then.
struct TrackedReader {
    explicit TrackedReader(Log& into) : log(into) {}
    ~TrackedReader() {
        log.push_back(std::string("reader freed") + (IsISOImageOpen() ? " (image mounted)" : ""));
    }
    Log& log;
};

class TrackedStream : public TLN_MemoryStream {
public:
    TrackedStream(Log& log) : TLN_MemoryStream(std::vector<uint8_t>(64, 0x11)), log_(log) {}
    ~TrackedStream() override { log_.push_back("stream freed"); }

private:
    Log& log_;
};

size_t at(const Log& log, const std::string& entry) {
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i] == entry) return i;
    ADD_FAILURE() << "not logged: " << entry;
    return log.size();
}

class CloseAllTest : public WindowTest {
protected:
    CloseAllTest() {
        window.SetHexViewer(&hex);
        window.show();
    }

    // A root holding a tracked reader and stream, selected so that the hex viewer shows its stream.
    void addSelectedRoot() {
        auto node = RecordNode::MakeChild(nullptr, 1, QStringLiteral("TRACKED"));
        node->held = HeldReader(std::make_shared<TrackedReader>(log));
        node->stream = std::make_shared<TrackedStream>(log);
        node->recordOffset = 16;
        RecordNode* root = window.DataCommands().Tree().AddRoot(std::move(node));
        window.DataCommands().Page()->treeView->setCurrentIndex(
            window.DataCommands().TreeModel()->IndexOf(root));
        ASSERT_EQ(window.DataCommands().Tree().Current(), root);
    }

    MainWindow window{services, &mapView};
};

TEST_F(CloseAllTest, ViewsLetGoBeforeReadersAreFreed) {
    addSelectedRoot();
    ASSERT_EQ(log.back(), "hex stream 16");
    log.clear();

    window.CloseAll();
    EXPECT_LT(at(log, "hex clear"), at(log, "reader freed"));
    EXPECT_LT(at(log, "hex clear"), at(log, "stream freed"));
    EXPECT_LT(at(log, "map none"), at(log, "reader freed"));
    EXPECT_EQ(window.DataCommands().Tree().Current(), nullptr);
    EXPECT_TRUE(window.DataCommands().Tree().Roots().empty());
    EXPECT_FALSE(hex.HasStream());
    EXPECT_EQ(window.DataCommands().GridModel().rowCount(), 0);
}

TEST_F(CloseAllTest, ImageIsClosedAfterTheReadersThatReadIt) {
    KIWI_NEED_XORRISO();
    fixture::writeSourceFolder(spath("content"));
    fixture::makeIsoWithXorriso(spath("content"), spath("disc.iso"));
    window.Opening().Open(OpenTabController::Source::Iso, path("disc.iso"));
    ASSERT_TRUE(IsISOImageOpen());
    std::weak_ptr<TLN_KiwiMap> map = window.Data().map;
    ASSERT_FALSE(map.expired());
    addSelectedRoot();
    log.clear();

    window.CloseAll();
    EXPECT_EQ(log[at(log, "reader freed (image mounted)")], "reader freed (image mounted)");
    EXPECT_LT(at(log, "hex clear"), at(log, "reader freed (image mounted)"));
    EXPECT_TRUE(map.expired());
    EXPECT_FALSE(IsISOImageOpen());
}

TEST_F(CloseAllTest, EveryOpeningClosesThePreviousSourceFirst) {
    fixture::writeSourceFolder(spath("disc"));
    addSelectedRoot();
    log.clear();
    window.Opening().Open(OpenTabController::Source::Folder, path("disc"));
    EXPECT_LT(at(log, "hex clear"), at(log, "reader freed"));
    EXPECT_LT(at(log, "reader freed"), at(log, "map set"));
}

TEST_F(CloseAllTest, DestroyingAWindowFreesWhatItOpened) {
    fixture::writeSourceFolder(spath("disc"));
    std::weak_ptr<TLN_KiwiMap> map;
    {
        MainWindow second(services, &mapView);
        second.Opening().Open(OpenTabController::Source::Folder, path("disc"));
        map = second.Data().map;
        ASSERT_FALSE(map.expired());
    }
    EXPECT_TRUE(map.expired());
    EXPECT_EQ(mapView.Map(), nullptr);
}

} // namespace
