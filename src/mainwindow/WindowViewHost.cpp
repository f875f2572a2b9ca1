// The record views' side effects carried out on the Data tab and the hex viewer.
#include "mainwindow/WindowViewHost.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "mainwindow/DataPage.h"
#include "mainwindow/HexViewApi.h"
#include "mainwindow/Services.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "platform/VoicePlayer.h"

WindowViewHost::WindowViewHost(DataPage& page, const Services& services) : page_(page), services_(services) {}

WindowViewHost::~WindowViewHost() = default;

void WindowViewHost::SetHexViewer(HexViewApi* hex, std::function<void(bool)> showHexTab) {
    hex_ = hex;
    showHexTab_ = std::move(showHexTab);
}

void WindowViewHost::Reset() {
    page_.graphicImage->clear();
    page_.graphicPanel->setVisible(false);
    play_ = nullptr;
    page_.playSpeedBtn->setEnabled(false);
    page_.stopSpeedBtn->setEnabled(false);
}

void WindowViewHost::ShowInHexViewer(const std::shared_ptr<TLN_Stream>& stream, int64_t offset) {
    if (!hex_) return;
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
    hex_->SetOwnedStream(std::move(stream), offset);
    if (showHexTab_) showHexTab_(true);
}

void WindowViewHost::ShowPicture(const QImage& image) {
    page_.graphicImage->setPixmap(QPixmap::fromImage(image));
    page_.graphicPanel->setVisible(!image.isNull());
}

void WindowViewHost::ShowPlayButton(std::function<void()> play) {
    play_ = std::move(play);
    page_.playSpeedBtn->setEnabled(bool(play_));
    page_.stopSpeedBtn->setEnabled(bool(play_));
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

void WindowViewHost::Play() {
    if (play_) play_();
}

void WindowViewHost::Stop() {
    if (player_) player_->stop();
}
