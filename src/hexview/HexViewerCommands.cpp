// The hex viewer window's commands: the clipboard copies, the copy into a new file on a worker thread,
// find and find next, go to and define block.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <exception>

#include "hexview/HexGrid.h"
#include "hexview/HexViewerWindow.h"
#include "hexview/HexWindowRules.h"
#include "hexview/dialogs/HexDialogs.h"
#include "hexview/dialogs/ProgressDialog.h"
#include "hexview/model/HexBlockMimeData.h"

namespace {
constexpr int kCopyBalloonMs = 3000;
constexpr int kUtf8CodePage = 65001;

void beep(const Services& services) {
    if (services.beep) services.beep();
}
} // namespace

QByteArray HexViewerWindow::readBlock(int64_t start, int64_t count) {
    QByteArray bytes(qsizetype(count), Qt::Uninitialized);
    try {
        const int64_t got = grid_->Stream()->ReadAt(start, bytes.data(), count);
        bytes.truncate(qsizetype(std::max<int64_t>(got, 0)));
    } catch (const std::exception& error) {
        if (services_.messenger)
            services_.messenger->Error(dialogParent(), QString::fromStdString(error.what()));
        return {};
    }
    return bytes;
}

HexBlockMimeData* HexViewerWindow::binaryMime(int64_t start, int64_t end) {
    auto* mime = new HexBlockMimeData(hexwindow::BinaryMimeType(), grid_->Stream(), start, end);
    // A paste of a large block takes a moment: the grid says what is going on.
    QPointer<HexGrid> grid = grid_;
    mime->SetOnRender([grid, shown = QPointer<HexBlockMimeData>(mime)] {
        const QString error = shown ? shown->ErrorString() : QString();
        if (grid)
            grid->ShowBalloon(QStringLiteral("Буфер обмена:\n") +
                                  (error.isEmpty() ? QStringLiteral("Копирование данных . . .") : error),
                              2000);
    });
    return mime;
}

void HexViewerWindow::CopyBlock() {
    if (!grid_->HasStream() || !grid_->HasBlock()) return;
    const int64_t start = grid_->BlockStart();
    int64_t count = grid_->BlockEnd() - start + 1;
    if (grid_->SelectionInHex()) {
        if (count > hexwindow::kMaxBinaryCopy) {
            if (services_.messenger)
                services_.messenger->Error(dialogParent(),
                                           QStringLiteral("Слишком большой размер данных !!!"));
            return;
        }
        // Announced now, read only when pasted, and only while the stream exists.
        QApplication::clipboard()->setMimeData(binaryMime(start, start + count));
        grid_->ShowBalloon(hexwindow::BinaryCopiedBalloon(count), kCopyBalloonMs);
        return;
    }
    if (count > hexwindow::kMaxTextCopy) {
        if (services_.messenger)
            services_.messenger->Information(
                dialogParent(), QStringLiteral("Слишком большой размер текста !!!\nТекст будет сокращён."));
        count = hexwindow::kMaxTextCopy;
    }
    const QByteArray bytes = readBlock(start, count);
    if (bytes.size() != count) return;
    HexBlockMimeData* mime = binaryMime(start, start + count);
    const std::optional<QString> text = hexwindow::ClipboardText(bytes, grid_->Model().DisplayCodePage());
    if (text && !text->isEmpty()) {
        mime->setText(*text);
    } else if (grid_->Model().DisplayCodePage() == kUtf8CodePage && services_.messenger) {
        services_.messenger->Error(
            dialogParent(),
            QStringLiteral("Конвертация UTF-8 невозможна !!!\nТекст содержит недопустимые символы."));
    }
    QApplication::clipboard()->setMimeData(mime);
    grid_->ShowBalloon(hexwindow::TextCopiedBalloon(count), kCopyBalloonMs);
}

void HexViewerWindow::CopyAsHexText() {
    if (!grid_->HasStream() || !grid_->HasBlock()) return;
    const int64_t start = grid_->BlockStart();
    const int64_t count = grid_->BlockEnd() - start + 1;
    if (count > hexwindow::kMaxHexTextCopy) {
        if (services_.messenger)
            services_.messenger->Error(dialogParent(),
                                       QStringLiteral("Слишком большой размер НЕХ текста !!!"));
        return;
    }
    const QByteArray bytes = readBlock(start, count);
    if (bytes.size() != count) return;
    QApplication::clipboard()->setText(hexwindow::HexText(bytes));
    grid_->ShowBalloon(hexwindow::HexTextCopiedBalloon(count), kCopyBalloonMs);
}

void HexViewerWindow::CopyToFile() {
    if (fileCopy_ || !grid_->HasStream() || !grid_->HasBlock() || !services_.paths) return;
    const QString path = services_.paths->SaveFile(
        dialogParent(), QStringLiteral("Копировать блок в новый файл"), QString(), QStringLiteral("noname"));
    if (path.isEmpty()) return;
    // A one-byte block is a block too: every block is written, end included.
    const int64_t start = grid_->BlockStart();
    const int64_t count = grid_->BlockEnd() - start + 1;
    fileCopy_ = std::make_unique<HexBlockFileCopy>(grid_->Stream(), start, count, sinkFactory_(path));
    for (auto signal : {&JobNotifier::progressed, &JobNotifier::ended})
        connect(&fileCopy_->Notifier(), signal, this, &HexViewerWindow::onFileCopyReported,
                Qt::QueuedConnection);
    HexBlockFileCopy* copy = fileCopy_.get();
    // The dialog may belong to the main window and outlive the viewer: it reaches the copy only while
    // both are there.
    QPointer<HexViewerWindow> self = this;
    copyProgress_ = dialogs_.OpenProgress(dialogParent(), [self, copy] {
        if (self && self->fileCopy_.get() == copy) copy->RequestStop();
    });
    if (copyProgress_) {
        copyProgress_->setWindowTitle(QStringLiteral("Копирование в файл . . ."));
        copyProgress_->TitleLabel()->setText(QStringLiteral("Копирование в файл . . ."));
    }
    updateActions();
    fileCopy_->Start();
}

void HexViewerWindow::onFileCopyReported() {
    if (!fileCopy_) return;
    if (!fileCopy_->Finished()) {
        if (copyProgress_) copyProgress_->SetPercent(fileCopy_->ProgressSnapshot().percent);
        return;
    }
    // The job has said its last word: join it before anything else.
    const QString error = fileCopy_->Result();
    const JobStatus end = fileCopy_->Status();
    fileCopy_.reset();
    if (copyProgress_) copyProgress_->SetPercent(-1);
    updateActions();
    if (end == JobStatus::Failed && services_.messenger) services_.messenger->Error(dialogParent(), error);
    emit fileCopyEnded(end == JobStatus::Done);
}

void HexViewerWindow::FindCommand() {
    if (!grid_->HasStream() || grid_->Size() <= 0 || grid_->Searching()) return;
    FindSetup setup;
    setup.codePage = grid_->Model().DisplayCodePage();
    setup.codePageName = grid_->Model().CharsetName();
    setup.hasBlock = grid_->HasBlock();
    const std::optional<SearchInfo> info = dialogs_.Find(dialogParent(), setup);
    if (!info || info->pattern.isEmpty()) return;
    const int64_t lastHit = search_.lastHit;
    search_ = *info;
    search_.lastHit = lastHit;
    searched_ = true;
    const hexwindow::SearchRange range = hexwindow::FindRange(search_.zone, grid_->Size(), grid_->Cursor(),
                                                              grid_->BlockStart(), grid_->BlockEnd());
    search(range.start, range.end);
}

void HexViewerWindow::FindNext() {
    if (!searched_ || !grid_->HasStream() || grid_->Searching()) {
        beep(services_);
        return;
    }
    const std::optional<hexwindow::SearchRange> range = hexwindow::FindNextRange(
        search_, grid_->Size(), grid_->Cursor(), grid_->HasBlock(), grid_->BlockEnd());
    if (!range) {
        beep(services_);
        grid_->ShowSearchDone();
        return;
    }
    search(range->start, range->end);
}

void HexViewerWindow::search(int64_t start, int64_t end) {
    search_.start = start;
    search_.end = end;
    const int64_t result = grid_->Find(search_.pattern, !search_.matchCase, end, start);
    // A worker's result arrives later through searchSuccess; a refused search (another one runs) leaves
    // the last hit as it was.
    if (result >= -1) search_.lastHit = result;
}

void HexViewerWindow::GoToCommand() {
    if (!grid_->HasStream() || grid_->Size() <= 0) return;
    if (const std::optional<int64_t> offset = dialogs_.Goto(dialogParent(), grid_->Size()))
        grid_->GotoOffset(std::clamp<int64_t>(*offset, 0, grid_->Size() - 1));
}

void HexViewerWindow::DefineBlockCommand() {
    if (!grid_->HasStream() || grid_->Size() <= 0) return;
    BlockSetup setup;
    setup.streamSize = grid_->Size();
    setup.start = grid_->HasBlock() ? grid_->BlockStart() : grid_->Cursor();
    setup.end = grid_->BlockEnd();
    setup.endGroupEnabled = true;
    if (const std::optional<BlockRange> block = dialogs_.DefineBlock(dialogParent(), setup))
        if (block->start >= 0 && block->end >= block->start) grid_->SetBlock(true, block->start, block->end);
}

void HexViewerWindow::ShowClipboardFormats() {
    QString text = QStringLiteral("Clipboard formats :\n");
    if (const QMimeData* clip = QApplication::clipboard()->mimeData()) {
        const QStringList formats = clip->formats();
        for (int i = 0; i < formats.size(); ++i)
            text += QStringLiteral("%1    %2   %3\n")
                        .arg(i + 1)
                        .arg(formats[i])
                        .arg(QString::number(clip->data(formats[i]).size(), 16).toUpper(), 8, QChar('0'));
    }
    if (services_.messenger) services_.messenger->Information(dialogParent(), text);
}
