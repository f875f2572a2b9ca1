// First cut of the field grid: stored rows and the row operations in their plain forms. Tagged painting,
// virtual-row memo details and the address jump are completed with their tests.
#include "mainwindow/model/FieldGrid.h"

#include "kiwi/display/KiwiFormat.h"

namespace {
QString q(const std::string& text) {
    return QString::fromStdString(text);
}
} // namespace

FieldGridModel::FieldGridModel(QObject* parent) : QAbstractTableModel(parent) {}

int FieldGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return int(rows_.size()) + (firstVirtualRow_ == kNoVirtualRows ? 0 : virtualCount_);
}

int FieldGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant FieldGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row();
    if (role == Qt::DisplayRole) return CellText(row, index.column());
    if (row < int(rows_.size())) {
        const FieldRow& r = rows_[size_t(row)];
        if (role == TagRole) return int(r.tag);
        if (role == PayloadRole) return r.tag == RowTag::Image ? QVariant(r.imageIndex) : QVariant(r.colour);
    }
    return {};
}

QVariant FieldGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const names[3] = {"Item Name", "Value", "Remark"};
    return section >= 0 && section < 3 ? QString::fromLatin1(names[section]) : QVariant();
}

void FieldGridModel::Clear() {
    beginResetModel();
    rows_.clear();
    images_.clear();
    helpUrl_.clear();
    firstVirtualRow_ = kNoVirtualRows;
    virtualCount_ = 0;
    provider_ = nullptr;
    memoRow_ = -1;
    endResetModel();
}

int FieldGridModel::Append(FieldRow row) {
    const int at = int(rows_.size());
    beginInsertRows({}, at, at);
    rows_.push_back(std::move(row));
    endInsertRows();
    return at;
}

void FieldGridModel::SetVirtualRows(int count, RowTextProvider provider) {
    beginResetModel();
    firstVirtualRow_ = int(rows_.size());
    virtualCount_ = count;
    provider_ = std::move(provider);
    memoRow_ = -1;
    endResetModel();
}

QString FieldGridModel::CellText(int row, int column) const {
    if (row < 0 || column < 0 || column > 2) return {};
    if (row < int(rows_.size())) {
        const FieldRow& r = rows_[size_t(row)];
        return column == 0 ? r.name : column == 1 ? r.value : r.remark;
    }
    if (firstVirtualRow_ == kNoVirtualRows || !provider_) return {};
    const int virtualRow = row - firstVirtualRow_;
    if (virtualRow < 0 || virtualRow >= virtualCount_) return {};
    if (memoRow_ != virtualRow) {
        for (int c = 0; c < 3; ++c) {
            memo_[c].clear();
            try {
                ++providerCalls_;
                if (!provider_(virtualRow, c, memo_[c])) memo_[c].clear();
            } catch (...) {
                memo_[c].clear();
            }
        }
        memoRow_ = virtualRow;
    }
    return memo_[column];
}

int FieldGridModel::AddImage(const QImage& image) {
    images_.push_back(image);
    return int(images_.size()) - 1;
}

const QImage* FieldGridModel::Image(int index) const {
    return index >= 0 && index < int(images_.size()) ? &images_[size_t(index)] : nullptr;
}

std::optional<int64_t> FieldGridModel::JumpOffset(int) const {
    return std::nullopt;
}

void FieldGrid::Clear() {
    model_.Clear();
}

void FieldGrid::AddEmptyRow() {
    model_.Append({});
}

int FieldGrid::AddRow(const QString& name) {
    return model_.Append({name, {}, {}});
}

void FieldGrid::AddSectionHeader(const QString& title, const QString& value) {
    AddSectionHeaderOffset(title, value, -1);
    AddEmptyRow();
}

void FieldGrid::AddSectionHeaderOffset(const QString& title, const QString& value, int64_t offset) {
    if (model_.StoredRowCount() > 0) AddEmptyRow();
    FieldRow row{QStringLiteral("         < ") + title + QStringLiteral(" >"), value, {}};
    row.tag = RowTag::SectionHeader;
    if (offset >= 0) row.remark = QStringLiteral("Offset=") + q(FormatHex32Spaced(offset));
    model_.Append(std::move(row));
}

void FieldGrid::AddSectionHeaderAt(const QString& title, const QString& value, int64_t offset) {
    AddSectionHeaderOffset(title, value, offset);
    AddEmptyRow();
}

void FieldGrid::AddSubHeader(const QString& title, const QString& value) {
    FieldRow row{QStringLiteral("         ") + title, value, {}};
    row.tag = RowTag::SubHeader;
    model_.Append(std::move(row));
}

void FieldGrid::SetHelpLink(const QString& url) {
    const int last = model_.StoredRowCount() - 1;
    if (last < 0 || !model_.Row(last).name.isEmpty()) return;
    model_.Row(last).remark = QStringLiteral("Help");
    model_.Row(last).tag = RowTag::HelpLink;
    model_.SetHelpUrl(url);
}

void FieldGrid::AddYesNoRow(const QString& name, const QString& remark, bool flag) {
    model_.Append({name, flag ? QStringLiteral("YES") : QStringLiteral("NO"), remark});
}

void FieldGrid::AddYesRow(const QString& name, const QString& remark, bool flag) {
    if (flag) AddYesNoRow(name, remark, true);
}

void FieldGrid::AddByteRow(const QString& name, const QString& remark, uint8_t value) {
    model_.Append(
        {name, QStringLiteral("0 x %1").arg(value, 2, 16, QLatin1Char('0')).toUpper().replace("0 X", "0 x"),
         QStringLiteral("(%1) ").arg(value) + remark});
}

void FieldGrid::AddColorRow(const QString& name, uint32_t colour) {
    FieldRow row{name, q(FormatDWordHex(colour)), {}};
    row.tag = RowTag::ColorSwatch;
    row.colour = colour;
    model_.Append(std::move(row));
}

void FieldGrid::AddDateRow(const QString& name, const QString& remark, uint16_t days) {
    model_.Append({name, QString::number(days), remark});
}

void FieldGrid::AddDWordRow(const QString& name, const QString& remark, uint32_t value) {
    model_.Append(
        {name, value == 0xFFFFFFFFu ? QStringLiteral("0xFFFFFFFF") : QString::number(value), remark});
}

void FieldGrid::AddFloatRow(const QString& name, const QString& remark, float value) {
    model_.Append({name, QString::number(double(value), 'f', 2), remark});
}

void FieldGrid::AddInt64HexRow(const QString& name, const QString& remark, int64_t value) {
    model_.Append(
        {name, q(FormatHex32Spaced(value)), remark.isEmpty() ? QStringLiteral("(%1)").arg(value) : remark});
}

void FieldGrid::AddHexDecRow(const QString& name, const QString& remark, uint32_t value) {
    model_.Append({name, q(FormatDWordHex(value)), QStringLiteral("(%1) ").arg(value) + remark});
}

void FieldGrid::AddHex64Row(const QString& name, const QString& remark, uint32_t low, uint32_t high) {
    AddHex64Row(name, remark, uint64_t(high) << 32 | low);
}

void FieldGrid::AddHex64Row(const QString& name, const QString& remark, uint64_t value) {
    model_.Append(
        {name, QStringLiteral("0 x ") + QStringLiteral("%1").arg(value, 16, 16, QLatin1Char('0')).toUpper(),
         remark});
}

void FieldGrid::AddPairRow(const QString& name, const QString& remark, int64_t a, int64_t b) {
    model_.Append({name, QStringLiteral("%1 / %2").arg(a).arg(b), remark});
}

void FieldGrid::AddImageRow(const QString& name, int imageIndex) {
    FieldRow row{name, {}, {}};
    row.tag = RowTag::Image;
    row.imageIndex = imageIndex;
    model_.Append(std::move(row));
}

void FieldGrid::AddLatLonRow(const QString& name, bool, const TLN_Point& point) {
    model_.Append(
        {name, q(FormatLatitude(point.Y)) + QStringLiteral(" / ") + q(FormatLongitude(point.X)), {}});
}

void FieldGrid::SetValueCell(const QString& name, const QString& value) {
    model_.Append({name, value, {}});
}

void FieldGrid::AddTextRow(const QString& name, const QString& value, const QString& remark) {
    model_.Append({name, value, remark});
}

void FieldGrid::AddWordRow(const QString& name, const QString& remark, uint16_t value) {
    model_.Append({name, QString::number(value), remark});
}

void FieldGrid::AddWordHexRow(const QString& name, const QString& remark, uint16_t value) {
    model_.Append({name, q(FormatWordHex(value)), QStringLiteral("(%1) ").arg(value) + remark});
}

void FieldGrid::AddDWordHexDecRow(const QString& name, const QString& remark, int64_t value) {
    model_.Append({name, q(FormatHex64Spaced(value)), QStringLiteral("(%1) ").arg(value) + remark});
}

void FieldGrid::SetVirtualRows(int count, RowTextProvider provider) {
    model_.SetVirtualRows(count, std::move(provider));
}

int FieldGrid::AddImage(const QImage& image) {
    return model_.AddImage(image);
}
