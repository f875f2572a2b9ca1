// Pattern histories: move-to-top insertion, the CR LF text form and a careful reading of stored values.
#include "hexview/dialogs/model/PatternHistory.h"

#include <QRegularExpression>

#include "platform/SettingsStore.h"

void PatternHistory::Insert(const QString& text) {
    entries_.removeAll(text);
    entries_.prepend(text);
    while (entries_.size() > kEntries)
        entries_.removeLast();
}

QByteArray PatternHistory::Serialize(const QStringList& entries) {
    QByteArray bytes;
    for (const QString& entry : entries)
        bytes += entry.toUtf8() + "\r\n";
    return bytes;
}

QStringList PatternHistory::Parse(const QByteArray& bytes) {
    QStringList entries;
    const QString text = QString::fromUtf8(bytes);
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (QString line : text.split(lineBreak)) {
        while (line.endsWith(QChar(0)))
            line.chop(1);
        if (line.isEmpty() || line.size() > kMaxLength || line.contains(QChar(0))) continue;
        entries << line;
        if (entries.size() == kEntries) break;
    }
    return entries;
}

void PatternHistory::Load(const SettingsStore& store, const QString& name, const QString& sizeName) {
    entries_.clear();
    const auto size = store.read(sizeName);
    if (!size || !std::holds_alternative<int32_t>(*size) || std::get<int32_t>(*size) <= 0) return;
    const auto value = store.read(name);
    if (!value || !std::holds_alternative<QByteArray>(*value)) return;
    entries_ = Parse(std::get<QByteArray>(*value).left(std::get<int32_t>(*size)));
}

bool PatternHistory::Save(SettingsStore& store, const QString& name, const QString& sizeName) const {
    if (entries_.isEmpty()) return false;
    const QByteArray bytes = Serialize(entries_);
    return store.write(name, bytes) && store.write(sizeName, int32_t(bytes.size()));
}
