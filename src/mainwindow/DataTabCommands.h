// The clipboard commands of the Data tab's field grid, data grids and picture, and the data grid's record
// shown in the hex viewer; the grids' and the picture's pop-up menus are placed where they were asked for.
#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QPoint>

class DataPage;
class FieldGridModel;
class QTableView;
class TLN_Stream;
class WindowMenus;

class DataTabCommands : public QObject {
    Q_OBJECT
public:
    // What the commands work with; all outlive them.
    struct Parts {
        DataPage& page;
        WindowMenus& menus;
        FieldGridModel& grid;
        // Runs a command so that what it raises is shown as a message.
        std::function<void(const std::function<void()>&)> run;
        // Shows a stream at an offset in the hex viewer, whose tab comes to the front.
        std::function<void(std::shared_ptr<TLN_Stream> stream, int64_t offset)> showInHexViewer;
    };

    explicit DataTabCommands(Parts parts, QObject* parent = nullptr);

    void CopyStringGridMenuItemClick();
    void CopyDBGridMenuItemClick();
    // The data grid's current record in the hex viewer (its table's stream at the record's position).
    void ShowinHexViewerDBMenuItemClick();
    void CopyGraphicImageMenuItemClick();
    void PasteImageMenuItemClick();
    // The picture as colour-table data against a palette resource, under the binary data format.
    void CopyClutMenuItemClick(const QString& palette);

private:
    Parts parts_;
    // Where the data grids' menu was opened (the grid and its viewport point).
    QTableView* menuGrid_ = nullptr;
    QPoint menuPoint_;
};
