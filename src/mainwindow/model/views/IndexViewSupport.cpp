// The shared parts of the index data views.
#include "mainwindow/model/views/IndexViewSupport.h"

#include <algorithm>

#include "kiwi/index/IndexManager.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/index/IndexTable.h"
#include "mainwindow/model/kinds/FamilyBuilders.h"
#include "mainwindow/model/views/PartViewSupport.h"

namespace indexview {

using partview::Text;

namespace {
QString s(const char* text) {
    return QString::fromUtf8(text);
}
} // namespace

bool IsDeclaration(const std::string& declaration) {
    return declaration.size() == 4 &&
           std::all_of(declaration.begin(), declaration.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

void MarkDeclaration(FieldGrid& grid, const std::string& declaration) {
    if (IsDeclaration(declaration)) return;
    FieldGridModel& model = grid.Model();
    const int header = model.rowCount() - 2;
    if (header < 0 || model.Row(header).tag != RowTag::SectionHeader) return;
    // In the wide remark column, after the header's offset.
    QString& remark = model.Row(header).remark;
    remark +=
        (remark.isEmpty() ? QString() : s("  ")) + s("объявление «%1» не распознано").arg(Text(declaration));
}

bool IsNextLevelKind(int kind) {
    switch (kind) {
    case kNextLevelBT:
    case kNextLevelDefault:
    case kNextLevelHZ:
    case kNextLevelAG:
    case kNextLevelTN:
    case kNextLevelME:
    case kNextLevelNC:
        return true;
    default:
        return false;
    }
}

void FileAddress(FieldGrid& grid, const QString& name, const TLN_Additional_Address& at) {
    partview::Address(grid, name, at.DataPosition, Text(at.FileName));
    if (!at.FileName.empty()) grid.SetRowFile(at.FileName);
}

std::shared_ptr<TLN_IndexManager> ReaderOf(const KindContext& context, const RecordNode& node) {
    if (auto held = node.held.Shared<TLN_IndexManager>()) return held;
    return context.data.index;
}

std::shared_ptr<TLN_Stream> FileStream(TLN_IndexManager& reader, const std::string& name) {
    if (name.empty()) return reader.SharedStream();
    if (!reader.DataFileExists(name)) return nullptr;
    return reader.OpenDataFile(name);
}

bool ShowWhenMissing(FieldGrid& grid, const TLN_IndexManager& reader, const std::string& name) {
    if (name.empty() || reader.DataFileExists(name)) return false;
    grid.AddSectionHeader(s("File ") + Text(name) + s(" does not exist !!!"));
    return true;
}

bool FrameHeaderShown(FieldGrid& grid, RecordNode& node, TLN_IndexManager& reader,
                      const TLN_Additional_Address& at, bool fileAddresses, TLN_Search_Frame_Header& out) {
    // The file is asked for first: a frame in a missing file is never read.
    if (ShowWhenMissing(grid, reader, at.FileName) || !at.Exists()) return false;
    std::string why;
    try {
        if (reader.ReadSearchFrameHeader(at, fileAddresses, out)) return true;
        why = reader.FrameHeaderError(at);
    } catch (const KiwiError& error) {
        // The file is there but cannot be read (a CMP list that cannot locate its blocks).
        why = error.what();
    }
    family::MarkError(node, why);
    partview::ReasonRows(grid, RecordNode(), why);
    return false;
}

void FrameRecordsReason(FieldGrid& grid, RecordNode& node, TLN_IndexManager& reader,
                        const TLN_Search_Frame_Header& frame, int64_t recordLength) {
    const std::string why = reader.FrameRecordsError(frame, recordLength);
    family::MarkError(node, why);
    partview::ReasonRows(grid, RecordNode(), why);
}

bool CharacterFrameShown(FieldGrid& grid, RecordNode& node, TLN_IndexManager& reader,
                         const TLN_Additional_Address& at, TLN_Character_Info_Frame& out) {
    if (ShowWhenMissing(grid, reader, at.FileName) || !at.Exists()) return false;
    bool read = false;
    std::string why;
    try {
        read = reader.ReadCharacterInfoFrame(at, out);
        // The header's remark says first when the declaration is none.
        if (read) MarkDeclaration(grid, out.DataDeclaration);
        why = read ? out.Reason : reader.FrameHeaderError(at);
    } catch (const KiwiError& error) {
        why = error.what();
    }
    family::MarkError(node, why);
    partview::ReasonRows(grid, RecordNode(), why);
    return read;
}

bool SearchFrameHeader(FieldGrid& grid, RecordNode& node, TLN_IndexManager& reader, const QString& title,
                       const TLN_Additional_Address& at, bool fileAddresses, TLN_Search_Frame_Header& out) {
    grid.AddSectionHeaderAt(title, Text(at.FileName), at.DataPosition);
    if (!FrameHeaderShown(grid, node, reader, at, fileAddresses, out)) return false;
    grid.AddTextRow(s("Data Declaration"), Text(out.DataDeclaration));
    grid.AddDWordRow(s("Number of Detailed Search Information Records"), {}, out.RecordCount);
    partview::Hex32(grid, s("Size of Detailed Search Information Records"), out.RecordSize);
    partview::Address(grid, s("Offset to the Top of Detailed Search Information Records"),
                      out.RecordsPosition);
    FrameRecordsReason(grid, node, reader, out, TLN_Detailed_Info_Rec::Length);
    grid.AddEmptyRow();
    return true;
}

std::vector<std::unique_ptr<RecordNode>> FrameItems(const RecordNode& parent, TLN_IndexManager& reader,
                                                    const TLN_Search_Frame_Header& frame, int kind,
                                                    int64_t recordLength, uint32_t extra) {
    std::vector<std::unique_ptr<RecordNode>> items;
    const std::shared_ptr<TLN_Stream> stream = FileStream(reader, frame.Frame.FileName);
    const uint32_t count = frame.UsableCount(recordLength);
    for (uint32_t n = 0; n < count; ++n) {
        auto item = RecordNode::MakeChild(&parent, kind, s("Item ") + QString::number(n), n);
        item->recordOffset = frame.RecordPosition(n, recordLength);
        item->stream = stream;
        item->fileName = frame.Frame.FileName;
        item->extra = extra;
        items.push_back(std::move(item));
    }
    return items;
}

void ShowTable(KindContext& context, IndexGrid which, std::shared_ptr<IndexTable> table) {
    if (table && !table->CountRemark().isEmpty()) context.grid.AddSubHeader(table->CountRemark());
    context.host.ShowIndexTable(which, std::move(table));
}

void AddOnce(KindContext& context, RecordNode& node, std::vector<std::unique_ptr<RecordNode>> children) {
    if (!node.children.empty() || children.empty()) return;
    node.hasChildren = true;
    context.host.AddChildren(node, std::move(children));
}

std::optional<FrameRef> ElementFrame(TLN_IndexManager& reader, const RecordNode& node, int64_t i) {
    if (node.kind != kCharacterInfo || !node.parent || node.parent->index < 0 || node.index < 0 || i < 0)
        return std::nullopt;
    // A frame in a missing file is never read.
    const auto readable = [&](const TLN_Additional_Address& at) {
        return at.Exists() && (at.FileName.empty() || reader.DataFileExists(at.FileName));
    };
    TLN_Index_Expansion_Rec expansion;
    TLN_Character_Info_Frame frame, elements;
    if (!reader.ReadExpansionRecord(uint32_t(node.parent->index), expansion) || !readable(expansion.Data) ||
        !reader.ReadCharacterInfoFrame(expansion.Data, frame) || size_t(node.index) >= frame.Entries.size())
        return std::nullopt;
    const TLN_Character_Info_Entry& entry = frame.Entries[size_t(node.index)];
    if (!readable(entry.Data) || !reader.ReadCharacterInfoFrame(entry.Data, elements) ||
        size_t(i) >= elements.Entries.size())
        return std::nullopt;
    const TLN_Character_Info_Entry& element = elements.Entries[size_t(i)];
    return FrameRef{element.Data, element.Type == "FNME"};
}

std::optional<FrameRef> FrameOfItems(KindContext& context, const RecordNode& item) {
    const RecordNode* parent = item.parent;
    const auto reader = ReaderOf(context, item);
    if (!parent || !reader) return std::nullopt;
    switch (parent->kind) {
    case kVolume:
    case kPOI: {
        TLN_Volume_Management_Record record;
        const bool read = parent->kind == kVolume
                              ? reader->ReadVolumeRecord(uint32_t(parent->index), record)
                              : reader->ReadPOIManagementRecord(uint32_t(parent->index), record);
        if (parent->index < 0 || !read) return std::nullopt;
        return FrameRef{record.FrameAddress, record.UsesFileAddresses()};
    }
    case kSearchFrame: {
        TLN_Additional_Address at;
        at.DataPosition = parent->recordOffset;
        at.FileName = parent->fileName;
        return FrameRef{at, parent->extra != 0};
    }
    case kCharacterInfo:
        return ElementFrame(*reader, *parent, item.extra);
    default:
        return std::nullopt;
    }
}

bool DetailedSearchRecordOf(KindContext& context, const RecordNode& item, TLN_Detailed_Info_Rec& out) {
    const auto reader = ReaderOf(context, item);
    const auto frame = FrameOfItems(context, item);
    TLN_Search_Frame_Header header;
    return reader && frame && item.index >= 0 && item.index <= UINT32_MAX &&
           (frame->at.FileName.empty() || reader->DataFileExists(frame->at.FileName)) &&
           reader->ReadSearchFrameHeader(frame->at, frame->fileAddresses, header) &&
           reader->ReadDetailedSearchRecord(header, uint32_t(item.index), out);
}

bool CategoryDefinition(FieldGrid& grid, TLN_IndexManager& reader, const QString& title,
                        const TLN_Additional_Address& at, uint32_t sizeWords) {
    grid.AddSectionHeaderAt(title, Text(at.FileName), at.DataPosition);
    if (ShowWhenMissing(grid, reader, at.FileName)) return false;
    TLN_Definition_Frame definition;
    if (!reader.ReadDataDefinition(at, definition, int64_t(sizeWords) * 2)) return true;
    grid.AddTextRow(Text(definition.Name), Text(definition.DataDeclaration));
    for (const TLN_Definition_Column& column : definition.Columns)
        grid.AddTextRow(
            Text(column.Name) + s(" (") + CharCodeToText(column.Value4) + s(")"), Text(column.TypeCode),
            column.CountCode().empty() ? QString::number(column.ElementCount) : Text(column.CountCode()));
    return true;
}

void CategoryParentRecord(FieldGrid& grid, TLN_IndexManager& reader, const TLN_Additional_Address& data,
                          const TLN_Definition_Frame& definition) {
    grid.AddSectionHeaderAt(s("Category Parent Record"), {}, data.DataPosition);
    const std::shared_ptr<TLN_Stream> stream = FileStream(reader, data.FileName);
    if (!stream) return;
    int width = 0;
    std::string key;
    TLN_IndexManager::ReadKeyText(*stream, data.DataPosition, definition.Columns, width, key);
    // The key columns come first; "SELN" names the selection.
    QString names;
    for (const TLN_Definition_Column& column : definition.Columns) {
        if (column.TypeCode != "UB" && column.TypeCode != "UW" && column.TypeCode != "WD" &&
            column.TypeCode != "UL" && column.TypeCode != "LG")
            break;
        names += (names.isEmpty() ? QString() : s(" ")) + Text(column.Name);
    }
    grid.AddTextRow(names, Text(key), definition.FindColumn("SELN") >= 0 ? s("SELN") : QString());
}

} // namespace indexview
