// Go-to rules: hex offsets clamped to the last byte, and the shared address history.
#include "hexview/dialogs/model/GotoDialogModel.h"

GotoDialogModel::GotoDialogModel(SettingsStore store, int64_t streamSize)
    : store_(std::move(store)), streamSize_(streamSize) {
    history_.Load(store_, kGotoCash);
}

QStringList GotoDialogModel::Items() const {
    QStringList items;
    for (const int64_t value : history_.Listed())
        items << OffsetDigits(value);
    return items;
}

std::optional<int64_t> GotoDialogModel::Submit(const QString& text) {
    int64_t value = ParseHexOffset(text);
    // An empty stream has no byte to go to: clamping would give offset -1.
    if (value < 0 || streamSize_ <= 0) return std::nullopt;
    if (value >= streamSize_) value = streamSize_ - 1;
    history_.Insert(value, streamSize_);
    history_.Save(store_, kGotoCash);
    return value;
}
