// The dictionary's table model.
#include "converter/names/DictionaryTableModel.h"

#include "converter/output/OutputEncoding.h"
#include "platform/CodePage.h"

namespace {

constexpr int kSearchMinimum = 6;

QString decoded(const std::string& text) {
    return decodeFromCodePage(QByteArrayView(text.data(), qsizetype(text.size())), kAnsiCodePage);
}

} // namespace

std::optional<std::string> DictionaryText(const QString& text) {
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) return std::nullopt;
    const QByteArray bytes = encodeToCodePage(text, kAnsiCodePage);
    if (bytes.count('?') != text.count(QLatin1Char('?'))) return std::nullopt;
    return std::string(bytes.constData(), size_t(bytes.size()));
}

DictionaryTableModel::DictionaryTableModel(LatRusDictionary& dictionary, QObject* parent)
    : QAbstractTableModel(parent), dictionary_(dictionary) {}

int DictionaryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : dictionary_.Count();
}

int DictionaryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant DictionaryTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= dictionary_.Count()) return {};
    return index.column() == 0 ? Key(index.row()) : Translation(index.row());
}

QVariant DictionaryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return section == 0 ? QStringLiteral("Key") : QStringLiteral("Value");
}

QString DictionaryTableModel::Key(int row) const {
    return row >= 0 && row < Count() ? decoded(dictionary_.GetLatin(row)) : QString();
}

QString DictionaryTableModel::Translation(int row) const {
    return row >= 0 && row < Count() ? decoded(dictionary_.GetTranslation(row)) : QString();
}

bool DictionaryTableModel::SetTranslation(int row, const QString& text) {
    const std::optional<std::string> stored = DictionaryText(text.trimmed());
    if (row < 0 || row >= Count() || !stored) return false;
    dictionary_.SetTranslation(row, *stored);
    emit dataChanged(index(row, 1), index(row, 1));
    return true;
}

bool DictionaryTableModel::ClearTranslation(int row) {
    return SetTranslation(row, {});
}

bool DictionaryTableModel::RemoveEntry(int row) {
    if (row < 0 || row >= Count()) return false;
    beginRemoveRows({}, row, row);
    dictionary_.DeleteAt(row);
    endRemoveRows();
    return true;
}

int DictionaryTableModel::AddPair(const QString& key, const QString& value) {
    const std::optional<std::string> k = DictionaryText(key.trimmed());
    const std::optional<std::string> v = DictionaryText(value.trimmed());
    if (!k || !v || k->empty() || v->empty() || k->find('=') != std::string::npos) return -1;
    const int existing = dictionary_.IndexOfLatin(*k);
    if (existing >= 0) {
        dictionary_.SetPair(*k, *v);
        emit dataChanged(index(existing, 1), index(existing, 1));
        return existing;
    }
    const int row = dictionary_.LowerBound(*k);
    beginInsertRows({}, row, row);
    const int added = dictionary_.SetPair(*k, *v);
    endInsertRows();
    return added;
}

int DictionaryTableModel::RowOfKey(const QString& key) const {
    const std::optional<std::string> k = DictionaryText(key.trimmed());
    return k && !k->empty() ? dictionary_.IndexOfLatin(*k) : -1;
}

int DictionaryTableModel::SearchKey(const QString& text) const {
    if (Count() < kSearchMinimum || text.isEmpty()) return -1;
    const QByteArray bytes = encodeToCodePage(text, kAnsiCodePage);
    const int row = dictionary_.LowerBound(std::string_view(bytes.constData(), size_t(bytes.size())));
    return std::min(row, Count() - 1);
}

QString DictionaryTableModel::Caption(int count) {
    return QStringLiteral("Dictionary  (%1 records)").arg(count);
}

QString DictionaryTableModel::CountLabel(int count) {
    return QStringLiteral("%1 records in Dictionary").arg(count);
}
