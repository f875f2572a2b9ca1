// The view host that logs.
#include "mainwindow/model/ViewHostLog.h"

#include "kiwi/core/FileNames.h"
#include "mainwindow/model/RecordTree.h"

namespace {
std::string fileOf(const TLN_Stream& stream) {
    return fileNamePart(stream.FileName());
}
} // namespace

std::vector<std::string> ViewHostLog::Take() {
    std::vector<std::string> taken;
    taken.swap(lines_);
    return taken;
}

void ViewHostLog::ShowInHexViewer(const std::shared_ptr<TLN_Stream>& stream, int64_t offset) {
    lines_.push_back(stream ? "@hex " + fileOf(*stream) + " " + std::to_string(offset) : "@hex none");
}

void ViewHostLog::ShowOwnedStreamInHexViewer(std::shared_ptr<TLN_Stream> stream, int64_t offset) {
    lines_.push_back(stream ? "@hex owned " + fileOf(*stream) + " " + std::to_string(offset) : "@hex none");
}

void ViewHostLog::ShowPicture(const QImage& image) {
    lines_.push_back(image.isNull() ? "@picture none"
                                    : "@picture " + std::to_string(image.width()) + "x" +
                                          std::to_string(image.height()));
}

void ViewHostLog::ShowPlayButton(std::function<void()> play) {
    lines_.push_back(play ? "@playbutton on" : "@playbutton off");
}

void ViewHostLog::PlaySound(std::vector<uint8_t> waveImage) {
    lines_.push_back("@play " + std::to_string(waveImage.size()));
}

void ViewHostLog::AddChildren(RecordNode& node, std::vector<std::unique_ptr<RecordNode>> children) {
    lines_.push_back("@children " + std::to_string(children.size()));
    if (tree_) tree_->AddChildren(node, std::move(children));
}

void ViewHostLog::Beep() {
    lines_.push_back("@beep");
}

void ViewHostLog::Progress(int value, int max) {
    if (max == 0 && value == 0) lines_.push_back("@progress end");
}
