// The main window's remaining commands: the map converter, burning an image with the external burning
// program, and the clipboard commands of the field grid, the data grids and the picture.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>

#include "hexview/model/HexViewApi.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/display/ClutEncoder.h"
#include "kiwi/display/KiwiFormat.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/FieldGridView.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/OpenPage.h"
#include "mainwindow/WindowViewHost.h"
#include "mainwindow/model/BurnCommand.h"
#include "mainwindow/model/OpenTabPresenter.h"
#include "mainwindow/model/index/IndexTableModel.h"
#include "widgets/flat/FlatButton.h"

namespace {
const QString kIsoFilter = QStringLiteral("ISO files (*.ISO *.iso)");
} // namespace

void MainWindow::SetMapConverter(MapConverterHook hook) {
    converter_ = std::move(hook);
    openPresenter_->SetConverterAvailable(bool(converter_.create));
}

void MainWindow::applyWizardButton() {
    openPage_->wizardBtn->setEnabled(openPresenter_->ConverterEnabled());
}

bool MainWindow::WizardAllowed() const {
    return openPresenter_->MapConvertible();
}

void MainWindow::WizardBtnClick() {
    if (!converter_.create) return;
    QDialog* converter = converter_.create(this);
    if (!converter) return;
    converter->setAttribute(Qt::WA_DeleteOnClose);
    connect(converter, &QDialog::finished, this, [this, converter](int result) {
        run([&] {
            // The converter's own progress ends with it, whatever happens next.
            taskBar_.SetProgressState(TaskBarProgressStyle::None);
            if (result != QDialog::Accepted || !converter_.writtenMap) return;
            const QString map = converter_.writtenMap(converter);
            if (map.isEmpty()) return;
            // The converted map is opened as written: the automatic code page choice is off meanwhile,
            // and set back as it was even when opening raises.
            const bool autoSelect = codePages_.AutoSelect();
            codePages_.SetAutoSelect(false);
            struct Restore {
                MainWindow* window;
                bool autoSelect;
                ~Restore() {
                    window->codePages_.SetAutoSelect(autoSelect);
                    window->syncCharsetMenu();
                }
            } restore{this, autoSelect};
            OpenFile(map);
        });
    });
    converter->open();
}

void MainWindow::BurnDVDMenuItemClick() {
    if (!IsISOImageOpen()) return;
    BurnImage(QString::fromStdString(GetISOImageFileName()));
}

void MainWindow::BurnDVDBtnClick() {
    const QString image =
        services_.paths->OpenFile(this, QString(), kIsoFilter, QString::fromStdString(GetISOImageFileName()));
    if (!image.isEmpty()) BurnImage(image);
}

void MainWindow::BurnImage(const QString& image) {
    const std::optional<BurnCommand> command = MakeBurnCommand(image);
    if (!command) {
        services_.messenger->Error(
            this,
            QStringLiteral("Программа записи дисков не найдена. Укажите её в настройке \"BurnProgram\"."));
        return;
    }
    if (!services_.processes || !services_.processes->StartDetached(command->program, command->arguments))
        services_.messenger->Error(this, QStringLiteral("Не удалось запустить программу записи дисков: ") +
                                             command->program);
}

void MainWindow::CopyStringGridMenuItemClick() {
    const QModelIndex index = dataPage_->fieldGrid->MenuIndex();
    if (!index.isValid()) return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (gridModel_.data(gridModel_.index(index.row(), 0), FieldGridModel::TagRole).toInt() ==
        int(RowTag::Image)) {
        const QImage image =
            gridModel_.data(gridModel_.index(index.row(), 2), FieldGridModel::ImageRole).value<QImage>();
        if (!image.isNull()) {
            clipboard->setImage(image);
            return;
        }
    }
    const QString text = gridModel_.CellText(index.row(), index.column());
    // "0 x 00 01 02 03" is copied as the digits "00010203".
    const std::string digits = CompactHexText(text.toStdString());
    clipboard->setText(digits.empty() ? text : QString::fromStdString(digits));
}

void MainWindow::CopyDBGridMenuItemClick() {
    if (!dbMenuGrid_ || !dbMenuGrid_->model()) return;
    const QModelIndex index = dbMenuGrid_->indexAt(dbMenuPoint_);
    if (!index.isValid()) return;
    QGuiApplication::clipboard()->setText(index.data(Qt::DisplayRole).toString());
}

void MainWindow::ShowinHexViewerDBMenuItemClick() {
    if (!hex_ || !dbMenuGrid_) return;
    const auto* model = qobject_cast<const IndexTableModel*>(dbMenuGrid_->model());
    const QModelIndex current = dbMenuGrid_->currentIndex();
    if (!model || !model->Table() || !current.isValid()) return;
    const std::optional<int64_t> offset = model->Table()->SeekRecord(current.row());
    if (!offset || !model->Table()->Stream()) return;
    viewHost_->ForgetShownStream();
    hex_->SetStream(model->Table()->Stream(), *offset);
    if (hexPage_ && tabs_->indexOf(hexPage_) >= 0 && hex_->HasStream()) {
        setHexTabShown(true);
        tabs_->setCurrentWidget(hexPage_);
    }
}

void MainWindow::CopyGraphicImageMenuItemClick() {
    const QPixmap picture = dataPage_->graphicImage->pixmap();
    if (!picture.isNull()) QGuiApplication::clipboard()->setImage(picture.toImage());
}

void MainWindow::PasteImageMenuItemClick() {
    const QImage image = QGuiApplication::clipboard()->image();
    if (!image.isNull()) dataPage_->graphicImage->setPixmap(QPixmap::fromImage(image));
}

void MainWindow::CopyClutMenuItemClick(const QString& palette) {
    const QPixmap picture = dataPage_->graphicImage->pixmap();
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
