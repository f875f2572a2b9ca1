// One index table of the search data (category, matching or POI information data) read record by record
// from its data frame: a read-only table whose columns come from its data definition and whose fields are
// shown as text. Records of variable length are found by walking the stored lengths, remembered so that
// a record is reached again without walking.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "kiwi/io/Stream.h"
#include "mainwindow/model/index/IndexLayout.h"

class TLN_IndexManager;
struct TLN_Additional_Address;
struct TLN_Definition_Frame;
struct TLN_Detailed_Info_Rec;
struct TLN_Detailed_POIInfo_Rec;

// Where a table's records lie.
struct IndexTableSource {
    std::shared_ptr<TLN_Stream> stream;
    int64_t start = 0;      // the first record
    int64_t recordSize = 0; // bytes of a fixed-size record
    int64_t count = 0;      // records declared (the table keeps only those that fit in the frame)
    int64_t frameEnd = 0;   // no record is read past this position (nor past the stream)
};

class IndexTable {
public:
    IndexTable(QString caption, QString representation, IndexLayout layout, IndexTableSource source);

    // The four ways the main window opens a table. They raise std::runtime_error("IndexManager does not
    // exist!") without a reader and EIndexDataFileMissing when a data file is missing (callers ask
    // DataFileExists first); a definition that does not read gives a table without columns or records.
    // The category frames of a zone-selection search record.
    static std::shared_ptr<IndexTable> OpenFSLZCategory(TLN_IndexManager* reader,
                                                        const TLN_Detailed_Info_Rec& record);
    // The category data of a search record: its first-level category (firstRecord < 0), or count records
    // from firstRecord in the next-level frame (its records keep the category's size and columns).
    static std::shared_ptr<IndexTable> OpenCategory(TLN_IndexManager* reader,
                                                    const TLN_Detailed_Info_Rec& record, bool nextLevel,
                                                    int64_t firstRecord = -1, int64_t count = 0);
    static std::shared_ptr<IndexTable> OpenMatching(TLN_IndexManager* reader,
                                                    const TLN_Detailed_Info_Rec& record);
    // Caption "POI INFO".
    static std::shared_ptr<IndexTable> OpenPOIInfo(TLN_IndexManager* reader,
                                                   const TLN_Detailed_POIInfo_Rec& record);

    const QString& Caption() const { return caption_; }
    // The name shown beside the table's grid ("POI Info Table", a search kind, ...).
    const QString& Representation() const { return representation_; }
    const IndexLayout& Layout() const { return layout_; }
    int ColumnCount() const { return layout_.ColumnCount(); }
    // The records that fit between the first record and the frame's end (a fixed-size record whole, a
    // record of variable length at least one word), at most the count the data declares.
    int64_t RecordCount() const { return source_.count; }
    int64_t DeclaredCount() const { return declared_; }
    // Said where the table is opened when fewer records fit than are declared; empty when all fit.
    QString CountRemark() const;
    // The stream the records are read from (the hex viewer shows a record in it).
    const std::shared_ptr<TLN_Stream>& Stream() const { return source_.stream; }
    // Records of variable length: reaching record n means walking the lengths of those before it.
    bool Sequential() const { return layout_.LengthMode() != IndexLengthMode::Fixed; }

    // The position of record n; nullopt outside 0 .. count - 1 and for records after a stored length of 0
    // or one that runs past the frame (the walk stops there).
    std::optional<int64_t> SeekRecord(int64_t n);
    // How many record positions are known without walking further (all for fixed-size records).
    int64_t KnownRecords() const;
    // The text of a field; empty for a record or column that cannot be read.
    QString FieldText(int64_t row, int column);
    std::optional<uint32_t> FieldDWord(int64_t row, int column);
    // The field of the column of that name; nullopt when the table has no such column.
    std::optional<QString> FieldText(int64_t row, const std::string& name);
    std::optional<uint32_t> FieldDWord(int64_t row, const std::string& name);
    // Records read from the stream so far (each field of the last record read comes from memory).
    int64_t RecordReads() const { return reads_; }

private:
    // The bytes of record n (memo of the last one); empty when it cannot be read.
    const std::vector<uint8_t>& record(int64_t n);
    // The record length stored at position (mode 1 or 2), in bytes; 0 when it cannot be read.
    int64_t storedLength(int64_t position) const;
    int64_t end() const;

    QString caption_;
    QString representation_;
    IndexLayout layout_;
    IndexTableSource source_;
    int64_t declared_ = 0;
    // Positions of the records walked so far (variable length), and whether the walk was stopped.
    std::vector<int64_t> positions_;
    bool walkStopped_ = false;
    int64_t memoRow_ = -1;
    std::vector<uint8_t> memo_;
    int64_t reads_ = 0;
};
