// Offset histories: insertion order, the 80-byte stored form and its round trip through the settings.
#include "hexview/dialogs/model/OffsetHistory.h"

#include <QtEndian>
#include <algorithm>

#include "platform/SettingsStore.h"

void OffsetHistory::Insert(int64_t value, int64_t streamSize) {
    if (value < 1 || value > streamSize) return;
    auto found = std::find(slots_.begin(), slots_.end(), value);
    if (found == slots_.end()) found = slots_.end() - 1;
    // Entries above the one replaced move down one place; the value takes the top.
    std::move_backward(slots_.begin(), found, found + 1);
    slots_[0] = value;
}

std::vector<int64_t> OffsetHistory::Listed() const {
    std::vector<int64_t> listed;
    for (const int64_t value : slots_)
        if (value > 0) listed.push_back(value);
    return listed;
}

QByteArray OffsetHistory::Serialize() const {
    QByteArray bytes(kByteSize, '\0');
    for (int i = 0; i < kEntries; ++i)
        qToLittleEndian<qint64>(slots_[size_t(i)], bytes.data() + i * 8);
    return bytes;
}

OffsetHistory OffsetHistory::Parse(const QByteArray& bytes) {
    OffsetHistory history;
    const qsizetype whole = std::min<qsizetype>(bytes.size() / 8, kEntries);
    for (qsizetype i = 0; i < whole; ++i)
        history.slots_[size_t(i)] = qFromLittleEndian<qint64>(bytes.constData() + i * 8);
    return history;
}

void OffsetHistory::Load(const SettingsStore& store, const QString& name) {
    slots_ = {};
    const auto value = store.read(name);
    if (value && std::holds_alternative<QByteArray>(*value)) *this = Parse(std::get<QByteArray>(*value));
}

bool OffsetHistory::Save(SettingsStore& store, const QString& name) const {
    return store.write(name, Serialize());
}
