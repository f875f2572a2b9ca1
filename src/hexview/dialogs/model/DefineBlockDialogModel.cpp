// Define-block rules: hex start with end or length, the clamps that keep the block inside the stream, and
// the three histories.
#include "hexview/dialogs/model/DefineBlockDialogModel.h"

#include <algorithm>
#include <limits>

#include "hexview/dialogs/model/GotoDialogModel.h"

namespace {

void appendListed(QStringList& items, const OffsetHistory& history) {
    for (const int64_t value : history.Listed())
        items << OffsetDigits(value);
}

} // namespace

DefineBlockDialogModel::DefineBlockDialogModel(SettingsStore store, const BlockSetup& setup)
    : store_(std::move(store)), setup_(setup) {
    starts_.Load(store_, kGotoCash);
    if (setup_.endGroupEnabled) {
        ends_.Load(store_, kEndCash);
        lengths_.Load(store_, kLengthCash);
    }
}

QStringList DefineBlockDialogModel::StartItems() const {
    QStringList items{OffsetDigits(std::max<int64_t>(setup_.start, 0))};
    appendListed(items, starts_);
    return items;
}

QStringList DefineBlockDialogModel::EndItems() const {
    QStringList items;
    if (!setup_.endGroupEnabled) return items;
    if (setup_.end > 0 && setup_.end > setup_.start) items << OffsetDigits(setup_.end);
    appendListed(items, ends_);
    return items;
}

QStringList DefineBlockDialogModel::LengthItems() const {
    QStringList items;
    if (!setup_.endGroupEnabled) return items;
    if (setup_.end > 0 && setup_.end > setup_.start) items << OffsetDigits(setup_.end - setup_.start + 1);
    appendListed(items, lengths_);
    return items;
}

DefineBlockDialogModel::Outcome DefineBlockDialogModel::Submit(const Input& input) {
    Outcome outcome;
    const int64_t size = setup_.streamSize;
    int64_t start = ParseHexOffset(input.start);
    int64_t end = setup_.end;
    int64_t length = -1;
    outcome.badStart = start < 0;
    if (setup_.endGroupEnabled && input.mode == EndMode::End) {
        end = ParseHexOffset(input.end);
        outcome.badEnd = end < 0;
    } else if (setup_.endGroupEnabled) {
        length = ParseHexOffset(input.length);
        outcome.badLength = length < 0;
        // A length too long for any stream ends the block at the stream's end after the clamps below.
        if (!outcome.badLength && !outcome.badStart)
            end = length > std::numeric_limits<int64_t>::max() - start ? std::numeric_limits<int64_t>::max()
                                                                       : start + length - 1;
    }
    // A box left unreadable never lets an older value stand in for it.
    if (outcome.badStart || outcome.badEnd || outcome.badLength) return outcome;
    // Without an end to give, the block keeps its end, or is one byte when the start moved past it.
    if (!setup_.endGroupEnabled) end = std::max(end, start);
    if (end < start) return outcome;
    // An empty stream has no byte to mark: clamping would give -1.
    if (size <= 0) return outcome;
    if (start >= size) {
        start = size - 1;
        end = start;
    }
    if (end >= size) end = size - 1;

    starts_.Insert(start, size);
    starts_.Save(store_, kGotoCash);
    if (setup_.endGroupEnabled && input.mode == EndMode::End) {
        ends_.Insert(end, size);
        ends_.Save(store_, kEndCash);
    } else if (setup_.endGroupEnabled) {
        lengths_.Insert(length, size);
        lengths_.Save(store_, kLengthCash);
    }
    outcome.range = BlockRange{start, end};
    return outcome;
}
