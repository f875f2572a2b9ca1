// Building the main window's menus and giving them their texts.
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

QAction* checkable(QMenu* menu, bool checked = false) {
    QAction* action = menu->addAction(QString());
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}
} // namespace

WindowMenus::WindowMenus(QWidget* owner) : QObject(owner) {
    charsetMenu = new QMenu(owner);
    autoItem = checkable(charsetMenu, true);
    autoItem->setText(QStringLiteral("Auto"));
    charsetMenu->addSeparator();
    charsetGroup_ = new QActionGroup(this);
    for (const CharsetRow& item : kCharsets) {
        QAction* action = checkable(charsetMenu, item.codePage == 65001);
        action->setText(QString::fromLatin1(item.caption));
        action->setData(item.codePage);
        charsetGroup_->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, codePage = item.codePage] { emit CodePageChosen(codePage); });
    }

    languageMenu = new QMenu(owner);
    languageGroup_ = new QActionGroup(this);
    ResetLanguages();

    roadColorMenu = new QMenu(owner);
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

    mapElementsMenu = new QMenu(owner);
    backgroundItem = checkable(mapElementsMenu, true);
    backgroundItem->setData(1);
    roadsItem = checkable(mapElementsMenu, true);
    roadsItem->setData(2);
    namesItem = checkable(mapElementsMenu, true);
    namesItem->setData(4);
    objectNamesItem = checkable(mapElementsMenu);
    objectNamesItem->setData(8);
    routeItem = checkable(mapElementsMenu);
    routeItem->setData(16);
    tmcItem = checkable(mapElementsMenu);
    tmcItem->setData(32);

    fontMenu = new QMenu(owner);
    auto* fontGroup = new QActionGroup(this);
    for (int tag = 0; tag < int(std::size(kFonts)); ++tag) {
        QAction* action = checkable(fontMenu, tag == 0);
        action->setText(QString::fromLatin1(kFonts[tag]));
        action->setData(tag);
        fontGroup->addAction(action);
        fontItems[size_t(tag)] = action;
        connect(action, &QAction::triggered, this, [this, tag] { emit FontChosen(tag); });
    }

    // One menu can be the submenu of several: the settings menu holds the charset and language menus,
    // and is itself the map menu's "Settings".
    settingsMenu = new QMenu(owner);
    upDownItem = checkable(settingsMenu);
    doubleDensityItem = checkable(settingsMenu);
    dispScaleFilterItem = checkable(settingsMenu);
    drawGridItem = checkable(settingsMenu);
    settingsMenu->addMenu(roadColorMenu);
    settingsMenu->addMenu(mapElementsMenu);
    settingsMenu->addMenu(fontMenu);
    settingsMenu->addMenu(charsetMenu);
    settingsMenu->addMenu(languageMenu);

    mapMenu = new QMenu(owner);
    exploreParcelItem = mapMenu->addAction(QString());
    mapMenu->addSeparator();
    mapMenu->addMenu(settingsMenu);

    isoMenu = new QMenu(owner);
    openFileInHexViewerItem = isoMenu->addAction(QString());
    extractFileItem = isoMenu->addAction(QString());
    unpackFileItem = isoMenu->addAction(QString());
    isoMenu->addSeparator();
    burnDvdItem = isoMenu->addAction(QString());

    stringGridMenu = new QMenu(owner);
    copyStringGridItem = stringGridMenu->addAction(QString());
    stringGridMenu->addSeparator();
    stringGridCharsetItem = stringGridMenu->addAction(QString());
    stringGridLanguageItem = stringGridMenu->addAction(QString());
    stringGridMenu->addSeparator();
    showDataStringGridItem = stringGridMenu->addAction(QString());

    dbMenu = new QMenu(owner);
    showInHexViewerDbItem = dbMenu->addAction(QString());
    dbNext1Item = dbMenu->addAction(QString());
    dbNext2Item = dbMenu->addAction(QString());
    dbNext3Item = dbMenu->addAction(QString());
    dbMenu->addSeparator();
    copyDbGridItem = dbMenu->addAction(QString());

    graphicMenu = new QMenu(owner);
    copyGraphicImageItem = graphicMenu->addAction(QString());
    pasteImageItem = graphicMenu->addAction(QString());
    graphicMenu->addSeparator();
    const char* const palettes[] = {"PAL_ETO", "PAL_ETG", "PAL_ET4"};
    for (size_t i = 0; i < clutItems.size(); ++i) {
        clutItems[i] = graphicMenu->addAction(QString());
        clutItems[i]->setData(QString::fromLatin1(palettes[i]));
    }
}

WindowMenus::~WindowMenus() = default;

void WindowMenus::ApplyTexts() {
    upDownItem->setText(QStringLiteral("Кнопки масштаба"));
    dispScaleFilterItem->setText(QStringLiteral("Масштабный фильтр"));
    doubleDensityItem->setText(QStringLiteral("Двойная плотность карты"));
    drawGridItem->setText(QStringLiteral("Показывать сетку"));
    roadColorMenu->setTitle(QStringLiteral("Цветовая палитра дорог"));
    mapElementsMenu->setTitle(QStringLiteral("Элементы карты"));
    fontMenu->setTitle(QStringLiteral("Шрифт"));
    exploreParcelItem->setText(QStringLiteral("Показать данные участка"));
    charsetMenu->setTitle(QStringLiteral("Кодировка символов"));
    languageMenu->setTitle(QStringLiteral("Выбор языка карты"));
    settingsMenu->setTitle(QStringLiteral("Настройки"));
    openFileInHexViewerItem->setText(QStringLiteral("Открыть в Hex Viewer"));
    extractFileItem->setText(QStringLiteral("Извлечь файл"));
    unpackFileItem->setText(QStringLiteral("Распаковать файл"));
    burnDvdItem->setText(QStringLiteral("Записать DVD"));
    showInHexViewerDbItem->setText(QStringLiteral("Показать в Hex Viewer"));
    dbNext1Item->setText(QStringLiteral("Следующий уровень 1"));
    dbNext2Item->setText(QStringLiteral("Следующий уровень 2"));
    dbNext3Item->setText(QStringLiteral("Следующий уровень 3"));
    copyGraphicImageItem->setText(QStringLiteral("Копировать"));
    pasteImageItem->setText(QStringLiteral("Вставить"));
    for (QAction* item : clutItems)
        item->setText(QStringLiteral("Копировать как CLUT (%1)").arg(item->data().toString()));
    copyStringGridItem->setText(QStringLiteral("Копировать"));
    copyDbGridItem->setText(QStringLiteral("Копировать"));
    backgroundItem->setText(QStringLiteral("Бекграунд"));
    roadsItem->setText(QStringLiteral("Дороги"));
    tmcItem->setText(QStringLiteral("Инфраструктура RDS-TMC"));
    namesItem->setText(QStringLiteral("Названия"));
    objectNamesItem->setText(QStringLiteral("Названия объектов"));
    routeItem->setText(QStringLiteral("Маршруты"));
    stringGridCharsetItem->setText(QStringLiteral("Выбор кодировки символов"));
    stringGridLanguageItem->setText(QStringLiteral("Выбор языка"));
    showDataStringGridItem->setText(QStringLiteral("Показать данные по Адресу"));
}

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

void WindowMenus::ResetLanguages() {
    SetLanguages({});
}

void WindowMenus::SetLanguages(const QStringList& names) {
    for (QAction* action : languageGroup_->actions()) {
        languageGroup_->removeAction(action);
        delete action;
    }
    languageMenu->clear();
    if (names.isEmpty()) {
        QAction* english = checkable(languageMenu, true);
        english->setText(QStringLiteral("ENG"));
        english->setEnabled(false);
        languageGroup_->addAction(english);
        return;
    }
    for (int index = 0; index < names.size(); ++index) {
        QAction* action = checkable(languageMenu, index == 0);
        action->setText(names[index].toUpper());
        action->setData(index);
        languageGroup_->addAction(action);
        connect(action, &QAction::triggered, this, [this, index] { emit LanguageChosen(index); });
    }
}
