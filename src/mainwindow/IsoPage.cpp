// The ISO tab's widgets.
#include "mainwindow/IsoPage.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
// The progress bar counts in KiB, so that files above 2 GiB fit its int range.
int kib(int64_t bytes) {
    return int(bytes / 1024);
}
} // namespace

IsoPage::IsoPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    isoListView = new QTreeWidget(this);
    isoListView->setColumnCount(4);
    isoListView->setHeaderLabels(
        {QStringLiteral("Имя"), QStringLiteral("Дата"), QStringLiteral("Тип"), QStringLiteral("Размер")});
    isoListView->setRootIsDecorated(false);
    isoListView->setUniformRowHeights(true);
    isoListView->setSelectionMode(QAbstractItemView::SingleSelection);
    isoListView->setContextMenuPolicy(Qt::CustomContextMenu);
    isoListView->setAllColumnsShowFocus(true);
    isoListView->header()->setStretchLastSection(false);
    isoListView->setColumnWidth(NameColumn, 260);
    isoListView->setColumnWidth(DateColumn, 150);
    isoListView->setColumnWidth(TypeColumn, 260);
    isoListView->setColumnWidth(SizeColumn, 140);
    isoListView->headerItem()->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(isoListView);

    extractionStrip = new QWidget(this);
    auto* strip = new QHBoxLayout(extractionStrip);
    strip->setContentsMargins(0, 0, 0, 0);
    extractionLabel = new QLabel(extractionStrip);
    extractionBar = new QProgressBar(extractionStrip);
    extractionStopButton = new QPushButton(QStringLiteral("Отмена"), extractionStrip);
    strip->addWidget(extractionLabel);
    strip->addWidget(extractionBar, 1);
    strip->addWidget(extractionStopButton);
    layout->addWidget(extractionStrip);
    extractionStrip->hide();
}

QIcon IsoPage::iconFor(const IsoListItem& item) {
    const bool folder = item.kind != IsoListItem::Kind::File;
    const QString key = (folder ? QStringLiteral("d:") : QStringLiteral("f:")) + item.iconName;
    auto it = icons_.find(key);
    if (it == icons_.end()) {
        const QIcon fallback =
            QApplication::style()->standardIcon(folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
        it = icons_.insert(key, QIcon::fromTheme(item.iconName, fallback));
    }
    return *it;
}

void IsoPage::SetItems(std::vector<IsoListItem> items) {
    isoListView->clear();
    items_ = std::move(items);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(qsizetype(items_.size()));
    for (const IsoListItem& item : items_) {
        auto* row = new QTreeWidgetItem({item.name, item.date, item.type, item.size});
        row->setIcon(NameColumn, iconFor(item));
        row->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
        rows << row;
    }
    // One batch: thousands of files are added without a layout pass each.
    isoListView->addTopLevelItems(rows);
}

int IsoPage::RowAt(QPoint viewportPoint) const {
    QTreeWidgetItem* item = isoListView->itemAt(viewportPoint);
    return item ? isoListView->indexOfTopLevelItem(item) : -1;
}

void IsoPage::ShowExtraction(const QString& text, int64_t total) {
    extractionLabel->setText(text);
    extractionBar->setRange(0, std::max(1, kib(total)));
    extractionBar->setValue(0);
    extractionStrip->show();
}

void IsoPage::SetExtractionProgress(int64_t written, int64_t total) {
    extractionBar->setValue(total > 0 ? kib(written) : extractionBar->maximum());
}

void IsoPage::HideExtraction() {
    extractionStrip->hide();
}
