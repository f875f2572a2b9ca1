// What the hex viewer placeholder shows: the file and offset a hex grid would be placed on.
#include "support/window/HexViewPlaceholder.h"

#include <QFile>
#include <QLabel>
#include <QVBoxLayout>

HexViewPlaceholder::HexViewPlaceholder(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Hex Viewer"));
    text_ = new QLabel(this);
    text_->setAlignment(Qt::AlignCenter);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    refresh();
}

void HexViewPlaceholder::SetStream(std::shared_ptr<TLN_Stream> stream, int64_t offset) {
    show(std::move(stream), offset);
}

void HexViewPlaceholder::SetOwnedStream(std::shared_ptr<TLN_Stream> stream, int64_t offset) {
    // The only reference is the placeholder's: the stream goes when another is shown or on Clear.
    show(std::move(stream), offset);
}

void HexViewPlaceholder::show(std::shared_ptr<TLN_Stream> stream, int64_t offset) {
    stream_ = std::move(stream);
    offset_ = offset;
    refresh();
}

void HexViewPlaceholder::GotoOffset(int64_t offset) {
    offset_ = offset;
    refresh();
}

void HexViewPlaceholder::Clear() {
    stream_.reset();
    offset_ = 0;
    refresh();
}

void HexViewPlaceholder::SetCodePageName(const QString& name) {
    codePageName_ = name;
    refresh();
}

void HexViewPlaceholder::SetDisplayCodePage(int) {}

void HexViewPlaceholder::refresh() {
    if (!stream_) {
        text_->setText(QStringLiteral("Hex Viewer"));
        return;
    }
    const QString name = QFile::decodeName(QByteArray::fromStdString(stream_->FileName()));
    // A stream over a damaged file may fail even to tell its size; the placeholder still shows the rest.
    QString size = QStringLiteral("?");
    try {
        size = QString::number(stream_->Size(), 16).toUpper();
    } catch (const std::exception&) {
    }
    text_->setText(QStringLiteral("Hex Viewer\n%1\n0x%2 / 0x%3  %4")
                       .arg(name, QString::number(offset_, 16).toUpper(), size, codePageName_));
}
