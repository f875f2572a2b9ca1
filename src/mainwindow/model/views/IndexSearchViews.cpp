// The index data's search frames and detailed search records, row by row, and the nodes of their next
// levels.
#include "mainwindow/model/views/IndexSearchViews.h"

#include <algorithm>

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/index/IndexManager.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/index/IndexTable.h"
#include "mainwindow/model/views/IndexViewSupport.h"
#include "mainwindow/model/views/PartViewSupport.h"

using namespace indexview;
using partview::Address;
using partview::Hex32;
using partview::Text;

namespace {

// Rows of a category table that become next-level nodes at most.
constexpr int64_t kMaxNextLevelNodes = 5000;

QString s(const char* text) {
    return QString::fromUtf8(text);
}

bool is(const std::string& kind, std::initializer_list<const char*> kinds) {
    for (const char* k : kinds)
        if (kind == k) return true;
    return false;
}

// The next-level kind of a search kind and the field whose value locates a row's next level.
struct NextLevelRule {
    int kind;
    const char* field;
};

NextLevelRule ruleOf(const std::string& searchKind) {
    if (is(searchKind, {"SRNC", "SRAR"})) return {kNextLevelNC, "FNST"};
    if (is(searchKind, {"SRAG", "SRHG"})) return {kNextLevelAG, "NXST"};
    if (searchKind == "SRBT") return {kNextLevelBT, "NXST"};
    if (searchKind == "SRZN") return {kSearchFrame, "NXST"};
    if (is(searchKind, {"SRTN", "SRT1"})) return {kNextLevelTN, "NXST"};
    if (searchKind == "SRHZ") return {kNextLevelHZ, "NEXT"};
    if (searchKind == "SRME") return {kNextLevelME, "NXST"};
    // "SRMX", "SRHA", "SRFW" and every kind the table does not name.
    return {kNextLevelDefault, "NEXT"};
}

bool fileReadable(const TLN_IndexManager& reader, const TLN_Additional_Address& at) {
    return at.Exists() && (at.FileName.empty() || reader.DataFileExists(at.FileName));
}

void detailedRecordRows(FieldGrid& grid, const TLN_Detailed_Info_Rec& r) {
    grid.AddTextRow(s("Data Declaration"), Text(r.DataDeclaration));
    Hex32(grid, s("Expansion Field Size"), r.ExpansionFieldSize);
    Address(grid, s("Offset to Expansion Field"), WordOffsetToPosition(r.ExpansionFieldOffset, 0));
    Hex32(grid, s("Category Definition Frame Size"), r.CategoryDefinitionSize);
    FileAddress(grid, s("Address to the Category Definition Frame"), r.CategoryDefinition);
    Hex32(grid, s("Category Data Frame Size"), r.CategoryDataSize);
    FileAddress(grid, s("Address to the Category Data Frame"), r.CategoryData);
    grid.AddTextRow(s("Default Keyboard Designation"), Text(r.KeyboardDesignation));
    Hex32(grid, s("Category Parent Record Size"), r.CategoryParentRecordSize);
    Hex32(grid, s("Category Option Record Size"), r.CategoryOptionRecordSize);
    Hex32(grid, s("First-level Category Size"), r.FirstLevelCategorySize);
    grid.AddDWordRow(s("Number of the Option Items of First-level Category"), {}, r.FirstLevelOptionCount);
    Address(grid, s("Offset to First-level Category"), WordOffsetToPosition(r.FirstLevelCategoryOffset, 0));
    grid.AddTextRow(s("Keyboard Designation for the First-level Category"),
                    Text(r.FirstLevelKeyboardDesignation));
    Hex32(grid, s("Matching Data Definition Frame Size"), r.MatchingDefinitionSize);
    FileAddress(grid, s("Matching Data Definition Frame Address"), r.MatchingDefinition);
    Hex32(grid, s("Matching Data Frame Size"), r.MatchingDataSize);
    FileAddress(grid, s("Matching Data Frame Address"), r.MatchingData);
    Hex32(grid, s("Size of the Record of Matching Data Frame"), r.MatchingRecordSize);
    grid.AddDWordRow(s("Total Number of the Records of Matching Data Frame"), {}, r.MatchingRecordCount);
    grid.AddDWordRow(s("Default POI Information Serial Number"), {}, r.DefaultPOISerialNumber);
    Hex32(grid, s("Next-level Data Frame Size"), r.NextLevelSize);
    FileAddress(grid, s("Next-level Data Frame Address"), r.NextLevel);
    grid.AddTextRow(s("Character Information Data List for Representation Items"),
                    r.Representation.Text.text);
}

// The category definition, the parent record and the matching definition of a record.
void definitionRows(FieldGrid& grid, TLN_IndexManager& reader, const TLN_Detailed_Info_Rec& r,
                    const QString& categoryTitle, const QString& matchingTitle,
                    const TLN_Additional_Address& parentRecord) {
    if (r.CategoryDefinition.Exists())
        CategoryDefinition(grid, reader, categoryTitle, r.CategoryDefinition, r.CategoryDefinitionSize);
    TLN_Definition_Frame definition;
    if (parentRecord.Exists() && r.CategoryParentRecordSize > 0 &&
        fileReadable(reader, r.CategoryDefinition) && fileReadable(reader, parentRecord) &&
        reader.ReadDataDefinition(r.CategoryDefinition, definition, int64_t(r.CategoryDefinitionSize) * 2))
        CategoryParentRecord(grid, reader, parentRecord, definition);
    if (r.MatchingDefinition.Exists())
        CategoryDefinition(grid, reader, matchingTitle, r.MatchingDefinition, r.MatchingDefinitionSize);
}

// The nearest detailed search record above node (or node itself).
const RecordNode* searchRecordOf(const RecordNode& node) {
    for (const RecordNode* at = &node; at; at = at->parent)
        if (at->kind == kSearchItem) return at;
    return nullptr;
}

std::unique_ptr<RecordNode> frameNode(const RecordNode& item, const QString& caption, int64_t index,
                                      TLN_IndexManager& reader, const TLN_Additional_Address& at,
                                      bool fileAddresses) {
    auto node = RecordNode::MakeChild(&item, kSearchFrame, caption, index);
    node->recordOffset = at.DataPosition;
    node->fileName = at.FileName;
    node->stream = FileStream(reader, at.FileName);
    node->extra = fileAddresses ? 1 : 0;
    node->indexDepth = item.indexDepth + 1;
    return node;
}

} // namespace

std::vector<std::unique_ptr<RecordNode>> SearchFrameItems(KindContext& context, RecordNode& frameNode) {
    const auto reader = ReaderOf(context, frameNode);
    TLN_Additional_Address at;
    at.DataPosition = frameNode.recordOffset;
    at.FileName = frameNode.fileName;
    TLN_Search_Frame_Header header;
    if (!reader || !fileReadable(*reader, at) ||
        !reader->ReadSearchFrameHeader(at, frameNode.extra != 0, header))
        return {};
    return FrameItems(frameNode, *reader, header, kSearchItem, TLN_Detailed_Info_Rec::Length);
}

std::vector<std::unique_ptr<RecordNode>> NextLevelNodes(KindContext& context, const RecordNode& item,
                                                        const TLN_Detailed_Info_Rec& record,
                                                        IndexTable* category) {
    std::vector<std::unique_ptr<RecordNode>> nodes;
    const auto reader = ReaderOf(context, item);
    if (!reader) return nodes;
    const std::string& kind = record.DataDeclaration;
    const NextLevelRule rule = ruleOf(kind);
    const TLN_Additional_Address& next = record.NextLevel;
    const int64_t base = next.Exists() ? next.DataPosition : 0;
    const std::shared_ptr<TLN_Stream> nextStream =
        fileReadable(*reader, next) ? FileStream(*reader, next.FileName) : item.stream;
    const int64_t rows = category ? std::min(category->RecordCount(), kMaxNextLevelNodes) : 0;
    for (int64_t row = 0; row < rows; ++row) {
        const auto value = category->FieldDWord(row, rule.field);
        if (!value) break; // the table has no such column: no next levels
        if (kind == "SRBT" && category->FieldText(row, "NXKD") != s("1h")) continue;
        const QString numbered = s("Item ") + QString::number(row);
        if (rule.kind == kSearchFrame) {
            // A zone: its search frame lies in the file the row names.
            TLN_Additional_Address at;
            at.DataPosition = int64_t(*value) * 2;
            at.FileName = category->FieldText(row, "NXFM").value_or(QString()).trimmed().toStdString();
            const auto zone = category->FieldDWord(row, "SZCD");
            nodes.push_back(
                frameNode(item, reader->GetZoneName(zone.value_or(0)), row, *reader, at, item.extra != 0));
            continue;
        }
        const bool byValue = rule.kind == kNextLevelAG;
        auto node = RecordNode::MakeChild(
            &item, rule.kind, byValue ? s("0x") + QString::number(*value, 16).toUpper() : numbered, row);
        node->indexDepth = item.indexDepth + 1;
        if (rule.kind == kNextLevelNC) {
            // Its level lies in the search frame's own file.
            node->recordOffset = int64_t(*value) * 2;
        } else {
            node->recordOffset = base + (byValue ? int64_t(*value) : int64_t(*value) * 2);
            node->stream = nextStream;
            // Without a next-level frame the level lies in the search record's own file.
            node->fileName = next.Exists() ? next.FileName : item.fileName;
        }
        nodes.push_back(std::move(node));
    }
    if (next.Exists()) {
        TLN_Search_Frame_Header header;
        if (kind == "SRMX" && fileReadable(*reader, next) &&
            reader->ReadSearchFrameHeader(next, item.extra != 0, header) && header.DataDeclaration == "DFSR")
            nodes.push_back(frameNode(item, s("Degenerate Next Level"), int64_t(nodes.size()), *reader, next,
                                      item.extra != 0));
        nodes.push_back(
            frameNode(item, s("Next Level"), int64_t(nodes.size()), *reader, next, item.extra != 0));
    }
    return nodes;
}

void ShowDetailedSearchRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const auto reader = ReaderOf(context, node);
    const auto frame = FrameOfItems(context, node);
    grid.AddSectionHeaderAt(s("Detailed Search Information Record ") + QString::number(node.index), {},
                            node.recordOffset);
    TLN_Detailed_Info_Rec record;
    if (!reader || !frame || ShowWhenMissing(grid, *reader, frame->at.FileName) ||
        !DetailedSearchRecordOf(context, node, record))
        return;
    detailedRecordRows(grid, record);
    definitionRows(grid, *reader, record, s("Category Definition Frame"), s(" Matching Data Definition"),
                   record.CategoryData);
    std::shared_ptr<IndexTable> category;
    if (record.CategoryData.Exists() && !ShowWhenMissing(grid, *reader, record.CategoryData.FileName)) {
        category = IndexTable::OpenCategory(reader.get(), record, false);
        ShowTable(context, IndexGrid::Category, category);
    }
    if (record.MatchingData.Exists() && !ShowWhenMissing(grid, *reader, record.MatchingData.FileName))
        ShowTable(context, IndexGrid::Matching, IndexTable::OpenMatching(reader.get(), record));
    if (node.children.empty() && category)
        AddOnce(context, node, NextLevelNodes(context, node, record, category.get()));
}

void ShowSearchFrame(KindContext& context, RecordNode& node) {
    const auto reader = ReaderOf(context, node);
    if (!reader) return;
    TLN_Additional_Address at;
    at.DataPosition = node.recordOffset;
    at.FileName = node.fileName;
    TLN_Search_Frame_Header header;
    if (!SearchFrameHeader(context.grid, node, *reader, s("Search Frame ") + QString::number(node.index), at,
                           node.extra != 0, header))
        return;
    AddOnce(context, node, FrameItems(node, *reader, header, kSearchItem, TLN_Detailed_Info_Rec::Length));
}

void ShowNextLevel(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const auto reader = ReaderOf(context, node);
    const RecordNode* item = searchRecordOf(node);
    TLN_Detailed_Info_Rec record;
    // A level lies in the next-level frame ("SRNC" and "SRAR" levels in the search frame's own file): a
    // record without one has no next-level data, and its sections stay empty as for a category without
    // records (its row values then point into the file's own header).
    if (!reader || !item || !DetailedSearchRecordOf(context, *item, record) ||
        (node.kind != kNextLevelNC && !record.NextLevel.Exists())) {
        for (const char* title : {" Category Definition", "Category Parent Record", " Matching Definition"})
            grid.AddSectionHeader(s(title));
        return;
    }
    TLN_Additional_Address here;
    here.DataPosition = node.recordOffset;
    here.FileName = node.fileName;
    const bool readable = fileReadable(*reader, here);
    if (record.CategoryDefinition.Exists())
        CategoryDefinition(grid, *reader, s(" Category Definition"), record.CategoryDefinition,
                           record.CategoryDefinitionSize);
    TLN_Definition_Frame definition;
    if (readable && fileReadable(*reader, record.CategoryDefinition) &&
        reader->ReadDataDefinition(record.CategoryDefinition, definition,
                                   int64_t(record.CategoryDefinitionSize) * 2))
        CategoryParentRecord(grid, *reader, here, definition);
    else
        grid.AddSectionHeaderAt(s("Category Parent Record"), {}, node.recordOffset);
    if (record.MatchingDefinition.Exists())
        CategoryDefinition(grid, *reader, s(" Matching Definition"), record.MatchingDefinition,
                           record.MatchingDefinitionSize);
    if (!readable) return;
    if (!record.NextLevel.Exists()) {
        // No next-level frame bounds the records of a level in the search frame's own file: the record's
        // own category table is shown again.
        if (fileReadable(*reader, record.CategoryData))
            ShowTable(context, IndexGrid::Category, IndexTable::OpenCategory(reader.get(), record, false));
    } else {
        // The level's records follow its parent record, as far as the next-level frame goes.
        const int64_t first = node.recordOffset + int64_t(record.CategoryParentRecordSize) * 2;
        const int64_t recordBytes = int64_t(record.CategoryOptionRecordSize) * 2;
        const int64_t end = record.NextLevel.DataPosition + int64_t(record.NextLevelSize) * 2;
        const int64_t count = recordBytes > 0 ? std::max<int64_t>(0, (end - first) / recordBytes) : 0;
        ShowTable(context, IndexGrid::Category,
                  IndexTable::OpenCategory(reader.get(), record, true, first, count));
    }
    if (record.MatchingData.Exists() && fileReadable(*reader, record.MatchingData))
        ShowTable(context, IndexGrid::Matching, IndexTable::OpenMatching(reader.get(), record));
}

std::vector<std::unique_ptr<RecordNode>> IndexViewChildren(KindContext& context, RecordNode& node) {
    const auto reader = ReaderOf(context, node);
    if (!reader) return {};
    switch (node.kind) {
    case kVolume:
    case kPOI: {
        TLN_Volume_Management_Record record;
        TLN_Search_Frame_Header frame;
        const bool read = node.kind == kVolume
                              ? reader->ReadVolumeRecord(uint32_t(node.index), record)
                              : reader->ReadPOIManagementRecord(uint32_t(node.index), record);
        if (node.index < 0 || !read || !fileReadable(*reader, record.FrameAddress) ||
            !reader->ReadSearchFrameHeader(record.FrameAddress, record.UsesFileAddresses(), frame))
            return {};
        return node.kind == kVolume
                   ? FrameItems(node, *reader, frame, kSearchItem, TLN_Detailed_Info_Rec::Length)
                   : FrameItems(node, *reader, frame, kDetailedPOI, TLN_Detailed_POIInfo_Rec::Length);
    }
    case kSearchFrame:
        return SearchFrameItems(context, node);
    case kSearchItem: {
        TLN_Detailed_Info_Rec record;
        if (!DetailedSearchRecordOf(context, node, record) || !fileReadable(*reader, record.CategoryData))
            return {};
        const auto category = IndexTable::OpenCategory(reader.get(), record, false);
        return NextLevelNodes(context, node, record, category.get());
    }
    default:
        return {};
    }
}

void RegisterIndexSearchViews(NodeKinds& table) {
    table.SetView(kSearchItem, ShowDetailedSearchRecord);
    table.SetView(kSearchFrame, ShowSearchFrame);
    for (int kind : {kNextLevelBT, kNextLevelDefault, kNextLevelHZ, kNextLevelAG, kNextLevelTN, kNextLevelME,
                     kNextLevelNC})
        table.SetView(kind, ShowNextLevel);
}
