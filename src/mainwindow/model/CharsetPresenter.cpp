// The code page, font and language choices of names.
#include "mainwindow/model/CharsetPresenter.h"

#include "kiwi/core/MapCodePage.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/DataTabPresenter.h"
#include "mainwindow/model/MapCodePageChoice.h"
#include "mainwindow/model/MapTabPresenter.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/SourceOpener.h"
#include "platform/RegistrySettings.h"

CharsetPresenter::CharsetPresenter(MapCodePageChoice& choice, OpenData& data, DataTabPresenter& languages,
                                   MapTabPresenter& mapTab, const SourceOpener& opener, QObject* parent)
    : QObject(parent), choice_(choice), data_(data), languages_(languages), mapTab_(mapTab), opener_(opener) {
    // The code page the layout starts with, until the settings choose another.
    mapTab_.SetCodePageName(choice_.StatusText());
}

void CharsetPresenter::SetMapCodePage(int codePage, bool apply) {
    choice_.SetMapCodePage(codePage);
    emit ChecksChanged();
    mapTab_.SetCodePageName(choice_.StatusText());
    if (!apply) return;
    // Fonts carry no charset here: the views decode names themselves, the hex viewer's characters too, in
    // the map text code page.
    if (data_.map) data_.map->SetCodePages(LoadMapCodePages());
    emit CodePageApplied();
}

void CharsetPresenter::refresh() {
    if (mapTab_.HasMap()) emit NamesChanged();
}

void CharsetPresenter::ChooseCodePage(int codePage) {
    SetMapCodePage(codePage, true);
    refresh();
}

void CharsetPresenter::ChooseFont(int tag) {
    const std::optional<MapCodePageChoice::FontChange> change = choice_.SetFont(tag);
    if (!change) return;
    if (data_.map) data_.map->SetCodePages(LoadMapCodePages());
    if (change->codePageChanged) refresh();
    emit ChecksChanged();
}

void CharsetPresenter::ChooseLanguage(int index) {
    if (languages_.ChooseLanguage(index)) refresh();
}

void CharsetPresenter::SetAutoSelect(bool on) {
    choice_.SetAutoSelect(on);
    emit ChecksChanged();
}

void CharsetPresenter::ChooseAuto(bool on) {
    SetAutoSelect(on);
    if (!on) return;
    // The automatic choice clicks the charset item of the map's code page, if its codes name one.
    if (const int codePage = opener_.AutoCharset()) ChooseCodePage(codePage);
}

void CharsetPresenter::ReadSettings() {
    const int32_t codePage = RegReadInteger(QStringLiteral("MapCodePage"));
    if (codePage > 0) {
        MapTextCodePage.store(codePage);
        choice_.SetAutoSelect(false);
        if (MapCodePageChoice::IsMenuCodePage(codePage))
            SetMapCodePage(codePage, true);
        else
            choice_.SetAutoSelect(true);
    }
    emit ChecksChanged();
}

void CharsetPresenter::WriteSettings() const {
    RegWriteInteger(QStringLiteral("MapCodePage"), choice_.AutoSelect() ? 0 : MapTextCodePage.load());
}
