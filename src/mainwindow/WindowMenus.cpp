// Building the main window's menus with their texts.
#include "mainwindow/WindowMenus.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QWidget>

namespace {
struct CharsetRow {
    int codePage;
    const char* caption;
};
constexpr CharsetRow kCharsets[] = {
    {65001, "UTF-8"},
    {1200, "UTF-16"},
    {28591, "ISO-8859-1 (West)"},
    {28592, "ISO-8859-2 (East)"},
    {28595, "ISO-8859-5 (Rus)"},
    {50220, "ISO-8859-jp (JPN)"},
    {1251, "ANSI-1251 (Rus)"},
};
constexpr const char* kFonts[] = {"Default", "West Europe", "East Europe", "Greek",   "Turkish",
                                  "Baltic",  "Arabic",      "Russian",     "Chinese", "Japanese"};
constexpr const char* kRoadClasses[16] = {"Display Class Code 0",
                                          "Display Class Code 1",
                                          "Display Class Code 2",
                                          "Freeway class road (1)",
                                          "Freeway class road (2)",
                                          "Highway class road (A2)",
                                          "Throughway class road (A3)",
                                          "Local road class road (A4)",
                                          "Residential road class road (A5)",
                                          "Display Class Code 9",
                                          "Display Class Code 10",
                                          "Private road",
                                          "Walkway",
                                          "Non-navigable road",
                                          "Under-construction/ Planning",
                                          "Ferry Route / Car Train"};

QAction* checkable(QMenu* menu, const QString& text, bool checked = false) {
    QAction* action = menu->addAction(text);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}
} // namespace

WindowMenus::WindowMenus(QWidget* owner) : QObject(owner) {
    charsetMenu = new QMenu(QStringLiteral("Кодировка символов"), owner);
    autoItem = checkable(charsetMenu, QStringLiteral("Auto"), true);
    charsetMenu->addSeparator();
    charsetGroup_ = new QActionGroup(this);
    for (const CharsetRow& item : kCharsets) {
        QAction* action = checkable(charsetMenu, QString::fromLatin1(item.caption), item.codePage == 65001);
        action->setData(item.codePage);
        charsetGroup_->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, codePage = item.codePage] { emit CodePageChosen(codePage); });
    }

    languageMenu = new QMenu(QStringLiteral("Выбор языка карты"), owner);
    languageGroup_ = new QActionGroup(this);
    SetLanguages({});

    auto* roadColorMenu = new QMenu(QStringLiteral("Цветовая палитра дорог"), owner);
    const char* const tables[] = {"Default AISIN", "Default DENSO", "Default ZRV"};
    for (int table = 0; table < 3; ++table) {
        QAction* action = roadColorMenu->addAction(QString::fromLatin1(tables[table]));
        action->setData(-1);
        roadTableItems[size_t(table)] = action;
        connect(action, &QAction::triggered, this, [this, table] { emit RoadTableChosen(table); });
    }
    roadColorMenu->addSeparator();
    for (int roadClass = 0; roadClass < 16; ++roadClass) {
        QAction* action = roadColorMenu->addAction(QString::fromLatin1(kRoadClasses[roadClass]));
        action->setData(roadClass);
        roadClassItems[size_t(roadClass)] = action;
        connect(action, &QAction::triggered, this, [this, roadClass] { emit RoadClassChosen(roadClass); });
    }

    auto* mapElementsMenu = new QMenu(QStringLiteral("Элементы карты"), owner);
    backgroundItem = checkable(mapElementsMenu, QStringLiteral("Бекграунд"), true);
    backgroundItem->setData(1);
    roadsItem = checkable(mapElementsMenu, QStringLiteral("Дороги"), true);
    roadsItem->setData(2);
    namesItem = checkable(mapElementsMenu, QStringLiteral("Названия"), true);
    namesItem->setData(4);
    objectNamesItem = checkable(mapElementsMenu, QStringLiteral("Названия объектов"));
    objectNamesItem->setData(8);
    routeItem = checkable(mapElementsMenu, QStringLiteral("Маршруты"));
    routeItem->setData(16);
    tmcItem = checkable(mapElementsMenu, QStringLiteral("Инфраструктура RDS-TMC"));
    tmcItem->setData(32);

    auto* fontMenu = new QMenu(QStringLiteral("Шрифт"), owner);
    auto* fontGroup = new QActionGroup(this);
    for (int tag = 0; tag < int(std::size(kFonts)); ++tag) {
        QAction* action = checkable(fontMenu, QString::fromLatin1(kFonts[tag]), tag == 0);
        action->setData(tag);
        fontGroup->addAction(action);
        fontItems[size_t(tag)] = action;
        connect(action, &QAction::triggered, this, [this, tag] { emit FontChosen(tag); });
    }

    // One menu can be the submenu of several: the settings menu holds the charset and language menus,
    // and is itself the map menu's "Settings".
    settingsMenu = new QMenu(QStringLiteral("Настройки"), owner);
    upDownItem = checkable(settingsMenu, QStringLiteral("Кнопки масштаба"));
    doubleDensityItem = checkable(settingsMenu, QStringLiteral("Двойная плотность карты"));
    dispScaleFilterItem = checkable(settingsMenu, QStringLiteral("Масштабный фильтр"));
    drawGridItem = checkable(settingsMenu, QStringLiteral("Показывать сетку"));
    settingsMenu->addMenu(roadColorMenu);
    settingsMenu->addMenu(mapElementsMenu);
    settingsMenu->addMenu(fontMenu);
    settingsMenu->addMenu(charsetMenu);
    settingsMenu->addMenu(languageMenu);

    mapMenu = new QMenu(owner);
    exploreParcelItem = mapMenu->addAction(QStringLiteral("Показать данные участка"));
    mapMenu->addSeparator();
    mapMenu->addMenu(settingsMenu);

    isoMenu = new QMenu(owner);
    openFileInHexViewerItem = isoMenu->addAction(QStringLiteral("Открыть в Hex Viewer"));
    extractFileItem = isoMenu->addAction(QStringLiteral("Извлечь файл"));
    unpackFileItem = isoMenu->addAction(QStringLiteral("Распаковать файл"));
    isoMenu->addSeparator();
    burnDvdItem = isoMenu->addAction(QStringLiteral("Записать DVD"));

    stringGridMenu = new QMenu(owner);
    copyStringGridItem = stringGridMenu->addAction(QStringLiteral("Копировать"));
    stringGridMenu->addSeparator();
    stringGridCharsetItem = stringGridMenu->addAction(QStringLiteral("Выбор кодировки символов"));
    stringGridLanguageItem = stringGridMenu->addAction(QStringLiteral("Выбор языка"));
    stringGridMenu->addSeparator();
    showDataStringGridItem = stringGridMenu->addAction(QStringLiteral("Показать данные по Адресу"));

    dbMenu = new QMenu(owner);
    showInHexViewerDbItem = dbMenu->addAction(QStringLiteral("Показать в Hex Viewer"));
    dbNext1Item = dbMenu->addAction(QStringLiteral("Следующий уровень 1"));
    dbNext2Item = dbMenu->addAction(QStringLiteral("Следующий уровень 2"));
    dbNext3Item = dbMenu->addAction(QStringLiteral("Следующий уровень 3"));
    dbMenu->addSeparator();
    copyDbGridItem = dbMenu->addAction(QStringLiteral("Копировать"));

    graphicMenu = new QMenu(owner);
    copyGraphicImageItem = graphicMenu->addAction(QStringLiteral("Копировать"));
    pasteImageItem = graphicMenu->addAction(QStringLiteral("Вставить"));
    graphicMenu->addSeparator();
    const char* const palettes[] = {"PAL_ETO", "PAL_ETG", "PAL_ET4"};
    for (size_t i = 0; i < clutItems.size(); ++i) {
        const QString palette = QString::fromLatin1(palettes[i]);
        clutItems[i] = graphicMenu->addAction(QStringLiteral("Копировать как CLUT (%1)").arg(palette));
        clutItems[i]->setData(palette);
    }
}

WindowMenus::~WindowMenus() = default;

QAction* WindowMenus::CharsetItem(int codePage) const {
    for (QAction* action : charsetGroup_->actions())
        if (action->data().toInt() == codePage) return action;
    return nullptr;
}

QAction* WindowMenus::LanguageItem(int index) const {
    for (QAction* action : languageGroup_->actions())
        if (action->data().isValid() && action->data().toInt() == index) return action;
    return nullptr;
}

QList<QAction*> WindowMenus::MapElementItems() const {
    return {backgroundItem, roadsItem, namesItem, objectNamesItem, routeItem, tmcItem};
}

void WindowMenus::SetLanguages(const QStringList& names) {
    for (QAction* action : languageGroup_->actions()) {
        languageGroup_->removeAction(action);
        delete action;
    }
    languageMenu->clear();
    if (names.isEmpty()) {
        QAction* english = checkable(languageMenu, QStringLiteral("ENG"), true);
        english->setEnabled(false);
        languageGroup_->addAction(english);
        return;
    }
    for (int index = 0; index < names.size(); ++index) {
        QAction* action = checkable(languageMenu, names[index].toUpper(), index == 0);
        action->setData(index);
        languageGroup_->addAction(action);
        connect(action, &QAction::triggered, this, [this, index] { emit LanguageChosen(index); });
    }
}
