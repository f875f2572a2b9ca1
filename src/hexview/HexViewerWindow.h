// The hex viewer window: the hex grid with its tool bar, context menu and status panels, docked as a tab
// of the main window or floating at its right edge; it copies the marked block to the clipboard or a
// new file and drives find, find next, go to and define block. It is what the main window talks to as
// its hex viewer.
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>

#include "hexview/dialogs/model/SearchInfo.h"
#include "hexview/model/HexBlockFileCopy.h"
#include "hexview/model/HexViewApi.h"
#include "widgets/Services.h"

class HexBlockMimeData;
class HexDialogs;
class HexGrid;
class ProgressDialog;
class QLabel;
class QTabWidget;
struct HexViewerActions;

class HexViewerWindow : public QWidget, public HexViewApi {
    Q_OBJECT
public:
    // Messages, the save-file choice and the beep come from services, the find, go-to, define-block and
    // progress dialogs from dialogs; both must outlive the window.
    HexViewerWindow(const Services& services, HexDialogs& dialogs, QWidget* parent = nullptr);
    // Stops and joins a running copy into a file.
    ~HexViewerWindow() override;

    // HexViewApi.
    void SetStream(std::shared_ptr<TLN_Stream> stream, int64_t offset) override;
    void SetOwnedStream(std::shared_ptr<TLN_Stream> stream, int64_t offset) override;
    void GotoOffset(int64_t offset) override;
    void Clear() override;
    void SetCodePageName(const QString& name) override;
    void SetDisplayCodePage(int codePage) override;
    bool HasStream() const override;
    QWidget* DockPage() override { return this; }

    HexGrid* Grid() const { return grid_; }
    const HexViewerActions& Actions() const { return *actions_; }
    QString PanelText(int panel) const;
    const SearchInfo& LastSearch() const { return search_; }
    const QString& DisplayName() const { return displayName_; }

    // Docking: a tab of the main window's tab widget (where the main window first put the page), or a
    // window of its own at the main window's right edge.
    bool Floating() const { return floating_; }
    bool Snapped() const { return snapped_; }
    void Float();
    void Dock();
    // Moves the floating window to the main window's right edge with its height.
    void SnapToMainForm();

    // The commands (also the actions' handlers).
    void CopyBlock();
    void CopyAsHexText();
    void CopyToFile();
    void FindCommand();
    void FindNext();
    void GoToCommand();
    void DefineBlockCommand();
    void ShowClipboardFormats();

    // Where a copy into a file writes (a temporary file renamed onto the path by default); tests fail
    // writes through it.
    using SinkFactory = std::function<std::unique_ptr<BlockSink>(const QString& path)>;
    void SetSinkFactory(SinkFactory factory) { sinkFactory_ = std::move(factory); }
    bool CopyingToFile() const { return fileCopy_ != nullptr; }

signals:
    // A copy into a file has ended (written, failed or cancelled).
    void fileCopyEnded(bool ok);

protected:
    bool event(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectActions();
    void updateActions();
    void updateCaption();
    void onFileChanged(const QString& name);
    void onAddressChanged(qint64 address, quint8 byte);
    void onSelectionChanged(qint64 start, qint64 end);
    void setPanelText(int panel, const QString& text);
    void onSearchProgress(int percent);
    void onSearchSuccess(qint64 result);
    void onFileCopyReported();
    void noticeDocking();
    void search(int64_t start, int64_t end);
    QWidget* dialogParent();
    QByteArray readBlock(int64_t start, int64_t count);
    // The binary clipboard data of start .. end (end excluded) of the grid's stream, read when pasted.
    HexBlockMimeData* binaryMime(int64_t start, int64_t end);

    Services services_;
    HexDialogs& dialogs_;
    HexGrid* grid_;
    std::unique_ptr<HexViewerActions> actions_;
    QLabel* panels_[4] = {};
    QString displayName_;
    SearchInfo search_;
    bool searched_ = false;
    bool floating_ = true;
    bool snapped_ = false;
    bool snapping_ = false;
    QPointer<QTabWidget> tabs_;
    QPointer<QWidget> mainWindow_;
    int dockIndex_ = -1;
    int floatingWidth_ = 0;
    QPointer<ProgressDialog> searchProgress_;
    QPointer<ProgressDialog> copyProgress_;
    std::unique_ptr<HexBlockFileCopy> fileCopy_;
    SinkFactory sinkFactory_;
};
