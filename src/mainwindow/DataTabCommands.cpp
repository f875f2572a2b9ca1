// The Data tab's clipboard and hex viewer commands.
#include "mainwindow/DataTabCommands.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTableView>

#include "kiwi/display/ClutEncoder.h"
#include "kiwi/display/KiwiFormat.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/FieldGridView.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/index/IndexTableModel.h"

DataTabCommands::DataTabCommands(Parts parts, QObject* parent) : QObject(parent), parts_(std::move(parts)) {
    DataPage& page = parts_.page;
    WindowMenus& menus = parts_.menus;
    const auto bind = [this](QAction* item, void (DataTabCommands::*command)()) {
        connect(item, &QAction::triggered, this,
                [this, command] { parts_.run([&] { (this->*command)(); }); });
    };
    bind(menus.copyStringGridItem, &DataTabCommands::CopyStringGridMenuItemClick);
    bind(menus.copyDbGridItem, &DataTabCommands::CopyDBGridMenuItemClick);
    bind(menus.showInHexViewerDbItem, &DataTabCommands::ShowinHexViewerDBMenuItemClick);
    bind(menus.copyGraphicImageItem, &DataTabCommands::CopyGraphicImageMenuItemClick);
    bind(menus.pasteImageItem, &DataTabCommands::PasteImageMenuItemClick);
    for (QAction* item : menus.clutItems)
        connect(item, &QAction::triggered, this,
                [this, item] { parts_.run([&] { CopyClutMenuItemClick(item->data().toString()); }); });
    connect(page.graphicImage, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        parts_.menus.graphicMenu->popup(parts_.page.graphicImage->mapToGlobal(at));
    });
    for (QTableView* grid : {page.categoryGrid, page.matchingGrid})
        connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint& at) {
            menuGrid_ = grid;
            menuPoint_ = at;
            parts_.menus.dbMenu->popup(grid->viewport()->mapToGlobal(at));
        });
}

void DataTabCommands::CopyStringGridMenuItemClick() {
    const QModelIndex index = parts_.page.fieldGrid->MenuIndex();
    if (!index.isValid()) return;
    FieldGridModel& grid = parts_.grid;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (grid.data(grid.index(index.row(), 0), FieldGridModel::TagRole).toInt() == int(RowTag::Image)) {
        const QImage image = grid.data(grid.index(index.row(), 2), FieldGridModel::ImageRole).value<QImage>();
        if (!image.isNull()) {
            clipboard->setImage(image);
            return;
        }
    }
    const QString text = grid.CellText(index.row(), index.column());
    // "0 x 00 01 02 03" is copied as the digits "00010203".
    const std::string digits = CompactHexText(text.toStdString());
    clipboard->setText(digits.empty() ? text : QString::fromStdString(digits));
}

void DataTabCommands::CopyDBGridMenuItemClick() {
    if (!menuGrid_ || !menuGrid_->model()) return;
    const QModelIndex index = menuGrid_->indexAt(menuPoint_);
    if (!index.isValid()) return;
    QGuiApplication::clipboard()->setText(index.data(Qt::DisplayRole).toString());
}

void DataTabCommands::ShowinHexViewerDBMenuItemClick() {
    if (!menuGrid_) return;
    const auto* model = qobject_cast<const IndexTableModel*>(menuGrid_->model());
    const QModelIndex current = menuGrid_->currentIndex();
    if (!model || !model->Table() || !current.isValid()) return;
    const std::optional<int64_t> offset = model->Table()->SeekRecord(current.row());
    if (offset && model->Table()->Stream()) parts_.showInHexViewer(model->Table()->Stream(), *offset);
}

void DataTabCommands::CopyGraphicImageMenuItemClick() {
    const QPixmap picture = parts_.page.graphicImage->pixmap();
    if (!picture.isNull()) QGuiApplication::clipboard()->setImage(picture.toImage());
}

void DataTabCommands::PasteImageMenuItemClick() {
    const QImage image = QGuiApplication::clipboard()->image();
    if (!image.isNull()) parts_.page.graphicImage->setPixmap(QPixmap::fromImage(image));
}

void DataTabCommands::CopyClutMenuItemClick(const QString& palette) {
    const QPixmap picture = parts_.page.graphicImage->pixmap();
    if (picture.isNull()) return;
    const std::vector<uint8_t> bytes = CopyBitmapAsCLUTData(picture.toImage(), palette.toStdString());
    if (bytes.empty()) return;
    auto* mime = new QMimeData;
    // The registered format the hex viewer exchanges raw bytes under.
    mime->setData(QStringLiteral("application/x-qt-windows-mime;value=\"%1\"")
                      .arg(QString::fromLatin1(kBinaryDataClipboardFormat)),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    QGuiApplication::clipboard()->setMimeData(mime);
}
