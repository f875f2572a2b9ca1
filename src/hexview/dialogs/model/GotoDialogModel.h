// The go-to dialog's rules without its widgets: the offered addresses ("GotoCash") and what OK makes of the
// typed one.
#pragma once

#include <QStringList>
#include <cstdint>
#include <optional>

#include "hexview/dialogs/model/HexInputText.h"
#include "hexview/dialogs/model/OffsetHistory.h"
#include "platform/SettingsStore.h"

// The settings value of go-to addresses, shared with the block dialog's start.
inline const QString kGotoCash = QStringLiteral("GotoCash");

class GotoDialogModel {
public:
    // Reads "GotoCash" from store.
    GotoDialogModel(SettingsStore store, int64_t streamSize);

    // The remembered addresses above 0 as hex digits, newest first.
    QStringList Items() const;
    // The check run on every edit (a beep and a red box when false).
    bool TextAcceptable(const QString& text) const { return OffsetTextAcceptable(text, streamSize_); }

    // Runs OK: the offset to go to, or nullopt when the text is not a hex number (or the stream is empty,
    // where no offset exists); the dialog then stays. An offset at or past the end becomes the last byte.
    // The offset is remembered and "GotoCash" written.
    std::optional<int64_t> Submit(const QString& text);

    const OffsetHistory& History() const { return history_; }

private:
    SettingsStore store_;
    int64_t streamSize_;
    OffsetHistory history_;
};
