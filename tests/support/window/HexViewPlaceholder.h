// The hex viewer stand-in of the window tests: it takes the stream the main window hands it, says which file
// and offset it would show, and docks into the main window as its hex tab.
#pragma once

#include <QWidget>

#include "hexview/model/HexViewApi.h"

class QLabel;

class HexViewPlaceholder : public QWidget, public HexViewApi {
    Q_OBJECT
public:
    explicit HexViewPlaceholder(QWidget* parent = nullptr);

    void SetStream(std::shared_ptr<TLN_Stream> stream, int64_t offset) override;
    void SetOwnedStream(std::shared_ptr<TLN_Stream> stream, int64_t offset) override;
    void GotoOffset(int64_t offset) override;
    void Clear() override;
    void SetCodePageName(const QString& name) override;
    void SetDisplayCodePage(int codePage) override;
    bool HasStream() const override { return stream_ != nullptr; }
    QWidget* DockPage() override { return this; }

    int64_t Offset() const { return offset_; }

private:
    void show(std::shared_ptr<TLN_Stream> stream, int64_t offset);
    void refresh();

    std::shared_ptr<TLN_Stream> stream_;
    int64_t offset_ = 0;
    QString codePageName_;
    QLabel* text_ = nullptr;
};
