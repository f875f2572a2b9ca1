// How the hex viewer opens its dialogs: an interface, so that window tests answer the dialogs without a
// modal window, and the desktop's implementation that shows the real ones.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "hexview/dialogs/DialogPrompts.h"
#include "hexview/dialogs/FindDialog.h"
#include "hexview/dialogs/model/DefineBlockDialogModel.h"
#include "hexview/dialogs/model/SearchInfo.h"
#include "platform/SettingsStore.h"

class ProgressDialog;
class QWidget;

class HexDialogs {
public:
    virtual ~HexDialogs() = default;
    // The search asked for; nullopt when the user cancels. start, end and lastHit are left to the caller.
    virtual std::optional<SearchInfo> Find(QWidget* parent, const FindSetup& setup) = 0;
    // The offset to go to, inside a stream of streamSize bytes; nullopt when the user cancels.
    virtual std::optional<int64_t> Goto(QWidget* parent, int64_t streamSize) = 0;
    // The block to mark, inside the stream; nullopt when the user cancels.
    virtual std::optional<BlockRange> DefineBlock(QWidget* parent, const BlockSetup& setup) = 0;
    // Opens the progress dialog of a running search and returns at once. It calls cancel when the user
    // cancels (the button, Esc or the close box) and closes and deletes itself when SetPercent gets a
    // negative value; hold it in a QPointer.
    virtual ProgressDialog* OpenProgress(QWidget* parent, std::function<void()> cancel) = 0;
};

class DesktopHexDialogs final : public HexDialogs {
public:
    // store is where the dialogs remember their histories; without one, the user's store as it is at each
    // opening.
    explicit DesktopHexDialogs(DialogPrompts prompts, std::optional<SettingsStore> store = std::nullopt);

    std::optional<SearchInfo> Find(QWidget* parent, const FindSetup& setup) override;
    std::optional<int64_t> Goto(QWidget* parent, int64_t streamSize) override;
    std::optional<BlockRange> DefineBlock(QWidget* parent, const BlockSetup& setup) override;
    ProgressDialog* OpenProgress(QWidget* parent, std::function<void()> cancel) override;

private:
    SettingsStore store() const;

    DialogPrompts prompts_;
    std::optional<SettingsStore> store_;
};
