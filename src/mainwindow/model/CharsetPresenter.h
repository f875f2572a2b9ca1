// The code page, font and language choices that every view of names follows, without widgets: it sets the
// choice and the open map's copies, names the code page on the Map tab, keeps the choice in the settings
// and says when the menus' checks, the hex viewer and the views of names must follow.
#pragma once

#include <QObject>

class DataTabPresenter;
class MapCodePageChoice;
class MapTabPresenter;
class SourceOpener;
struct OpenData;

class CharsetPresenter : public QObject {
    Q_OBJECT
public:
    // All outlive it.
    CharsetPresenter(MapCodePageChoice& choice, OpenData& data, DataTabPresenter& languages,
                     MapTabPresenter& mapTab, const SourceOpener& opener, QObject* parent = nullptr);

    // The code page of names in map data (the charset menu's table); with apply, the open map's copies and
    // the hex viewer too.
    void SetMapCodePage(int codePage, bool apply);
    // The menus' items: a code page, a font, a language of the data, the automatic choice. With a map
    // loaded, names are decoded again everywhere.
    void ChooseCodePage(int codePage);
    void ChooseFont(int tag);
    void ChooseLanguage(int index);
    void ChooseAuto(bool on);
    // The automatic choice on or off, nothing chosen by it (the Auto item's check follows).
    void SetAutoSelect(bool on);
    // "MapCodePage": a menu code page turns the automatic choice off; 0 (or none) keeps it on.
    void ReadSettings();
    void WriteSettings() const;
    const MapCodePageChoice& Choice() const { return choice_; }

signals:
    // The charset, font and Auto items' checks follow the choice.
    void ChecksChanged();
    // The code page was applied: the hex viewer decodes in it.
    void CodePageApplied();
    // Names are decoded again by every view that shows them.
    void NamesChanged();

private:
    void refresh();

    MapCodePageChoice& choice_;
    OpenData& data_;
    DataTabPresenter& languages_;
    MapTabPresenter& mapTab_;
    const SourceOpener& opener_;
};
