// The main window's menus: the map settings menu with its charset, language, road colour, map element and
// font submenus, the map pop-up menu, and the pop-up menus of the ISO list, the field grid, the data grids
// and the picture, made with their Russian texts.
#pragma once

#include <array>

#include <QObject>

class QAction;
class QActionGroup;
class QMenu;
class QWidget;

class WindowMenus : public QObject {
    Q_OBJECT
public:
    explicit WindowMenus(QWidget* owner);
    ~WindowMenus() override;

    // The charset item of a code page; null for a code page the menu does not list.
    QAction* CharsetItem(int codePage) const;
    // One checked-first radio item per language name (caption upper-cased, data = its index); for none,
    // one disabled, checked "ENG" item.
    void SetLanguages(const QStringList& names);
    // The language item of an index; null when the menu has none.
    QAction* LanguageItem(int index) const;
    // The map element items, whose data are their layer bits.
    QList<QAction*> MapElementItems() const;

    // The road colour tables "Default AISIN", "Default DENSO", "Default ZRV" (data -1) and the display
    // class items (data = class).
    std::array<QAction*, 3> roadTableItems{};
    std::array<QAction*, 16> roadClassItems{};
    // The font items "Default" .. "Japanese" (data = tag).
    std::array<QAction*, 10> fontItems{};

    QMenu* settingsMenu = nullptr;
    QMenu* mapMenu = nullptr;
    QMenu* charsetMenu = nullptr;
    QMenu* languageMenu = nullptr;
    QMenu* isoMenu = nullptr;
    QMenu* stringGridMenu = nullptr;
    QMenu* dbMenu = nullptr;
    QMenu* graphicMenu = nullptr;

    QAction* upDownItem = nullptr;
    QAction* dispScaleFilterItem = nullptr;
    QAction* doubleDensityItem = nullptr;
    QAction* drawGridItem = nullptr;
    QAction* autoItem = nullptr;
    QAction* exploreParcelItem = nullptr;
    QAction* backgroundItem = nullptr;
    QAction* roadsItem = nullptr;
    QAction* tmcItem = nullptr;
    QAction* namesItem = nullptr;
    QAction* objectNamesItem = nullptr;
    QAction* routeItem = nullptr;
    QAction* openFileInHexViewerItem = nullptr;
    QAction* extractFileItem = nullptr;
    QAction* unpackFileItem = nullptr;
    QAction* burnDvdItem = nullptr;
    QAction* copyStringGridItem = nullptr;
    QAction* stringGridCharsetItem = nullptr;
    QAction* stringGridLanguageItem = nullptr;
    QAction* showDataStringGridItem = nullptr;
    QAction* showInHexViewerDbItem = nullptr;
    QAction* dbNext1Item = nullptr;
    QAction* dbNext2Item = nullptr;
    QAction* dbNext3Item = nullptr;
    QAction* copyDbGridItem = nullptr;
    QAction* copyGraphicImageItem = nullptr;
    QAction* pasteImageItem = nullptr;
    // The picture's copies as colour-table data against the palettes "PAL_ETO", "PAL_ETG", "PAL_ET4" (data =
    // the palette's name).
    std::array<QAction*, 3> clutItems{};

signals:
    // A charset item was chosen (its code page).
    void CodePageChosen(int codePage);
    void LanguageChosen(int index);
    void FontChosen(int tag);
    // A road colour table (0 AISIN, 1 DENSO, 2 ZRV) or a display class item was chosen.
    void RoadTableChosen(int table);
    void RoadClassChosen(int displayClass);

private:
    QActionGroup* charsetGroup_ = nullptr;
    QActionGroup* languageGroup_ = nullptr;
};
