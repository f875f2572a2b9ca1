// The define-block dialog's rules without its widgets: the offered starts, ends and lengths, and what OK
// makes of the typed ones.
#pragma once

#include <QStringList>
#include <cstdint>
#include <optional>

#include "hexview/dialogs/model/HexInputText.h"
#include "hexview/dialogs/model/OffsetHistory.h"
#include "platform/SettingsStore.h"

// What the hex viewer hands the dialog: the stream size, the current block (or the cursor as start and -1
// as end without one) and whether the end may be given.
struct BlockSetup {
    int64_t streamSize = 0;
    int64_t start = 0;
    int64_t end = -1;
    bool endGroupEnabled = true;
};

// A block, both ends included.
struct BlockRange {
    int64_t start = 0;
    int64_t end = -1;
    friend bool operator==(const BlockRange&, const BlockRange&) = default;
};

// The settings values of block ends and lengths (starts share "GotoCash").
inline const QString kEndCash = QStringLiteral("EndCash");
inline const QString kLengthCash = QStringLiteral("LengthCash");

class DefineBlockDialogModel {
public:
    enum class EndMode { End, Length };
    struct Input {
        QString start;
        QString end;
        QString length;
        EndMode mode = EndMode::End;
    };
    // The block, or nullopt when the dialog stays (with a beep); the flags name the boxes to turn red.
    struct Outcome {
        std::optional<BlockRange> range;
        bool badStart = false;
        bool badEnd = false;
        bool badLength = false;
    };

    // Reads "GotoCash", "EndCash" and "LengthCash" from store.
    DefineBlockDialogModel(SettingsStore store, const BlockSetup& setup);

    bool EndGroupEnabled() const { return setup_.endGroupEnabled; }
    // The current start first, then the remembered addresses.
    QStringList StartItems() const;
    // With the end group enabled and a block of more than one byte: its end (or length) first; then the
    // remembered ends (lengths). Empty with the end group disabled.
    QStringList EndItems() const;
    QStringList LengthItems() const;
    // The check run on every edit of any of the boxes.
    bool TextAcceptable(const QString& text) const { return OffsetTextAcceptable(text, setup_.streamSize); }

    // Runs OK: an unreadable number, an end before the start or an empty stream keep the dialog open. A
    // start at or past the end of the stream becomes a one-byte block on the last byte; an end at or past
    // it becomes the last byte. The start, and the end or length as given, are remembered and written.
    Outcome Submit(const Input& input);

private:
    SettingsStore store_;
    BlockSetup setup_;
    OffsetHistory starts_;
    OffsetHistory ends_;
    OffsetHistory lengths_;
};
