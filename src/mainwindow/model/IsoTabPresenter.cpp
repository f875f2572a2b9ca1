// The ISO tab's rows and the rules of its pop-up menu.
#include "mainwindow/model/IsoTabPresenter.h"

#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/iso/ISOImage.h"

IsoTabPresenter::IsoTabPresenter(QObject* parent) : QObject(parent) {}

IsoTabPresenter::~IsoTabPresenter() = default;

void IsoTabPresenter::ShowRoot() {
    menuRow_ = -1;
    const std::shared_ptr<TISOImage> image = GetISOImage();
    if (!image || !image->Tree()) {
        compression_.reset();
        ShowDirectory(nullptr);
        return;
    }
    compression_ = OpenImageCompressionList();
    ShowDirectory(image->Tree()->Root());
}

void IsoTabPresenter::ShowDirectory(const TDirectoryEntry* directory) {
    menuRow_ = -1;
    items_ = directory ? ListIsoDirectory(*directory, types_) : std::vector<IsoListItem>{};
    emit ItemsChanged();
}

void IsoTabPresenter::Clear() {
    // The rows point into the image's tree and go first.
    ShowDirectory(nullptr);
    compression_.reset();
}

const IsoListItem* IsoTabPresenter::ItemAt(int row) const {
    return row >= 0 && size_t(row) < items_.size() ? &items_[size_t(row)] : nullptr;
}

IsoTabPresenter::Opened IsoTabPresenter::Open(int row) {
    const IsoListItem* item = ItemAt(row);
    if (!item) return Opened::Nothing;
    if (item->kind != IsoListItem::Kind::File) {
        ShowDirectory(item->directory);
        return Opened::Directory;
    }
    menuRow_ = row;
    return Opened::File;
}

IsoTabPresenter::MenuState IsoTabPresenter::ChooseMenuRow(int row, bool extractionRunning) {
    menuRow_ = row;
    const IsoListItem* item = ItemAt(row);
    const IsoItemActions actions = item ? isoItemActions(*item, compression_.get()) : IsoItemActions{};
    return {actions.openInHexViewer, actions.extract && !extractionRunning, actions.unpack, IsISOImageOpen()};
}

const IsoListItem* IsoTabPresenter::MenuFile() const {
    const IsoListItem* item = ItemAt(menuRow_);
    return item && item->kind == IsoListItem::Kind::File && item->file ? item : nullptr;
}
