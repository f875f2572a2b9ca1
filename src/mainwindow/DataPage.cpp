// Building the Data tab's widgets.
#include "mainwindow/DataPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

#include "mainwindow/FieldGridView.h"
#include "mainwindow/IndexTablesSheet.h"
#include "widgets/flat/FlatButton.h"

namespace {
constexpr int kGlyphSize = 16;

FlatButton* languageButton(QWidget* parent) {
    auto* button = new FlatButton(parent);
    button->setText(QStringLiteral("ENG"));
    button->setEnabled(false);
    return button;
}
} // namespace

DataPage::DataPage(FieldGridModel* gridModel, QWidget* parent) : QWidget(parent) {
    splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(true);
    treeView = new QTreeView(splitter);
    treeView->setHeaderHidden(true);
    treeView->setUniformRowHeights(true);
    treeView->setEditTriggers(QAbstractItemView::NoEditTriggers);

    innerTabs = new QTabWidget(splitter);
    infoSheet = new QWidget();
    fieldGrid = new FieldGridView(infoSheet);
    fieldGrid->SetGridModel(gridModel);
    // The picture of a record lies over the grid, below its rows (placed when shown).
    graphicPanel = new QWidget(fieldGrid->viewport());
    graphicImage = new QLabel(graphicPanel);
    graphicImage->setContextMenuPolicy(Qt::CustomContextMenu);
    graphicImage->setToolTip(QStringLiteral("Вы можете скопировать эту картинку"));
    auto* graphicLayout = new QHBoxLayout(graphicPanel);
    graphicLayout->setContentsMargins(3, 3, 3, 3);
    graphicLayout->addWidget(graphicImage);
    graphicPanel->setVisible(false);
    playSpeedBtn = new FlatButton(infoSheet);
    playSpeedBtn->SetGlyph(
        style()->standardIcon(QStyle::SP_MediaPlay).pixmap(kGlyphSize, kGlyphSize).toImage());
    playSpeedBtn->setAccessibleName(QStringLiteral("Play"));
    stopSpeedBtn = new FlatButton(infoSheet);
    stopSpeedBtn->SetGlyph(
        style()->standardIcon(QStyle::SP_MediaStop).pixmap(kGlyphSize, kGlyphSize).toImage());
    stopSpeedBtn->setAccessibleName(QStringLiteral("Stop"));
    // Shown only for a record with sound.
    playSpeedBtn->setVisible(false);
    stopSpeedBtn->setVisible(false);
    langBtn1 = languageButton(infoSheet);
    auto* infoButtons = new QHBoxLayout();
    infoButtons->addWidget(playSpeedBtn);
    infoButtons->addWidget(stopSpeedBtn);
    infoButtons->addStretch();
    infoButtons->addWidget(langBtn1);
    auto* infoLayout = new QVBoxLayout(infoSheet);
    infoLayout->setContentsMargins(2, 2, 2, 2);
    infoLayout->addLayout(infoButtons);
    infoLayout->addWidget(fieldGrid, 1);
    innerTabs->addTab(infoSheet, QStringLiteral("Информационная панель"));

    indexSheet = new IndexTablesSheet();
    matchingSheet = indexSheet;
    categoryGrid = indexSheet->categoryGrid;
    matchingGrid = indexSheet->matchingGrid;
    label3 = indexSheet->label3;
    label4 = indexSheet->label4;
    label3->setText(QStringLiteral("Записей в таблице:"));
    label4->setText(QStringLiteral("Записей в таблице:"));
    categoryCount = indexSheet->categoryCount;
    matchingCount = indexSheet->matchingCount;
    langBtn2 = indexSheet->langBtn2;
    dbSettingsBtn1 = indexSheet->dbSettingsBtn1;
    innerTabs->addTab(matchingSheet, QStringLiteral("Выборка данных"));

    // The tree may be pushed away; the record side always stays.
    splitter->setCollapsible(1, false);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kInitialTreeWidth, 900});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
}

int DataPage::TreePanelWidth() const {
    return splitter->sizes().value(0);
}

bool DataPage::SetTreePanelWidth(int width) {
    // A splitter that was never laid out has no sizes to share yet.
    if (!splitter->isVisible()) return false;
    const QList<int> sizes = splitter->sizes();
    int total = 0;
    for (int size : sizes)
        total += size;
    if (total <= 0) return false;
    width = std::clamp(width, 0, total);
    splitter->setSizes({width, total - width});
    return true;
}
