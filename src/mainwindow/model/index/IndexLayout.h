// The columns of an index table as its data definition describes them, and how a record's bytes are read
// column by column: counts stored in the record, presence masks, nibble and bit columns, the text of each
// field by its type, and the display width of each column in characters.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <QString>

struct TLN_Definition_Frame;

struct IndexColumn {
    std::string name;      // 4 characters
    std::string type;      // 2 characters ("UB", "UW", "CH", ...)
    uint16_t count = 0;    // the element count, when no count code replaces it
    std::string countCode; // "UB", "UH" or "UW": the count is stored in each record before the values
    int width = 0;         // display width in characters
};

// How a record's length is found: fixed by the table, or stored in the record ("FDRL" column) as a word
// count in its second byte (type "UB") or in the big-endian u16 at its third byte (types "UW", "WD").
enum class IndexLengthMode { Fixed, ByteAtOne, WordAtTwo };

class IndexLayout {
public:
    IndexLayout() = default;
    explicit IndexLayout(const TLN_Definition_Frame& definition);

    const std::vector<IndexColumn>& Columns() const { return columns_; }
    int ColumnCount() const { return int(columns_.size()); }
    // The column of that name, or -1.
    int FindColumn(const std::string& name) const;
    IndexLengthMode LengthMode() const { return lengthMode_; }

    // Where a column's values lie in a record.
    struct Place {
        int64_t byte = 0;
        int bit = 0;       // 0..7, from the most significant bit of that byte
        int64_t count = 0; // elements
        bool present = true;
    };
    // The place of column in record; nullopt when it cannot be located: a column of a type this table
    // does not know comes before it (or is it), or the walk leaves the record's bytes.
    std::optional<Place> Locate(std::span<const uint8_t> record, int column) const;

    // The field's text by the column's type; empty when the column cannot be located or is absent.
    QString FieldText(std::span<const uint8_t> record, int column) const;
    // The field's first four bytes as a big-endian u32 (fewer bytes read as the high ones); nullopt when
    // it cannot be located or is absent.
    std::optional<uint32_t> FieldDWord(std::span<const uint8_t> record, int column) const;

    // The display width of a column in characters (0 for a type without one).
    static int DisplayWidth(const IndexColumn& column);
    // Bits of one element of a type; 0 for a type this table does not know. "VC" counts its first byte.
    static int ElementBits(const std::string& type);

private:
    std::vector<IndexColumn> columns_;
    IndexLengthMode lengthMode_ = IndexLengthMode::Fixed;
};
