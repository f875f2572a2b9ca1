// The Data tab as one program: the opened source's roots in the tree view, children built by the record
// tree model as the view expands them, the field grid view filled by the node kinds' views when a node is
// selected, the hex viewer placed on the node's bytes, builder errors as messages, a paged list turned
// from the view, and the hex viewer and grid let go of a node before it is deleted.
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTreeView>
#include <stdexcept>

#include "WindowTestSupport.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/voice/VoiceManager.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/FieldGridView.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/RegionFixture.h"
#include "support/fixtures/SourceFolderFixture.h"
#include "support/fixtures/VoiceFixtures.h"
#include "support/window/HexViewPlaceholder.h"

namespace {

using windowtest::Log;
using windowtest::waitUntil;
using windowtest::WindowTest;

// The hex viewer's placeholder, docked as the hex tab, writing what it is asked into the shared log.
class RecordingHexPlaceholder : public HexViewPlaceholder {
public:
    explicit RecordingHexPlaceholder(Log& log) : log_(log) {}
    void SetStream(std::shared_ptr<TLN_Stream> stream, int64_t offset) override {
        log_.push_back("hex stream " + std::to_string(offset));
        file = stream ? fileNamePart(stream->FileName()) : std::string();
        HexViewPlaceholder::SetStream(std::move(stream), offset);
    }
    void SetOwnedStream(std::shared_ptr<TLN_Stream> stream, int64_t offset) override {
        log_.push_back("hex owned stream " + std::to_string(offset));
        HexViewPlaceholder::SetOwnedStream(std::move(stream), offset);
    }
    void GotoOffset(int64_t offset) override {
        log_.push_back("hex goto " + std::to_string(offset));
        HexViewPlaceholder::GotoOffset(offset);
    }
    void Clear() override {
        log_.push_back("hex clear");
        HexViewPlaceholder::Clear();
    }

    // The file of the stream shown last.
    std::string file;

private:
    Log& log_;
};

// A memory stream that raises read errors at and after a position once armed (a disc that went bad under
// an open reader).
class FailingStream : public TLN_MemoryStream {
public:
    using TLN_MemoryStream::TLN_MemoryStream;
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override {
        if (failFrom >= 0 && position + count > failFrom) throw EReadError("Read error: the disc went bad");
        return TLN_MemoryStream::ReadAt(position, buffer, count);
    }
    int64_t failFrom = -1;
};

// A reader held by a node that says when it is freed.
struct TrackedReader {
    explicit TrackedReader(Log& into) : log(into) {}
    ~TrackedReader() { log.push_back("reader freed"); }
    Log& log;
};

size_t at(const Log& log, const std::string& entry) {
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i] == entry) return i;
    ADD_FAILURE() << "not logged: " << entry;
    return log.size();
}

// The last hex viewer call of the log.
std::string lastHex(const Log& log) {
    for (auto entry = log.rbegin(); entry != log.rend(); ++entry)
        if (entry->rfind("hex ", 0) == 0) return *entry;
    return {};
}

class DataTabTest : public WindowTest {
protected:
    DataTabTest() {
        window.SetHexViewer(&hexView);
        window.show();
        // The grid's resets in the shared log, to see what is cleared before what is freed.
        QObject::connect(&window.DataCommands().GridModel(), &QAbstractItemModel::modelReset,
                         [this] { log.push_back("grid cleared"); });
    }

    QTreeView* treeView() const { return window.DataCommands().Page()->treeView; }
    QAbstractItemModel* model() const { return treeView()->model(); }
    QModelIndex child(const QModelIndex& parent, const QString& caption) const {
        for (int row = 0; row < model()->rowCount(parent); ++row) {
            const QModelIndex index = model()->index(row, 0, parent);
            if (index.data().toString() == caption) return index;
        }
        ADD_FAILURE() << "no node " << caption.toStdString();
        return {};
    }
    QStringList captions(const QModelIndex& parent) const {
        QStringList out;
        for (int row = 0; row < model()->rowCount(parent); ++row)
            out << model()->index(row, 0, parent).data().toString();
        return out;
    }
    // Selects index as a click would: the view's current index.
    void select(const QModelIndex& index) { treeView()->setCurrentIndex(index); }
    // The field grid as its view shows it: row's three cells joined by "|".
    QString gridRow(int row) const {
        const QAbstractItemModel* grid = window.DataCommands().Page()->fieldGrid->model();
        return grid->index(row, 0).data().toString() + "|" + grid->index(row, 1).data().toString() + "|" +
               grid->index(row, 2).data().toString();
    }
    int gridRows() const { return window.DataCommands().Page()->fieldGrid->model()->rowCount(); }
    // Roots added by a test rather than an opening: the Data tab is shown as an opening shows it.
    RecordNode* addRoot(std::unique_ptr<RecordNode> node) {
        windowtest::tabsOf(window)->setTabVisible(
            windowtest::tabsOf(window)->indexOf(window.DataCommands().Page()), true);
        windowtest::tabsOf(window)->setCurrentWidget(window.DataCommands().Page());
        return window.DataCommands().Tree().AddRoot(std::move(node));
    }
    void openDisc() {
        fixture::writeSourceFolder(spath("disc"));
        ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::Folder, path("disc")));
    }

    RecordingHexPlaceholder hexView{log};
    MainWindow window{services, &mapView};
};

TEST_F(DataTabTest, TheTreeShowsTheRootsAndBuildsAllDataThroughItsModel) {
    openDisc();
    EXPECT_EQ(model(), window.DataCommands().TreeModel());
    EXPECT_EQ(captions({}), (QStringList{"LOADING", "COMPRESSION", "COVERAGE", "ALL DATA"}));

    // The opening expanded "ALL DATA" one level: its management headers were built by the model.
    const QModelIndex allData = child({}, "ALL DATA");
    EXPECT_TRUE(treeView()->isExpanded(allData));
    const QStringList parts = captions(allData);
    ASSERT_FALSE(parts.isEmpty());
    EXPECT_EQ(parts.first(), "Map Data");
    EXPECT_TRUE(parts.contains("Region Data"));

    // Other nodes are built only when the view expands them.
    const QModelIndex mapData = child(allData, "Map Data");
    EXPECT_TRUE(model()->hasChildren(mapData));
    EXPECT_EQ(model()->rowCount(mapData), 0);
    treeView()->expand(mapData);
    EXPECT_EQ(captions(mapData).value(0), "Level 0");
    const QModelIndex loading = child({}, "LOADING");
    EXPECT_EQ(model()->rowCount(loading), 0);
    treeView()->expand(loading);
    EXPECT_GT(model()->rowCount(loading), 0);
    EXPECT_TRUE(messenger.errors.isEmpty());
}

TEST_F(DataTabTest, SelectingANodeFillsTheGridAndPlacesTheHexViewer) {
    openDisc();
    log.clear();
    select(child({}, "LOADING"));
    EXPECT_EQ(window.DataCommands().Tree().Current(),
              window.DataCommands().TreeModel()->Node(child({}, "LOADING")));
    ASSERT_EQ(gridRows(), 3);
    EXPECT_TRUE(gridRow(0).startsWith("         < Loading Module Management Frame >|"))
        << gridRow(0).toStdString();
    EXPECT_EQ(gridRow(2), "Number of Accommodated Systems|2|");
    EXPECT_EQ(lastHex(log), "hex stream 0");
    EXPECT_TRUE(windowtest::tabShown(window, &hexView));
    EXPECT_EQ(window.DataCommands().Page()->fieldGrid->columnWidth(0), 350);
    EXPECT_EQ(window.DataCommands().Page()->fieldGrid->columnWidth(2), 450);

    // A child of a record at a position: the view names the offset, the hex viewer goes there.
    const QModelIndex loading = child({}, "LOADING");
    treeView()->expand(loading);
    const QModelIndex system = model()->index(0, 0, loading);
    select(system);
    const RecordNode* systemNode = window.DataCommands().TreeModel()->Node(system);
    EXPECT_EQ(lastHex(log), "hex stream " + std::to_string(systemNode->recordOffset));
    EXPECT_EQ(gridRow(0), "         < System Identification Information >|" + system.data().toString() + "|");

    // A part of the map kept in a file of its own is shown from that file, not from ALLDATA.KWI.
    const QModelIndex regionData = child(child({}, "ALL DATA"), "Region Data");
    select(regionData);
    EXPECT_EQ(hexView.file, "REGION.KWI");
    treeView()->expand(regionData);
    select(model()->index(0, 0, regionData));
    EXPECT_EQ(hexView.file, "REGION.KWI");

    // A root that names its file: a decompressing stream the hex viewer owns.
    select(child({}, "COVERAGE"));
    EXPECT_EQ(lastHex(log), "hex owned stream 0");
    EXPECT_EQ(hexView.Offset(), 0);
    EXPECT_EQ(gridRow(0), "         < Coverage Information >|COVERAGE.BIN|");

    // Its picture is not on the disc: the file is not opened, the hex viewer is cleared and its tab hidden.
    const QModelIndex coverage = child({}, "COVERAGE");
    treeView()->expand(coverage);
    select(child(coverage, "AREA1.BMP"));
    EXPECT_EQ(lastHex(log), "hex clear");
    EXPECT_FALSE(hexView.HasStream());
    EXPECT_FALSE(windowtest::tabShown(window, &hexView));
    ASSERT_EQ(gridRows(), 1);
    EXPECT_EQ(gridRow(0), "Sorry. File doesn''t exists|AREA1.BMP|");
    EXPECT_TRUE(messenger.errors.isEmpty());
}

TEST_F(DataTabTest, AnAddressRowJumpsToTheHexTab) {
    openDisc();
    // A unit's header names its offset.
    QModelIndex unit = child({}, "LOADING");
    for (int depth = 0; depth < 3; ++depth) {
        treeView()->expand(unit);
        unit = model()->index(0, 0, unit);
    }
    select(unit);
    const int64_t unitOffset = window.DataCommands().TreeModel()->Node(unit)->recordOffset;
    ASSERT_GT(unitOffset, 0);
    log.clear();
    FieldGridView* grid = window.DataCommands().Page()->fieldGrid;
    grid->resize(1000, 400);
    const QPoint at = grid->visualRect(grid->model()->index(0, 1)).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &event);
    }
    EXPECT_EQ(log, (Log{"hex goto " + std::to_string(unitOffset)}));
    EXPECT_EQ(windowtest::tabsOf(window)->currentWidget(), &hexView);
    // The window's popup menu of the grid carries the jump, enabled for the row under the mouse.
    EXPECT_EQ(grid->ContextMenu(), window.DataCommands().Menus()->stringGridMenu);
    EXPECT_EQ(grid->JumpAction(), window.DataCommands().Menus()->showDataStringGridItem);
    emit grid->customContextMenuRequested(at);
    EXPECT_TRUE(grid->JumpAction()->isEnabled());
    grid->ContextMenu()->hide();
}

TEST_F(DataTabTest, AHelpLinkOpensTheDocumentUnderTheLocalDocumentFolder) {
    openDisc();
    FieldGrid grid(window.DataCommands().GridModel());
    grid.AddSectionHeader(QStringLiteral("Record"));
    grid.SetHelpLink(QStringLiteral("KIWI/Chapter3.pdf"));
    FieldGridView* view = window.DataCommands().Page()->fieldGrid;
    int helpRow = -1;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        if (view->model()->index(row, 2).data().toString() == "Help") helpRow = row;
    ASSERT_GE(helpRow, 0);
    const QString folder = dataHome.path() + "/strovane/help/";
    EXPECT_EQ(DataTabCommands::HelpBase().toLocalFile(), folder);
    // Not there yet: the message names the document and the folder, and nothing is opened.
    emit view->clicked(view->model()->index(helpRow, 2));
    EXPECT_TRUE(urls.urls.isEmpty());
    ASSERT_EQ(messenger.information.size(), 1);
    EXPECT_EQ(messenger.information[0],
              "Документ справки не найден: KIWI/Chapter3.pdf\rДокументы справки ищутся в папке " + folder);
    fixture::writeFile((folder + "KIWI/Chapter3.pdf").toStdString(), {'%', 'P', 'D', 'F'});
    emit view->clicked(view->model()->index(helpRow, 2));
    EXPECT_EQ(urls.urls, QStringList{QUrl::fromLocalFile(folder + "KIWI/Chapter3.pdf").toString()});
    EXPECT_EQ(messenger.information.size(), 1);
    // There, but no program shows it: the message names the document.
    urls.opens = false;
    emit view->clicked(view->model()->index(helpRow, 2));
    EXPECT_EQ(messenger.information.value(1),
              "Нет программы для показа документа справки: " + folder + "KIWI/Chapter3.pdf");
}

TEST_F(DataTabTest, ABuilderErrorShowsAMessageAndAttachesNothing) {
    // Voice data whose second language cannot be read once the reader is open: the first language was
    // built when the error came.
    auto stream = std::make_shared<FailingStream>(fixture::buildVoiceDat().bytes);
    auto voice = std::make_shared<TLN_VoiceManager>(stream, 0);
    ASSERT_TRUE(voice->IsValid());
    ASSERT_EQ(voice->AvailableLanguageCount(), 2);
    TLN_Voice_Language second;
    ASSERT_TRUE(voice->ReadLanguage(1, second));
    auto root = RecordNode::MakeChild(nullptr, 1060, QStringLiteral("VOICEDAT"));
    root->held = HeldReader(voice);
    root->stream = stream;
    root->hasChildren = true;
    addRoot(std::move(root));
    stream->failFrom = second.Position;

    const QModelIndex index = child({}, "VOICEDAT");
    treeView()->expand(index);
    // The message comes from the event loop (the view may be laying itself out), and the view collapses
    // the node again; more layouts do not try again.
    ASSERT_TRUE(
        waitUntil([&] { return !messenger.errors.isEmpty() && !treeView()->isExpanded(index); }, 5000));
    EXPECT_EQ(messenger.errors, QStringList{"Read error: the disc went bad"});
    EXPECT_EQ(model()->rowCount(index), 0);
    treeView()->doItemsLayout();
    waitUntil([] { return false; }, 50);
    EXPECT_EQ(messenger.errors.size(), 1);
    // Still expandable: once the data reads again, expanding builds both languages.
    EXPECT_TRUE(model()->hasChildren(index));
    stream->failFrom = -1;
    treeView()->expand(index);
    ASSERT_TRUE(waitUntil([&] { return model()->rowCount(index) == 2; }, 5000));
    EXPECT_EQ(messenger.errors.size(), 1);
}

TEST_F(DataTabTest, APagedRegionListEndsInTheMoreNodeAndTurnsWhenSelected) {
    const std::string folder = spath("regions");
    fixture::writeRegionData(fixture::buildRegionData(fixture::manyRegionsPlan(1200)), folder);
    ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::File, path("regions/REGION.KWI")));
    const QModelIndex root = child({}, "REGION");
    treeView()->expand(root);
    const QModelIndex level = child(root, "Level 1");
    treeView()->expand(level);
    ASSERT_EQ(model()->rowCount(level), 500);
    const QModelIndex more = model()->index(499, 0, level);
    EXPECT_EQ(more.data().toString(), ". . . . .");

    // The page turns from the event loop, not inside the view's selection handler; then the entry shows.
    select(more);
    EXPECT_EQ(model()->rowCount(level), 500);
    ASSERT_TRUE(waitUntil([&] { return model()->rowCount(level) == 1000; }, 5000));
    EXPECT_EQ(model()->index(499, 0, level).data().toString(), "Region 499");
    EXPECT_EQ(model()->index(999, 0, level).data().toString(), ". . . . .");
    EXPECT_EQ(window.DataCommands().Tree().Current(),
              window.DataCommands().TreeModel()->Node(model()->index(499, 0, level)));
    EXPECT_EQ(treeView()->currentIndex(), model()->index(499, 0, level));
    // The region's own record, where the more-node stood.
    const RecordNode* entry = window.DataCommands().TreeModel()->Node(model()->index(499, 0, level));
    EXPECT_EQ(gridRow(0), QStringLiteral("         < Region Management Record >||Offset=") +
                              QString::fromStdString(FormatHex32Spaced(entry->recordOffset)))
        << gridRow(0).toStdString();

    // Expanding the next more-node turns its page as well: the last 200 follow, with no more-node.
    treeView()->expand(model()->index(999, 0, level));
    ASSERT_TRUE(waitUntil([&] { return model()->rowCount(level) == 1200; }, 5000));
    EXPECT_EQ(model()->index(999, 0, level).data().toString(), "Region 999");
    EXPECT_EQ(model()->index(1199, 0, level).data().toString(), "Region 1199");
    EXPECT_TRUE(messenger.errors.isEmpty());
}

TEST_F(DataTabTest, DeletingTheCurrentNodeClearsTheHexViewerAndTheGridBeforeItsReaderGoes) {
    auto node = RecordNode::MakeChild(nullptr, 18, QStringLiteral("TRACKED"));
    node->held = HeldReader(std::make_shared<TrackedReader>(log));
    node->stream = std::make_shared<TLN_MemoryStream>(std::vector<uint8_t>(64, 0x11));
    RecordNode* tracked = addRoot(std::move(node));
    auto other = RecordNode::MakeChild(nullptr, 18, QStringLiteral("OTHER"));
    other->stream = std::make_shared<TLN_MemoryStream>(std::vector<uint8_t>(64, 0x22));
    addRoot(std::move(other));
    select(window.DataCommands().TreeModel()->IndexOf(tracked));
    ASSERT_EQ(window.DataCommands().Tree().Current(), tracked);
    ASSERT_EQ(gridRows(), 1);
    log.clear();

    window.DataCommands().Tree().Remove(*tracked);
    EXPECT_LT(at(log, "hex clear"), at(log, "reader freed"));
    EXPECT_LT(at(log, "grid cleared"), at(log, "reader freed"));
    EXPECT_EQ(window.DataCommands().Tree().Current(), nullptr);
    EXPECT_FALSE(hexView.HasStream());
    EXPECT_FALSE(windowtest::tabShown(window, &hexView));

    // The view moved its current index to the other root: that one is shown once the removal is over.
    ASSERT_TRUE(waitUntil([&] { return window.DataCommands().Tree().Current() != nullptr; }, 5000));
    EXPECT_EQ(window.DataCommands().Tree().Current()->caption, "OTHER");
    EXPECT_EQ(gridRow(0), "Sorry. Not Implimented|OTHER|");
    EXPECT_TRUE(hexView.HasStream());
}

TEST_F(DataTabTest, CollapsingAWalkedBlockDropsItsParcelsLaterAndTheShownOneWithThem) {
    openDisc();
    QModelIndex index = child(child({}, "ALL DATA"), "Map Data");
    for (const char* caption : {"Level 0", "BlockSet 0", "Block 0"}) {
        treeView()->expand(index);
        index = child(index, QString::fromLatin1(caption));
    }
    const QPersistentModelIndex block(index);
    treeView()->expand(block);
    const int parcels = model()->rowCount(block);
    ASSERT_GT(parcels, 0);
    select(model()->index(0, 0, block));
    ASSERT_NE(window.DataCommands().Tree().Current(), nullptr);
    // As a walk to one parcel leaves it.
    window.DataCommands().TreeModel()->Node(block)->partialWalk = true;
    log.clear();

    treeView()->collapse(block);
    EXPECT_EQ(model()->rowCount(block), parcels);
    ASSERT_TRUE(waitUntil([&] { return model()->rowCount(block) == 0; }, 5000));
    EXPECT_LT(at(log, "hex clear"), at(log, "grid cleared"));
    EXPECT_TRUE(model()->hasChildren(block));
    EXPECT_FALSE(window.DataCommands().TreeModel()->Node(block)->partialWalk);
    // Expanded again, the block lists all its parcels.
    treeView()->expand(block);
    EXPECT_EQ(model()->rowCount(block), parcels);
}

TEST_F(DataTabTest, ClosingLetsTheHexViewerAndTheGridGoBeforeTheReaders) {
    auto node = RecordNode::MakeChild(nullptr, 18, QStringLiteral("TRACKED"));
    node->held = HeldReader(std::make_shared<TrackedReader>(log));
    node->stream = std::make_shared<TLN_MemoryStream>(std::vector<uint8_t>(64, 0x11));
    select(window.DataCommands().TreeModel()->IndexOf(addRoot(std::move(node))));
    log.clear();
    window.CloseAll();
    EXPECT_LT(at(log, "hex clear"), at(log, "grid cleared"));
    EXPECT_LT(at(log, "grid cleared"), at(log, "reader freed"));
    EXPECT_EQ(window.DataCommands().Tree().Current(), nullptr);
    EXPECT_EQ(model()->rowCount({}), 0);
    QApplication::processEvents();
    EXPECT_EQ(window.DataCommands().Tree().Current(), nullptr);
}

} // namespace
