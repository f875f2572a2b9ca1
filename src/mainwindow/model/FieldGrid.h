// The field grid's rows: the three-column table ("Item Name", "Value", "Remark") that shows the record of the
// selected tree node, and the row operations through which every record view writes it. The model is a
// QAbstractTableModel (QtCore only); the delegate that paints tagged rows lives with the widgets.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QAbstractTableModel>
#include <QImage>
#include <QString>

#include "kiwi/core/KiwiPrimitives.h"

// Row tags: how the grid draws a row.
enum class RowTag : int {
    Plain = 0,
    SectionHeader = 1,
    HelpLink = 2,
    ColorSwatch = 3,
    Image = 4,
    SubHeader = 5
};

struct FieldRow {
    QString name;
    QString value;
    QString remark;
    RowTag tag = RowTag::Plain;
    // Tag ColorSwatch: the colour as stored (0x00BBGGRR); tag Image: the image index.
    uint32_t colour = 0;
    int imageIndex = -1;
    // An address row into a data file of its own (an index data file): the file its jump opens; empty for
    // an address in the stream the hex viewer shows.
    std::string file = {};
};

// Cell texts of virtual row `row` (counted from 0): name, value, remark. Returns false for no text. May be
// called for any row at any time; must not throw (the model catches and shows an empty cell anyway).
using RowTextProvider = std::function<bool(int row, int column, QString& text)>;

class FieldGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // No virtual rows.
    static constexpr int kNoVirtualRows = 0x0FFFFFFF;
    // Column widths in pixels of "Item Name", "Value", "Remark".
    static constexpr int kColumnWidths[3] = {350, 180, 450};
    // The tag of a row, in Qt::UserRole of column 0; colour and image index in Qt::UserRole + 1 of column 2.
    static constexpr int TagRole = Qt::UserRole;
    static constexpr int PayloadRole = Qt::UserRole + 1;
    // The QImage of a tag Image row, in column 2 (null when the row's index names no image).
    static constexpr int ImageRole = Qt::UserRole + 2;

    explicit FieldGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Empties the grid: no rows, no images, no help link, no virtual rows.
    void Clear();
    // Appends a stored row at the end of the grid (after any virtual rows); returns its grid row.
    int Append(FieldRow row);
    // The stored row at grid row index (an index Append returned; never a virtual row).
    FieldRow& Row(int index) { return rows_.at(StoredIndex(index)); }
    const FieldRow& Row(int index) const { return rows_.at(StoredIndex(index)); }
    int StoredRowCount() const { return int(rows_.size()); }
    // Repaints grid row row after its cells were changed through Row().
    void NotifyRowChanged(int row);
    // Virtual rows at the current end of the grid: count rows whose texts come from provider. Replaces
    // earlier virtual rows, which are dropped (stored rows then all come before the new ones).
    void SetVirtualRows(int count, RowTextProvider provider);
    int FirstVirtualRow() const { return firstVirtualRow_; }
    int VirtualRowCount() const { return virtualCount_; }
    bool IsVirtualRow(int row) const;
    // Forgets the memo and repaints the virtual rows (their texts changed, e.g. another code page).
    void RefreshVirtualRows();
    // Cell text of any row, stored or virtual (empty when the provider gives none or throws).
    QString CellText(int row, int column) const;
    // Images drawn in tag Image rows; owned by the model and cleared with it.
    int AddImage(const QImage& image);
    const QImage* Image(int index) const;
    const QString& HelpUrl() const { return helpUrl_; }
    void SetHelpUrl(const QString& url) { helpUrl_ = url; }
    // How many times the provider was called (the benchmark counts calls per paint).
    int64_t ProviderCalls() const { return providerCalls_; }
    // Why the last record that could not be read failed ("" when none failed).
    const QString& ErrorString() const { return error_; }

    // The address jump of a row: the offset its remark (or, failing that, its name) points at, when the row
    // qualifies and the text gives a number greater than 0.
    std::optional<int64_t> JumpOffset(int row) const;
    // The data file an address row's jump opens; empty for one in the shown stream (and for virtual rows).
    std::string JumpFile(int row) const;

private:
    // Index into rows_ of a grid row that is stored; out of range (size_t(-1)) for others.
    size_t StoredIndex(int row) const;
    // Stored rows appended after the virtual rows follow them in the grid.
    bool HasVirtualRows() const { return firstVirtualRow_ != kNoVirtualRows; }

    std::vector<FieldRow> rows_;
    std::vector<QImage> images_;
    QString helpUrl_;
    int firstVirtualRow_ = kNoVirtualRows;
    int virtualCount_ = 0;
    RowTextProvider provider_;
    // One-row memo: a virtual row is asked of the provider once for its three cells.
    mutable int memoRow_ = -1;
    mutable QString memo_[3];
    mutable int64_t providerCalls_ = 0;
    mutable QString error_;
};

// The row operations the record views write with (they use nothing else). Each appends at the end.
class FieldGrid {
public:
    explicit FieldGrid(FieldGridModel& model) : model_(model) {}
    FieldGridModel& Model() { return model_; }

    void Clear();
    void AddEmptyRow();
    // A row with only a name; returns its index.
    int AddRow(const QString& name);
    void AddSectionHeader(const QString& title, const QString& value = {});
    void AddSectionHeaderOffset(const QString& title, const QString& value, int64_t offset);
    void AddSectionHeaderAt(const QString& title, const QString& value, int64_t offset);
    void AddSubHeader(const QString& title, const QString& value = {});
    void SetHelpLink(const QString& url);
    // The last row's address lies in the data file `file` (its jump opens that file at the address).
    void SetRowFile(const std::string& file);
    void AddYesNoRow(const QString& name, const QString& remark, bool flag);
    void AddYesRow(const QString& name, const QString& remark, bool flag);
    void AddByteRow(const QString& name, const QString& remark, uint8_t value);
    void AddColorRow(const QString& name, uint32_t colour);
    void AddDateRow(const QString& name, const QString& remark, uint16_t days);
    void AddDWordRow(const QString& name, const QString& remark, uint32_t value);
    void AddFloatRow(const QString& name, const QString& remark, float value);
    void AddInt64HexRow(const QString& name, const QString& remark, int64_t value);
    void AddHexDecRow(const QString& name, const QString& remark, uint32_t value);
    void AddHex64Row(const QString& name, const QString& remark, uint32_t low, uint32_t high);
    void AddHex64Row(const QString& name, const QString& remark, uint64_t value);
    void AddPairRow(const QString& name, const QString& remark, int64_t a, int64_t b);
    void AddImageRow(const QString& name, int imageIndex);
    // point: X = longitude, Y = latitude, as the coordinate readers give them.
    void AddLatLonRow(const QString& name, bool withMaker, const TLN_Point& point);
    void SetValueCell(const QString& name, const QString& value);
    void AddTextRow(const QString& name, const QString& value, const QString& remark = {});
    void AddWordRow(const QString& name, const QString& remark, uint16_t value);
    void AddWordHexRow(const QString& name, const QString& remark, uint16_t value);
    void AddDWordHexDecRow(const QString& name, const QString& remark, int64_t value);
    // Virtual rows (see FieldGridModel::SetVirtualRows).
    void SetVirtualRows(int count, RowTextProvider provider);
    int AddImage(const QImage& image);

private:
    FieldGridModel& model_;
};
