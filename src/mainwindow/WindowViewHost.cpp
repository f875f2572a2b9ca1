// The record views' side effects carried out on the Data tab and the hex viewer.
#include "mainwindow/WindowViewHost.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>

#include "hexview/model/HexViewApi.h"
#include "kiwi/core/FileNames.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/FieldGridView.h"
#include "mainwindow/IndexTablesSheet.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "platform/VoicePlayer.h"
#include "widgets/Services.h"
#include "widgets/flat/FlatButton.h"

namespace {
// Pixels between the grid's last row and the picture below it.
constexpr int kPictureGap = 15;
} // namespace

WindowViewHost::WindowViewHost(DataPage& page, const Services& services) : page_(page), services_(services) {
    // The index tables tab shows only while a table with records is open.
    page_.innerTabs->setTabVisible(page_.innerTabs->indexOf(page_.matchingSheet), false);
}

WindowViewHost::~WindowViewHost() = default;

void WindowViewHost::SetHexViewer(HexViewApi* hex, std::function<void(bool)> showHexTab) {
    hex_ = hex;
    showHexTab_ = std::move(showHexTab);
}

void WindowViewHost::Reset() {
    page_.graphicImage->clear();
    page_.graphicPanel->setVisible(false);
    play_ = nullptr;
    // A record without sound shows no voice buttons at all.
    page_.playSpeedBtn->setVisible(false);
    page_.stopSpeedBtn->setVisible(false);
    ShowIndexTable(IndexGrid::Category, nullptr);
    ShowIndexTable(IndexGrid::Matching, nullptr);
}

bool WindowViewHost::ShowsFile(const std::string& name) const {
    const std::shared_ptr<TLN_Stream> stream = shown_.lock();
    return stream && hex_ && hex_->HasStream() && equalsIgnoreCase(fileNamePart(stream->FileName()), name);
}

void WindowViewHost::ShowInHexViewer(const std::shared_ptr<TLN_Stream>& stream, int64_t offset) {
    if (!hex_) return;
    shown_ = stream;
    if (stream)
        hex_->SetStream(stream, offset);
    else
        hex_->Clear();
    // The hex tab shows only while the viewer has something to show.
    if (showHexTab_) showHexTab_(stream != nullptr);
}

void WindowViewHost::ShowOwnedStreamInHexViewer(std::shared_ptr<TLN_Stream> stream, int64_t offset) {
    if (!stream) {
        ShowInHexViewer(nullptr, 0);
        return;
    }
    if (!hex_) return;
    shown_ = stream;
    hex_->SetOwnedStream(std::move(stream), offset);
    if (showHexTab_) showHexTab_(true);
}

void WindowViewHost::ShowPicture(const QImage& image) {
    page_.graphicImage->setPixmap(QPixmap::fromImage(image));
    if (image.isNull()) {
        page_.graphicPanel->setVisible(false);
        return;
    }
    // Over the grid, just below its last row (scrolled with it), at the left.
    FieldGridView* grid = page_.fieldGrid;
    const int last = grid->model() ? grid->model()->rowCount() - 1 : -1;
    const int top =
        last >= 0 ? grid->rowViewportPosition(last) + grid->rowHeight(last) + kPictureGap : kPictureGap;
    page_.graphicPanel->setGeometry(3, top, image.width() + 6, image.height() + 6);
    page_.graphicPanel->setVisible(true);
    page_.graphicPanel->raise();
}

void WindowViewHost::ShowPlayButton(std::function<void()> play) {
    play_ = std::move(play);
    page_.playSpeedBtn->setVisible(bool(play_));
    page_.stopSpeedBtn->setVisible(bool(play_));
}

void WindowViewHost::PlaySound(std::vector<uint8_t> waveImage) {
    // The sound device is opened on first use: a window that never plays needs none.
    if (!player_) player_ = CreateDefaultVoicePlayer();
    player_->play(std::move(waveImage));
}

void WindowViewHost::AddChildren(RecordNode& node, std::vector<std::unique_ptr<RecordNode>> children) {
    if (model_) model_->AddChildrenLater(node, std::move(children));
}

void WindowViewHost::Beep() {
    if (services_.beep) services_.beep();
}

void WindowViewHost::Progress(int, int) {}

void WindowViewHost::ShowIndexTable(IndexGrid grid, std::shared_ptr<IndexTable> table) {
    IndexTablesSheet* sheet = page_.indexSheet;
    const bool opened = table != nullptr;
    sheet->ShowTable(grid, std::move(table));
    const int tab = page_.innerTabs->indexOf(sheet);
    page_.innerTabs->setTabVisible(tab, sheet->HasRecords());
    // A table with records shows its tab at once, as the grids are what such a record is about.
    if (opened && sheet->Table(grid) && sheet->HasRecords()) page_.innerTabs->setCurrentIndex(tab);
}

void WindowViewHost::Play() {
    if (play_) play_();
}

void WindowViewHost::Stop() {
    if (player_) player_->stop();
}
