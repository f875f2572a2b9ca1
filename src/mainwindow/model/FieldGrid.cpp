// The field grid's model (stored and provider-fed rows, the address jump) and the row operations that
// give each kind of field its text.
#include "mainwindow/model/FieldGrid.h"

#include <QDate>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kiwi/display/KiwiFormat.h"
#include "kiwi/parts/Loading.h"
#include "mainwindow/model/VisibleText.h"

namespace {

constexpr size_t kNotStored = size_t(-1);
// A coordinate that was never set.
constexpr int32_t kInvalidCoordinate = int32_t(0xFF800001u);
const QString kDashes = QStringLiteral("- - - - - - - -");

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QString hexDigits(uint64_t value, int width) {
    return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0')).toUpper();
}

QString decimalRemark(int64_t value, const QString& remark) {
    return QStringLiteral("(%1) ").arg(value) + remark;
}

// A single-precision number rounded to six significant digits and at most two decimals, the decimals
// padded with zeros to two; with more than six digits before the point, six significant digits in
// exponent form ("1.23457E+006"). The decimal separator is the locale's.
QString floatText(float value) {
    const double v = double(value);
    if (std::isnan(v)) return QStringLiteral("NAN");
    if (std::isinf(v)) return v < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    char buffer[64];
    // The decimal exponent after rounding to six significant digits decides the form.
    std::snprintf(buffer, sizeof buffer, "%.5E", v);
    char* e = std::strchr(buffer, 'E');
    const int exponent = e ? std::atoi(e + 1) : 0;
    QString text;
    if (v != 0 && exponent + 1 > 6) {
        const int magnitude = std::abs(exponent);
        std::snprintf(e + 1, sizeof buffer - size_t(e + 1 - buffer), "%c%03d", exponent < 0 ? '-' : '+',
                      magnitude);
        text = QString::fromLatin1(buffer);
    } else {
        const int integerDigits = exponent >= 0 ? exponent + 1 : 0;
        const int decimals = std::min(2, std::max(0, 6 - integerDigits));
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
        text = QString::fromLatin1(buffer);
        if (decimals == 0) text += QLatin1Char('.');
        text += QString(2 - decimals, QLatin1Char('0'));
        // A value that rounds to zero shows no sign.
        const bool zero =
            std::all_of(text.cbegin(), text.cend(), [](QChar c) { return !c.isDigit() || c == u'0'; });
        if (zero && text.startsWith(QLatin1Char('-'))) text.remove(0, 1);
    }
    return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

} // namespace

FieldGridModel::FieldGridModel(QObject* parent) : QAbstractTableModel(parent) {}

size_t FieldGridModel::StoredIndex(int row) const {
    if (row < 0) return kNotStored;
    size_t index = size_t(row);
    if (HasVirtualRows() && row >= firstVirtualRow_) {
        if (row - firstVirtualRow_ < virtualCount_) return kNotStored;
        index = size_t(row - virtualCount_);
    }
    return index < rows_.size() ? index : kNotStored;
}

bool FieldGridModel::IsVirtualRow(int row) const {
    return HasVirtualRows() && row >= firstVirtualRow_ && row - firstVirtualRow_ < virtualCount_;
}

int FieldGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return int(rows_.size()) + (HasVirtualRows() ? virtualCount_ : 0);
}

int FieldGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant FieldGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row();
    // Texts read from data may hold bytes that are not text: they are never drawn raw.
    if (role == Qt::DisplayRole) return VisibleText(CellText(row, index.column()));
    // A remark wider than its column (a reason naming a folder) is read whole from its hint.
    if (role == Qt::ToolTipRole && index.column() == 2 &&
        data(index, TagRole).toInt() == int(RowTag::Plain)) {
        const QString remark = VisibleText(CellText(row, 2));
        return remark.isEmpty() ? QVariant() : QVariant(remark);
    }
    const size_t stored = StoredIndex(row);
    if (role == TagRole) return stored == kNotStored ? int(RowTag::Plain) : int(rows_[stored].tag);
    if (stored == kNotStored) return {};
    const FieldRow& r = rows_[stored];
    if (role == PayloadRole) return r.tag == RowTag::Image ? QVariant(r.imageIndex) : QVariant(r.colour);
    if (role == ImageRole && r.tag == RowTag::Image && index.column() == 2) {
        const QImage* image = Image(r.imageIndex);
        return image ? *image : QImage();
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
    const int at = rowCount();
    beginInsertRows({}, at, at);
    rows_.push_back(std::move(row));
    endInsertRows();
    return at;
}

void FieldGridModel::SetVirtualRows(int count, RowTextProvider provider) {
    count = std::max(0, count);
    memoRow_ = -1;
    if (HasVirtualRows()) {
        beginResetModel();
        firstVirtualRow_ = int(rows_.size());
        virtualCount_ = count;
        provider_ = std::move(provider);
        endResetModel();
        return;
    }
    // Appending rows keeps the view's row heights (image rows); a reset would drop them.
    const int first = int(rows_.size());
    if (count > 0) beginInsertRows({}, first, first + count - 1);
    firstVirtualRow_ = first;
    virtualCount_ = count;
    provider_ = std::move(provider);
    if (count > 0) endInsertRows();
}

void FieldGridModel::NotifyRowChanged(int row) {
    if (row >= 0 && row < rowCount()) emit dataChanged(index(row, 0), index(row, 2));
}

void FieldGridModel::RefreshVirtualRows() {
    memoRow_ = -1;
    if (HasVirtualRows() && virtualCount_ > 0)
        emit dataChanged(index(firstVirtualRow_, 0), index(firstVirtualRow_ + virtualCount_ - 1, 2));
}

QString FieldGridModel::CellText(int row, int column) const {
    if (column < 0 || column > 2) return {};
    const size_t stored = StoredIndex(row);
    if (stored != kNotStored) {
        const FieldRow& r = rows_[stored];
        return column == 0 ? r.name : column == 1 ? r.value : r.remark;
    }
    if (!IsVirtualRow(row) || !provider_) return {};
    const int virtualRow = row - firstVirtualRow_;
    if (memoRow_ != virtualRow) {
        // All three cells at once: a paint asks for them one after another, and the provider may have
        // to read and decode a whole record for each.
        memoRow_ = -1;
        for (QString& cell : memo_)
            cell.clear();
        for (int c = 0; c < 3; ++c) {
            try {
                ++providerCalls_;
                if (!provider_(virtualRow, c, memo_[c])) memo_[c].clear();
            } catch (...) {
                // A record that cannot be read shows an empty cell; nothing may leave a paint.
                memo_[c].clear();
            }
        }
        memoRow_ = virtualRow;
    }
    return memo_[column];
}

int FieldGridModel::AddImage(const QImage& image) {
    images_.push_back(image);
    const int added = int(images_.size()) - 1;
    // A row may name its image before the image arrives: let the view size and paint it now.
    for (size_t s = 0; s < rows_.size(); ++s) {
        if (rows_[s].tag != RowTag::Image || rows_[s].imageIndex != added) continue;
        NotifyRowChanged(int(s) + (HasVirtualRows() && int(s) >= firstVirtualRow_ ? virtualCount_ : 0));
    }
    return added;
}

const QImage* FieldGridModel::Image(int index) const {
    return index >= 0 && index < int(images_.size()) ? &images_[size_t(index)] : nullptr;
}

std::optional<int64_t> FieldGridModel::JumpOffset(int row) const {
    if (row < 0 || row >= rowCount()) return std::nullopt;
    const QString remark = CellText(row, 2);
    const QString upperRemark = remark.toUpper();
    const QString upperName = CellText(row, 0).toUpper();
    const auto names = [](const QString& upper) {
        return upper.contains(QLatin1String("ADDRESS")) || upper.contains(QLatin1String("OFFSET"));
    };
    QString text;
    if (names(upperRemark))
        text = remark;
    else if (!upperRemark.contains(QLatin1String("DISPLACEMENT")) && names(upperName))
        text = CellText(row, 1);
    else
        return std::nullopt;
    const std::string digits = CompactHexText(text.toStdString());
    // All bits of a 32-bit field set means "none".
    if (digits.empty() || digits == "FFFFFFFF") return std::nullopt;
    // CompactHexText admits only digits that fit a non-negative int64.
    const int64_t offset = int64_t(std::stoull(digits, nullptr, 16));
    if (offset <= 0) return std::nullopt;
    return offset;
}

std::string FieldGridModel::JumpFile(int row) const {
    const size_t stored = StoredIndex(row);
    return stored == kNotStored ? std::string() : rows_[stored].file;
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
    if (model_.rowCount() > 0) AddEmptyRow();
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

void FieldGrid::SetRowFile(const std::string& file) {
    const int last = model_.rowCount() - 1;
    if (last < 0 || model_.IsVirtualRow(last)) return;
    model_.Row(last).file = file;
}

void FieldGrid::SetHelpLink(const QString& url) {
    const int last = model_.rowCount() - 1;
    if (last < 0 || model_.IsVirtualRow(last)) return;
    FieldRow& row = model_.Row(last);
    if (!row.name.isEmpty()) return;
    row.remark = QStringLiteral("Help");
    row.tag = RowTag::HelpLink;
    model_.SetHelpUrl(url);
    model_.NotifyRowChanged(last);
}

void FieldGrid::AddYesNoRow(const QString& name, const QString& remark, bool flag) {
    model_.Append({name, flag ? QStringLiteral("YES") : QStringLiteral("NO"), remark});
}

void FieldGrid::AddYesRow(const QString& name, const QString& remark, bool flag) {
    if (flag) AddYesNoRow(name, remark, true);
}

void FieldGrid::AddByteRow(const QString& name, const QString& remark, uint8_t value) {
    model_.Append({name, QStringLiteral("0 x ") + hexDigits(value, 2), decimalRemark(value, remark)});
}

void FieldGrid::AddColorRow(const QString& name, uint32_t colour) {
    FieldRow row{name, q(FormatDWordHex(colour)), {}};
    row.tag = RowTag::ColorSwatch;
    row.colour = colour;
    model_.Append(std::move(row));
}

void FieldGrid::AddDateRow(const QString& name, const QString& remark, uint16_t days) {
    const QString text = days == 0 || days == 0xFFFF
                             ? kDashes
                             : QDate(1997, 1, 1).addDays(days).toString(QStringLiteral("yyyy-MM-dd"));
    model_.Append({name, text, remark});
}

void FieldGrid::AddDWordRow(const QString& name, const QString& remark, uint32_t value) {
    model_.Append(
        {name, value == 0xFFFFFFFFu ? QStringLiteral("0xFFFFFFFF") : QString::number(value), remark});
}

void FieldGrid::AddFloatRow(const QString& name, const QString& remark, float value) {
    model_.Append({name, floatText(value), remark});
}

void FieldGrid::AddInt64HexRow(const QString& name, const QString& remark, int64_t value) {
    model_.Append(
        {name, q(FormatHex32Spaced(value)), remark.isEmpty() ? QStringLiteral("(%1)").arg(value) : remark});
}

void FieldGrid::AddHexDecRow(const QString& name, const QString& remark, uint32_t value) {
    model_.Append({name, q(FormatDWordHex(value)), decimalRemark(value, remark)});
}

void FieldGrid::AddHex64Row(const QString& name, const QString& remark, uint32_t low, uint32_t high) {
    AddHex64Row(name, remark, uint64_t(high) << 32 | low);
}

void FieldGrid::AddHex64Row(const QString& name, const QString& remark, uint64_t value) {
    model_.Append({name, QStringLiteral("0 x ") + hexDigits(value, 16), remark});
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

void FieldGrid::AddLatLonRow(const QString& name, bool withMaker, const TLN_Point& point) {
    // The remark is the stored values' degrees also when the value shows dashes for an invalid coordinate.
    QString remark = q(FormatDegrees(point.Y)) + QStringLiteral(" / ") + q(FormatDegrees(point.X));
    if (withMaker) remark += QStringLiteral("  (") + q(DataMakerName(point)) + QLatin1Char(')');
    if (point.Y == kInvalidCoordinate || point.X == kInvalidCoordinate) {
        model_.Append({name, kDashes, remark});
        return;
    }
    model_.Append(
        {name, q(FormatLatitude(point.Y)) + QStringLiteral(" / ") + q(FormatLongitude(point.X)), remark});
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
    model_.Append({name, q(FormatWordHex(value)), decimalRemark(value, remark)});
}

void FieldGrid::AddDWordHexDecRow(const QString& name, const QString& remark, int64_t value) {
    model_.Append({name, q(FormatHex64Spaced(value)), decimalRemark(value, remark)});
}

void FieldGrid::SetVirtualRows(int count, RowTextProvider provider) {
    model_.SetVirtualRows(count, std::move(provider));
}

int FieldGrid::AddImage(const QImage& image) {
    return model_.AddImage(image);
}
