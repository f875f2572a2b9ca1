// The clipboard's binary copy of a marked block: announced at once, its bytes read from the stream only
// when a program pastes them, and only while that stream still exists.
#pragma once

#include <QMimeData>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "kiwi/io/Stream.h"

class HexBlockMimeData : public QMimeData {
    Q_OBJECT
public:
    // The bytes start .. end (end excluded) of stream under the MIME type binaryType.
    HexBlockMimeData(QString binaryType, std::weak_ptr<TLN_Stream> stream, int64_t start, int64_t end);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;
    // Called (on the user-interface thread) each time the bytes are read for a paste, and again when the
    // read failed.
    void SetOnRender(std::function<void()> onRender) { onRender_ = std::move(onRender); }
    // How often the block's bytes were read (tests check that announcing reads nothing).
    int Renders() const { return renders_; }
    // Why the last read for a paste failed ("" when it did not).
    const QString& ErrorString() const { return error_; }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    QString binaryType_;
    std::weak_ptr<TLN_Stream> stream_;
    int64_t start_;
    int64_t end_;
    std::function<void()> onRender_;
    mutable int renders_ = 0;
    mutable QString error_;
};
