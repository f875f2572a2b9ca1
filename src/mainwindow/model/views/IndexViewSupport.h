// What the index data views share: the reader and the files of the index data, the search frame header
// rows with the items they add to the tree, data definitions and category parent records, and the
// missing-file header every view shows instead of reading a file that is not there.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "kiwi/index/IndexRecords.h"
#include "mainwindow/model/ViewHost.h"

class FieldGrid;
class IndexTable;
class TLN_IndexManager;
class TLN_Stream;
struct KindContext;
struct RecordNode;

namespace indexview {

// Kinds of the index data nodes.
inline constexpr int kIndexRoot = 1020;
inline constexpr int kIndexPart = 102;
inline constexpr int kVolume = 300;
inline constexpr int kPOI = 301;
inline constexpr int kExpansion = 302;
inline constexpr int kCharacterInfo = 303;
inline constexpr int kDetailedPOI = 305;
inline constexpr int kSearchItem = 310;
inline constexpr int kSearchFrame = 320;
// Next-level entries by search kind.
inline constexpr int kNextLevelBT = 330;
inline constexpr int kNextLevelDefault = 340;
inline constexpr int kNextLevelHZ = 345;
inline constexpr int kNextLevelAG = 350;
inline constexpr int kNextLevelTN = 360;
inline constexpr int kNextLevelME = 370;
inline constexpr int kNextLevelNC = 380;
bool IsNextLevelKind(int kind);

// Whether a stored declaration is one: four printable characters ("CHR1", "ELMF", "----").
bool IsDeclaration(const std::string& declaration);
// Marks the section header added last (followed by its blank row) when the frame read at its address
// starts with no declaration: it holds something else.
void MarkDeclaration(FieldGrid& grid, const std::string& declaration);

// An address row of a record's file-address item: the position, the file named in the remark, and the
// row's jump opening that file (for an address in the index data itself, the shown stream).
void FileAddress(FieldGrid& grid, const QString& name, const TLN_Additional_Address& at);

// The index reader the node reads through: its own, else the one the window holds.
std::shared_ptr<TLN_IndexManager> ReaderOf(const KindContext& context, const RecordNode& node);
// The stream of a file of the index data ("" is the index data itself); null when it does not exist.
std::shared_ptr<TLN_Stream> FileStream(TLN_IndexManager& reader, const std::string& name);
// True (and the header "File " + name + " does not exist !!!" shown) when name names a file that does
// not exist; nothing is opened then.
bool ShowWhenMissing(FieldGrid& grid, const TLN_IndexManager& reader, const std::string& name);

// The rows of a search frame's management header (title, at the frame's address, naming its file), read
// into out; false when its file is missing (said so) or the header does not read.
// The search frame header at an address read for a view; false (and, when the file does not hold it, node
// marked "(Error)" with the reason and an "Ошибка" row) when it cannot be read.
bool FrameHeaderShown(FieldGrid& grid, RecordNode& node, TLN_IndexManager& reader,
                      const TLN_Additional_Address& at, bool fileAddresses, TLN_Search_Frame_Header& out);
// Marks node "(Error)" with an "Ошибка" row when the file holds fewer of the frame's detailed records than
// it counts.
void FrameRecordsReason(FieldGrid& grid, RecordNode& node, TLN_IndexManager& reader,
                        const TLN_Search_Frame_Header& frame, int64_t recordLength);
// The character information management frame at an address read for a view (its header marked when its
// declaration is none); false when its file is missing (said so) or it cannot be read; node marked "(Error)"
// with an "Ошибка" row when the file does not hold it or all its entries.
bool CharacterFrameShown(FieldGrid& grid, RecordNode& node, TLN_IndexManager& reader,
                         const TLN_Additional_Address& at, TLN_Character_Info_Frame& out);
bool SearchFrameHeader(FieldGrid& grid, RecordNode& node, TLN_IndexManager& reader, const QString& title,
                       const TLN_Additional_Address& at, bool fileAddresses, TLN_Search_Frame_Header& out);
// "Item " + n nodes (of kind, with extra) for the records of a frame, at their positions in its file.
std::vector<std::unique_ptr<RecordNode>> FrameItems(const RecordNode& parent, TLN_IndexManager& reader,
                                                    const TLN_Search_Frame_Header& frame, int kind,
                                                    int64_t recordLength, uint32_t extra = 0);
// Opens table in a data grid of the host; the grid rows end with the table's remark when fewer records fit
// in its frame than it declares.
void ShowTable(KindContext& context, IndexGrid which, std::shared_ptr<IndexTable> table);
// Gives node the children a view made for it, unless it has children already.
void AddOnce(KindContext& context, RecordNode& node, std::vector<std::unique_ptr<RecordNode>> children);

// The search frame the records of an item node (kind 310 or 305) lie in, found through its parent: a
// volume or POI record's frame, a search frame node's own, or the frame of element entry `extra` of a
// character information record; with whether its addresses are file items.
struct FrameRef {
    TLN_Additional_Address at;
    bool fileAddresses = false;
};
std::optional<FrameRef> FrameOfItems(KindContext& context, const RecordNode& item);
// The frame of element entry i of character information record node (kind 303).
std::optional<FrameRef> ElementFrame(TLN_IndexManager& reader, const RecordNode& node, int64_t i);

// A data definition: its title at the address naming its file, the definition's own name, one text row
// per column ("tag (character code)" with its description). False when its file is missing.
bool CategoryDefinition(FieldGrid& grid, TLN_IndexManager& reader, const QString& title,
                        const TLN_Additional_Address& at, uint32_t sizeWords);
// The category parent record at the start of the category data: its key as text.
void CategoryParentRecord(FieldGrid& grid, TLN_IndexManager& reader, const TLN_Additional_Address& data,
                          const TLN_Definition_Frame& definition);

// The detailed search record an item node (kind 310) stands for.
bool DetailedSearchRecordOf(KindContext& context, const RecordNode& item, TLN_Detailed_Info_Rec& out);

} // namespace indexview
