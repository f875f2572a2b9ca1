// The Data tab's languages and tree width share.
#include "mainwindow/model/DataTabPresenter.h"

#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/MapCodePageChoice.h"
#include "mainwindow/model/OpenData.h"

DataTabPresenter::DataTabPresenter(MapCodePageChoice& codePages, OpenData& data, QObject* parent)
    : QObject(parent), codePages_(codePages), data_(data) {}

void DataTabPresenter::SetLanguages(const QStringList& names) {
    languages_ = names;
    chosen_ = 0;
    codePages_.SetDataLanguage(0);
    emit LanguagesChanged();
}

void DataTabPresenter::ResetLanguages() {
    SetLanguages({});
}

bool DataTabPresenter::ChooseLanguage(int index) {
    if (index < 0 || index >= languages_.size()) return false;
    chosen_ = index;
    codePages_.SetDataLanguage(uint32_t(index));
    if (data_.map) data_.map->SetNameLanguage(uint32_t(index));
    emit LanguageChosen(index);
    return true;
}

QString DataTabPresenter::LanguageButtonText() const {
    return languages_.isEmpty() ? QStringLiteral("ENG") : languages_[chosen_].toUpper();
}

void DataTabPresenter::KeepTreeWidth(int windowWidth, int treeWidth) {
    if (treeWidth > 0) treeWidthRatio_ = int(int64_t(windowWidth) * 10000 / treeWidth);
}

std::optional<int> DataTabPresenter::TreeWidthFor(int windowWidth) const {
    if (treeWidthRatio_ <= 0) return std::nullopt;
    return int(int64_t(windowWidth) * 10000 / treeWidthRatio_);
}
