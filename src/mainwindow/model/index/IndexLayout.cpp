// Reading index table records column by column.
#include "mainwindow/model/index/IndexLayout.h"

#include <algorithm>

#include <QStringList>

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiText.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/index/IndexRecords.h"

namespace {

// Widths of columns whose element count would make them wider are cut to this many characters.
constexpr int kMaxDisplayWidth = 80;
// Bytes of one P6 element: two 24-bit sign-magnitude values, latitude then longitude.
constexpr int64_t kP6Bytes = 6;

bool is(const std::string& type, std::initializer_list<const char*> types) {
    for (const char* t : types)
        if (type == t) return true;
    return false;
}

// n bits (at most 32) from (byte, bit), most significant first; nullopt past the record.
std::optional<uint32_t> readBits(std::span<const uint8_t> record, int64_t byte, int bit, int n) {
    const int64_t last = byte + (bit + n - 1) / 8;
    if (byte < 0 || n <= 0 || last >= int64_t(record.size())) return std::nullopt;
    uint32_t value = 0;
    for (int i = 0; i < n; ++i) {
        const int64_t at = byte + (bit + i) / 8;
        const int shift = 7 - (bit + i) % 8;
        value = value << 1 | ((record[size_t(at)] >> shift) & 1u);
    }
    return value;
}

QString hexValue(uint32_t value, int digits) {
    return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0')) + QLatin1Char('h');
}

// Map text: decoded, cut at its first NUL.
QString mapText(std::span<const uint8_t> bytes) {
    QString text =
        DecodeMapText(QByteArrayView(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString p6Text(std::span<const uint8_t> bytes) {
    const uint32_t latitude = uint32_t(bytes[0]) << 16 | uint32_t(bytes[1]) << 8 | bytes[2];
    const uint32_t longitude = uint32_t(bytes[3]) << 16 | uint32_t(bytes[4]) << 8 | bytes[5];
    return QString::fromStdString(FormatLatitude(SignMag24ToInt(latitude))) + QLatin1Char('/') +
           QString::fromStdString(FormatLongitude(SignMag24ToInt(longitude)));
}

} // namespace

IndexLayout::IndexLayout(const TLN_Definition_Frame& definition) {
    columns_.reserve(definition.Columns.size());
    for (const TLN_Definition_Column& stored : definition.Columns) {
        IndexColumn column;
        column.name = stored.Name;
        column.type = stored.TypeCode;
        column.countCode = stored.CountCode();
        column.count = column.countCode.empty() ? stored.ElementCount : 0;
        column.width = DisplayWidth(column);
        columns_.push_back(std::move(column));
    }
    const int lengths = FindColumn("FDRL");
    if (lengths >= 0) {
        const std::string& type = columns_[size_t(lengths)].type;
        if (type == "UB") lengthMode_ = IndexLengthMode::ByteAtOne;
        if (type == "UW" || type == "WD") lengthMode_ = IndexLengthMode::WordAtTwo;
    }
}

int IndexLayout::FindColumn(const std::string& name) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].name == name) return int(i);
    return -1;
}

int IndexLayout::ElementBits(const std::string& type) {
    if (is(type, {"UW", "WD"})) return 16;
    if (is(type, {"UL", "LG"})) return 32;
    if (is(type, {"UB", "BT", "CH", "MC", "VC", "SG"})) return 8;
    if (is(type, {"UH", "HB"})) return 4;
    if (type == "BF") return 1;
    if (type == "P6") return 48;
    return 0;
}

int IndexLayout::DisplayWidth(const IndexColumn& column) {
    const std::string& type = column.type;
    const std::string& code = column.countCode;
    const int elements = code.empty() ? std::max<int>(column.count, 1) : 1;
    int width = 0;
    if (is(type, {"UL"}) && code == "UB")
        width = 25;
    else if (column.name == "ZIPN")
        width = 10;
    else if (column.name == "RLXY")
        width = 26;
    else if (type == "CH" && code == "UB")
        width = 40;
    else if ((type == "UH" && code == "UH") || (type == "UW" && code == "UW"))
        width = 12;
    else if (is(type, {"UW", "WD"}))
        width = 5 * elements;
    else if (is(type, {"UL", "LG"}))
        width = 9 * elements;
    else if (is(type, {"UB", "CH", "VC"}))
        width = 3 * elements;
    else if (type == "BF")
        width = elements;
    else if (type == "MC")
        width = 40;
    return std::min(width, kMaxDisplayWidth);
}

std::optional<IndexLayout::Place> IndexLayout::Locate(std::span<const uint8_t> record, int target) const {
    if (target < 0 || target >= ColumnCount()) return std::nullopt;
    const auto size = int64_t(record.size());
    int64_t byte = 0;
    int bit = 0;
    // A presence mask ("STFG") and the first column it speaks for.
    std::vector<uint8_t> mask;
    int maskFrom = -1;
    for (int c = 0; c <= target; ++c) {
        const IndexColumn& column = columns_[size_t(c)];
        if (maskFrom >= 0) {
            const int64_t k = c - maskFrom;
            if (k < int64_t(mask.size()) * 8 && !((mask[size_t(k / 8)] >> (7 - k % 8)) & 1)) {
                if (c == target) return Place{byte, bit, 0, false};
                continue; // absent columns take no space
            }
        }
        int64_t count = column.count;
        if (column.countCode == "UB" || column.countCode == "UW") {
            const int bytes = column.countCode == "UB" ? 1 : 2;
            if (byte + bytes > size) return std::nullopt;
            count = bytes == 1 ? record[size_t(byte)]
                               : int64_t(record[size_t(byte)]) << 8 | record[size_t(byte) + 1];
            byte += bytes;
        } else if (column.countCode == "UH") {
            const auto nibble = readBits(record, byte, bit, 4);
            if (!nibble) return std::nullopt;
            count = *nibble;
            bit += 4;
            byte += bit / 8;
            bit %= 8;
        }
        const int bits = ElementBits(column.type);
        // A type this table does not know: where the later columns lie cannot be told.
        if (bits == 0) return std::nullopt;
        const Place place{byte, bit, count, true};
        if (c == target) return place;
        if (column.name == "STFG" && column.type == "UB") {
            if (byte + count > size) return std::nullopt;
            mask.assign(record.begin() + byte, record.begin() + byte + count);
            maskFrom = c + 1;
        }
        if (column.type == "VC") {
            for (int64_t e = 0; e < count; ++e) {
                if (byte >= size) return std::nullopt;
                byte += record[size_t(byte)] >= 130 ? 2 : 1;
            }
        } else if (bits % 8 == 0) {
            byte += count * (bits / 8);
        } else {
            const int64_t total = bit + count * bits;
            byte += total / 8;
            bit = int(total % 8);
        }
        if (byte > size) return std::nullopt;
    }
    return std::nullopt;
}

QString IndexLayout::FieldText(std::span<const uint8_t> record, int column) const {
    const auto place = Locate(record, column);
    if (!place || !place->present) return {};
    const IndexColumn& c = columns_[size_t(column)];
    const auto size = int64_t(record.size());
    const int bits = ElementBits(c.type);
    const int64_t count = place->count;
    // Values that run past the record are not shown.
    if (c.type != "VC" && place->byte * 8 + (bits % 8 == 0 ? 0 : place->bit) + count * bits > size * 8)
        return {};
    const auto bytes = [&](int64_t n) { return record.subspan(size_t(place->byte), size_t(n)); };
    QString text;
    if (c.name == "RLXY" && bits % 8 == 0 && count * bits / 8 >= kP6Bytes) return p6Text(bytes(kP6Bytes));
    if (c.name == "TELE" || c.type == "SG") {
        for (uint8_t b : bytes(count * bits / 8))
            text += hexValue(b, 2);
        return text;
    }
    if (is(c.type, {"CH"})) return mapText(bytes(count));
    if (c.type == "MC") {
        // One string per language, each ended by a NUL.
        const QString all = DecodeMapText(
            QByteArrayView(reinterpret_cast<const char*>(record.data() + place->byte), qsizetype(count)));
        QStringList languages = all.split(QChar(0), Qt::SkipEmptyParts);
        return languages.join(QStringLiteral(" / "));
    }
    if (c.type == "VC") {
        int64_t at = place->byte;
        for (int64_t e = 0; e < count && at < size; ++e)
            at += record[size_t(at)] >= 130 ? 2 : 1;
        return mapText(record.subspan(size_t(place->byte), size_t(std::min(at, size) - place->byte)));
    }
    if (c.type == "P6") {
        QStringList points;
        for (int64_t e = 0; e < count; ++e)
            points << p6Text(record.subspan(size_t(place->byte + e * kP6Bytes), size_t(kP6Bytes)));
        return points.join(QLatin1Char(' '));
    }
    // Whole-byte types are read at the byte offset; only nibble and bit types start inside a byte.
    const int bit = bits % 8 == 0 ? 0 : place->bit;
    for (int64_t e = 0; e < count; ++e) {
        const int64_t first = place->byte * 8 + bit + e * bits;
        const auto value = readBits(record, first / 8, int(first % 8), bits);
        if (!value) break;
        text += c.type == "BF" ? QString::number(*value) : hexValue(*value, bits / 4);
    }
    return text;
}

std::optional<uint32_t> IndexLayout::FieldDWord(std::span<const uint8_t> record, int column) const {
    const auto place = Locate(record, column);
    if (!place || !place->present || place->count <= 0) return std::nullopt;
    const int bits = ElementBits(columns_[size_t(column)].type);
    const int width =
        bits <= 32 && bits != 8 ? bits : (bits == 8 ? int(std::min<int64_t>(place->count, 4)) * 8 : 32);
    return readBits(record, place->byte, bits % 8 == 0 ? 0 : place->bit, width);
}
