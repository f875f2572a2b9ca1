// Building the Data tab's widgets.
#include "mainwindow/DataPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "mainwindow/FieldGridView.h"

namespace {
QTableView* dataGrid(QWidget* parent) {
    auto* grid = new QTableView(parent);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    return grid;
}

QToolButton* languageButton(QWidget* parent) {
    auto* button = new QToolButton(parent);
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
    graphicPanel = new QWidget(infoSheet);
    graphicImage = new QLabel(graphicPanel);
    graphicImage->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* graphicLayout = new QHBoxLayout(graphicPanel);
    graphicLayout->addWidget(graphicImage);
    graphicLayout->addStretch();
    graphicPanel->setVisible(false);
    playSpeedBtn = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), QString(), infoSheet);
    stopSpeedBtn = new QPushButton(style()->standardIcon(QStyle::SP_MediaStop), QString(), infoSheet);
    playSpeedBtn->setEnabled(false);
    stopSpeedBtn->setEnabled(false);
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
    infoLayout->addWidget(graphicPanel);
    innerTabs->addTab(infoSheet, QString());

    matchingSheet = new QWidget();
    categoryGrid = dataGrid(matchingSheet);
    matchingGrid = dataGrid(matchingSheet);
    label3 = new QLabel(matchingSheet);
    label4 = new QLabel(matchingSheet);
    categoryCount = new QLabel(matchingSheet);
    matchingCount = new QLabel(matchingSheet);
    langBtn2 = languageButton(matchingSheet);
    dbSettingsBtn1 = new QToolButton(matchingSheet);
    dbSettingsBtn1->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    auto* categoryBar = new QHBoxLayout();
    categoryBar->addWidget(label3);
    categoryBar->addWidget(categoryCount);
    categoryBar->addStretch();
    categoryBar->addWidget(dbSettingsBtn1);
    categoryBar->addWidget(langBtn2);
    auto* matchingBar = new QHBoxLayout();
    matchingBar->addWidget(label4);
    matchingBar->addWidget(matchingCount);
    matchingBar->addStretch();
    auto* matchingLayout = new QVBoxLayout(matchingSheet);
    matchingLayout->setContentsMargins(2, 2, 2, 2);
    matchingLayout->addLayout(categoryBar);
    matchingLayout->addWidget(categoryGrid, 1);
    matchingLayout->addLayout(matchingBar);
    matchingLayout->addWidget(matchingGrid, 1);
    innerTabs->addTab(matchingSheet, QString());

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
