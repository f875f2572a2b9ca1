// Index tables read record by record.
#include "mainwindow/model/index/IndexTable.h"

#include <algorithm>
#include <stdexcept>

#include "kiwi/display/KiwiFormat.h"
#include "kiwi/index/IndexManager.h"
#include "kiwi/io/BoundedRead.h"

namespace {

// The most of one record that is read (a stored size can claim gigabytes).
constexpr int64_t kMaxRecordBytes = int64_t(1) << 20;

TLN_IndexManager& need(TLN_IndexManager* reader) {
    if (!reader) throw std::runtime_error("IndexManager does not exist!");
    return *reader;
}

// The stream of the file an address names ("" is the index data itself).
std::shared_ptr<TLN_Stream> streamOf(TLN_IndexManager& reader, const TLN_Additional_Address& at) {
    return at.FileName.empty() ? reader.SharedStream() : reader.OpenDataFile(at.FileName);
}

IndexLayout layoutOf(TLN_IndexManager& reader, const TLN_Additional_Address& at, uint32_t sizeWords) {
    TLN_Definition_Frame definition;
    if (!at.Exists() || !reader.ReadDataDefinition(at, definition, int64_t(sizeWords) * 2)) return {};
    return IndexLayout(definition);
}

// A table over the data at `data` (frame size in words) with its records from start.
std::shared_ptr<IndexTable> table(TLN_IndexManager& reader, QString caption, QString representation,
                                  IndexLayout layout, const TLN_Additional_Address& data, uint32_t frameWords,
                                  int64_t start, uint32_t recordWords, int64_t count) {
    IndexTableSource source;
    if (data.Exists() && layout.ColumnCount() > 0) {
        source.stream = streamOf(reader, data);
        source.start = start;
        source.recordSize = int64_t(recordWords) * 2;
        source.count = std::max<int64_t>(count, 0);
        source.frameEnd = data.DataPosition + int64_t(frameWords) * 2;
    }
    return std::make_shared<IndexTable>(std::move(caption), std::move(representation), std::move(layout),
                                        std::move(source));
}

QString representationOf(const TLN_Detailed_Info_Rec& record) {
    const QString text = record.Representation.Text.text.trimmed();
    return text.isEmpty() ? QString::fromStdString(record.DataDeclaration) : text;
}

} // namespace

IndexTable::IndexTable(QString caption, QString representation, IndexLayout layout, IndexTableSource source)
    : caption_(std::move(caption)), representation_(std::move(representation)), layout_(std::move(layout)),
      source_(std::move(source)), declared_(std::max<int64_t>(source_.count, 0)) {
    // A hostile count never reaches past the frame, so no row position can overflow.
    const int64_t room = std::max<int64_t>(0, end() - source_.start);
    const int64_t smallest = Sequential() ? 2 : source_.recordSize;
    source_.count = smallest > 0 && source_.start >= 0 ? std::min(declared_, room / smallest) : 0;
}

QString IndexTable::CountRemark() const {
    if (source_.count >= declared_) return {};
    return caption_ + QStringLiteral(": объявлено записей %1, в кадре умещается %2")
                          .arg(QString::fromStdString(FormatNumberGrouped(declared_)))
                          .arg(QString::fromStdString(FormatNumberGrouped(source_.count)));
}

std::shared_ptr<IndexTable> IndexTable::OpenFSLZCategory(TLN_IndexManager* reader,
                                                         const TLN_Detailed_Info_Rec& record) {
    return OpenCategory(reader, record, false);
}

std::shared_ptr<IndexTable> IndexTable::OpenCategory(TLN_IndexManager* reader,
                                                     const TLN_Detailed_Info_Rec& record, bool nextLevel,
                                                     int64_t firstRecord, int64_t count) {
    TLN_IndexManager& index = need(reader);
    IndexLayout layout = layoutOf(index, record.CategoryDefinition, record.CategoryDefinitionSize);
    if (nextLevel && firstRecord >= 0)
        return table(index, QStringLiteral("CATEGORY"), representationOf(record), std::move(layout),
                     record.NextLevel, record.NextLevelSize, firstRecord, record.CategoryOptionRecordSize,
                     count);
    const TLN_Additional_Address& data = record.CategoryData;
    return table(index, QStringLiteral("CATEGORY"), representationOf(record), std::move(layout), data,
                 record.CategoryDataSize, data.DataPosition + int64_t(record.FirstLevelCategoryOffset) * 2,
                 record.CategoryOptionRecordSize, record.FirstLevelOptionCount);
}

std::shared_ptr<IndexTable> IndexTable::OpenMatching(TLN_IndexManager* reader,
                                                     const TLN_Detailed_Info_Rec& record) {
    TLN_IndexManager& index = need(reader);
    IndexLayout layout = layoutOf(index, record.MatchingDefinition, record.MatchingDefinitionSize);
    return table(index, QStringLiteral("MATCHING"), representationOf(record), std::move(layout),
                 record.MatchingData, record.MatchingDataSize, record.MatchingData.DataPosition,
                 record.MatchingRecordSize, record.MatchingRecordCount);
}

std::shared_ptr<IndexTable> IndexTable::OpenPOIInfo(TLN_IndexManager* reader,
                                                    const TLN_Detailed_POIInfo_Rec& record) {
    TLN_IndexManager& index = need(reader);
    IndexLayout layout = layoutOf(index, record.Definition, record.DefinitionSize);
    return table(index, QStringLiteral("POI INFO"), QStringLiteral("POI Info Table"), std::move(layout),
                 record.Data, record.DataSize, record.Data.DataPosition, record.RecordSize,
                 record.RecordCount);
}

int64_t IndexTable::end() const {
    return source_.stream ? std::min(source_.frameEnd, source_.stream->Size()) : 0;
}

int64_t IndexTable::storedLength(int64_t position) const {
    if (layout_.LengthMode() == IndexLengthMode::ByteAtOne) {
        const auto bytes = bounded::readRecord<1>(*source_.stream, position + 1);
        return bytes.complete() ? int64_t(bytes.cursor().u8(0)) * 2 : 0;
    }
    const auto bytes = bounded::readRecord<2>(*source_.stream, position + 2);
    return bytes.complete() ? int64_t(bytes.cursor().u16(0)) * 2 : 0;
}

std::optional<int64_t> IndexTable::SeekRecord(int64_t n) {
    if (n < 0 || n >= source_.count) return std::nullopt;
    if (!Sequential()) {
        const int64_t position = source_.start + n * source_.recordSize;
        if (source_.recordSize <= 0 || position + source_.recordSize > end()) return std::nullopt;
        return position;
    }
    if (positions_.empty() && !walkStopped_) {
        if (source_.start < 0 || source_.start >= end())
            walkStopped_ = true;
        else
            positions_.push_back(source_.start);
    }
    // Each next record starts where the one before ends; a length of 0 or one past the frame ends the walk.
    while (int64_t(positions_.size()) <= n && !walkStopped_) {
        const int64_t last = positions_.back();
        const int64_t length = storedLength(last);
        if (length <= 0 || last + length >= end()) {
            walkStopped_ = true;
            break;
        }
        positions_.push_back(last + length);
    }
    if (n >= int64_t(positions_.size())) return std::nullopt;
    return positions_[size_t(n)];
}

int64_t IndexTable::KnownRecords() const {
    return Sequential() ? int64_t(positions_.size()) : source_.count;
}

const std::vector<uint8_t>& IndexTable::record(int64_t n) {
    if (n == memoRow_) return memo_;
    memoRow_ = n;
    memo_.clear();
    const auto position = SeekRecord(n);
    if (!position) return memo_;
    const int64_t length = Sequential() ? storedLength(*position) : source_.recordSize;
    if (length <= 0 || *position + length > end()) return memo_;
    memo_ = bounded::readBytes(*source_.stream, *position, std::min(length, kMaxRecordBytes));
    ++reads_;
    return memo_;
}

QString IndexTable::FieldText(int64_t row, int column) {
    return layout_.FieldText(record(row), column);
}

std::optional<uint32_t> IndexTable::FieldDWord(int64_t row, int column) {
    return layout_.FieldDWord(record(row), column);
}

std::optional<QString> IndexTable::FieldText(int64_t row, const std::string& name) {
    const int column = layout_.FindColumn(name);
    if (column < 0) return std::nullopt;
    return FieldText(row, column);
}

std::optional<uint32_t> IndexTable::FieldDWord(int64_t row, const std::string& name) {
    const int column = layout_.FindColumn(name);
    if (column < 0) return std::nullopt;
    return FieldDWord(row, column);
}
