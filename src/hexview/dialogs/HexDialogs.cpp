// The desktop's hex viewer dialogs: the three input dialogs run modally and hand back their result; the
// progress dialog opens without waiting, since the search it watches reports to the event loop.
#include "hexview/dialogs/HexDialogs.h"

#include "hexview/dialogs/DefineBlockDialog.h"
#include "hexview/dialogs/GotoDialog.h"
#include "hexview/dialogs/ProgressDialog.h"

DesktopHexDialogs::DesktopHexDialogs(DialogPrompts prompts, std::optional<SettingsStore> store)
    : prompts_(std::move(prompts)), store_(std::move(store)) {}

SettingsStore DesktopHexDialogs::store() const {
    return store_ ? *store_ : SettingsStore::forUser();
}

std::optional<SearchInfo> DesktopHexDialogs::Find(QWidget* parent, const FindSetup& setup) {
    FindDialog dialog(setup, store(), prompts_, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Result();
}

std::optional<int64_t> DesktopHexDialogs::Goto(QWidget* parent, int64_t streamSize) {
    GotoDialog dialog(streamSize, store(), prompts_, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Result();
}

std::optional<BlockRange> DesktopHexDialogs::DefineBlock(QWidget* parent, const BlockSetup& setup) {
    DefineBlockDialog dialog(setup, store(), prompts_, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Result();
}

ProgressDialog* DesktopHexDialogs::OpenProgress(QWidget* parent, std::function<void()> cancel) {
    auto* dialog = new ProgressDialog(std::move(cancel), parent);
    QObject::connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    dialog->open();
    return dialog;
}
