// The main map family: levels, block sets, blocks, divided parcels and parcels below "Map Data", and the
// list of a parcel's data frames. Counts come from the map, which accepts them only as far as their
// tables lie in the file.
#include <QString>

#include "mainwindow/model/kinds/FamilyBuilders.h"
#include "mainwindow/model/kinds/KindFamilies.h"
#include "mainwindow/model/kinds/MainMapAccess.h"

namespace {

using Children = std::vector<std::unique_ptr<RecordNode>>;

// Parcels whose map has this format version or a later one get no frame nodes.
constexpr uint32_t kNoFrameNodesSystemNumber = 8;
// The level numbers a map can have (they are a byte).
constexpr uint32_t kLevelLimit = 256;

// AddLevelNodes (kind 100): one node per level record, at the record in the part stream.
void addLevelNodes(KindContext& context, RecordNode& node, Children& out) {
    TLN_KiwiMap* map = MapOf(context, node);
    if (!map || !map->IsValid()) return;
    const uint32_t count = std::min(map->LevelCount(), kLevelLimit);
    for (uint32_t level = 0; level < count; ++level) {
        const TLN_Level_Management_Record* record = map->Level(uint8_t(level));
        if (!record) continue;
        auto child = RecordNode::MakeChild(&node, 9, QStringLiteral("Level %1").arg(level), level);
        child->level = int32_t(level);
        child->stream = map->PartStream();
        child->recordOffset = record->Position;
        child->hasChildren = true;
        out.push_back(std::move(child));
    }
}

// AddBlockSetNodes (kind 9): each block set record of the level that reads.
void addBlockSetNodes(KindContext& context, RecordNode& node, Children& out) {
    TLN_KiwiMap* map = MapOf(context, node);
    const TLN_Level_Management_Record* level = map ? LevelOf(*map, node) : nullptr;
    if (!level) return;
    for (uint32_t set = 0; set < level->AcceptedBlockSetCount; ++set) {
        TLN_BlockSet_Management_Record record;
        if (!map->ReadBlockSet(uint8_t(node.level), set, record)) continue;
        auto child = RecordNode::MakeChild(&node, 10, QStringLiteral("BlockSet %1").arg(set), set);
        child->recordOffset = record.Position;
        child->hasChildren = true;
        out.push_back(std::move(child));
    }
}

// AddBlockNodes (kind 10): each block record of the block set that reads; the block keeps its block set's
// number for its view and builder.
void addBlockNodes(KindContext& context, RecordNode& node, Children& out) {
    TLN_KiwiMap* map = MapOf(context, node);
    if (!map || !LevelOf(*map, node) || node.index < 0 || node.index > UINT32_MAX) return;
    TLN_BlockSet_Management_Record set;
    if (!map->ReadBlockSet(uint8_t(node.level), uint32_t(node.index), set)) return;
    for (uint32_t block = 0; block < set.BlockCount; ++block) {
        TLN_Block_Management_Record record;
        if (!map->ReadBlock(uint8_t(node.level), uint32_t(node.index), block, record)) continue;
        auto child = RecordNode::MakeChild(&node, 11, QStringLiteral("Block %1").arg(block), block);
        child->blockSetIndex = node.index;
        child->recordOffset = record.Position;
        child->hasChildren = true;
        if (record.Stream)
            family::MarkError(*child, family::ShortRecord(*record.Stream, "the parcel management information",
                                                          record.Address, record.Size));
        out.push_back(std::move(child));
    }
}

// AddParcelNodes (kind 11): each parcel record of the block's parcel management information that reads;
// a parcel without a frame of its own is a divided parcel whose offset is its sub-parcels' information.
void addParcelNodes(KindContext& context, RecordNode& node, Children& out) {
    TLN_KiwiMap* map = MapOf(context, node);
    if (!map || !LevelOf(*map, node) || node.blockSetIndex < 0 || node.blockSetIndex > UINT32_MAX ||
        node.index < 0 || node.index > UINT32_MAX)
        return;
    const auto level = uint8_t(node.level);
    TLN_Block_Management_Record block;
    if (!map->ReadBlock(level, uint32_t(node.blockSetIndex), uint32_t(node.index), block)) return;
    TLN_Parcel_Management_Info info;
    if (!map->ReadParcelManagement(block.Stream, level, info, block.Address)) {
        if (block.Stream)
            family::MarkError(node, family::ShortRecord(*block.Stream, "the parcel management information",
                                                        block.Address, block.Size));
        return;
    }
    const auto count = int(std::min<uint32_t>(info.RecordCount, INT32_MAX));
    context.host.Progress(0, count);
    for (uint32_t i = 0; i < info.RecordCount; ++i) {
        TLN_MM_Parcel_Managenent_Record parcel;
        if (map->ReadParcel(block.Stream, level, i, parcel, false, block.Address)) {
            if (!parcel.IsDivided())
                out.push_back(MakeParcelNode(*map, node, parcel, i, int64_t(i) + 1));
            else
                out.push_back(MakeDividedParcelNode(node, parcel, i));
        }
        context.host.Progress(int(i) + 1, count);
    }
    context.host.Progress(0, 0);
}

// AddAdjacentParcelNodes (kind 12): the sub-parcels of a divided parcel, each at its own frame.
void addAdjacentParcelNodes(KindContext& context, RecordNode& node, Children& out) {
    TLN_KiwiMap* map = MapOf(context, node);
    if (!map || !LevelOf(*map, node) || !node.stream) return;
    const auto level = uint8_t(node.level);
    TLN_Parcel_Management_Info info;
    if (!map->ReadParcelManagement(node.stream, level, info, node.recordOffset)) return;
    for (uint32_t i = 0; i < info.RecordCount; ++i) {
        TLN_MM_Parcel_Managenent_Record parcel;
        if (!map->ReadParcelInFile(node.stream, level, node.fileName, parcel, false, i, node.recordOffset))
            continue;
        out.push_back(MakeParcelNode(*map, node, parcel, i, -(int64_t(i) + 1)));
    }
}

// A frame of the parcel that the file (or the parcel's own frame) cuts short is an "(Error)" node; the
// records it holds whole still open below it.
void markShortFrame(const RecordNode& parcel, RecordNode& frame, int64_t position, int64_t size) {
    if (!parcel.stream) return;
    const std::string what = "the " + frame.caption.toStdString() + " frame";
    Failure why = family::ShortRecord(*parcel.stream, what, position, size);
    const int64_t parcelEnd = parcel.parcelFrameAddress + parcel.parcelFrameSize;
    if (!why && position >= 0 && position + size > parcelEnd)
        why = Failure(FailureCode::FramePastParcel,
                      {{"what", what}, {"position", position}, {"size", size}, {"end", parcelEnd}});
    family::MarkError(frame, why);
}

// AddParcelFrameNodes (kind 14): the parcel's basic and extended data frames that have a size, and its
// route guidance frame.
void addParcelFrameNodes(KindContext& context, RecordNode& node, Children& out) {
    TLN_KiwiMap* map = MapOf(context, node);
    if (!map || map->SystemNumber() >= kNoFrameNodesSystemNumber) return;
    const auto frames = ParcelFramesOf(*map, node);
    if (!frames || !frames->HasHeader) return;
    static const char* const basicNames[5] = {"Roads", "Background", "Names", "Additional A", "Additional B"};
    const auto& basic = frames->Header.Basic;
    for (size_t i = 0; i < basic.size(); ++i) {
        if (basic[i].Size == 0) continue;
        // A sixth or later basic frame has no kind of its own.
        auto child =
            i < 5 ? RecordNode::MakeChild(&node, 15 + int(i), QString::fromLatin1(basicNames[i]), int64_t(i))
                  : RecordNode::MakeChild(&node, kKindUnknownFrame, QStringLiteral("Unknown"), int64_t(i));
        child->recordOffset = basic[i].Position;
        child->hasChildren = i < 3;
        markShortFrame(node, *child, basic[i].Position, basic[i].Size);
        out.push_back(std::move(child));
    }
    const auto& extended = frames->Header.Extended;
    for (size_t e = 0; e < extended.size(); ++e) {
        if (extended[e].Size == 0) continue;
        auto child = e == 0
                         ? RecordNode::MakeChild(&node, 2300, QStringLiteral("TMC Infrastructure"), 0)
                         : RecordNode::MakeChild(&node, 13, QStringLiteral("Extended %1").arg(e), int64_t(e));
        child->recordOffset = extended[e].Position;
        child->hasChildren = e == 0;
        markShortFrame(node, *child, extended[e].Position, extended[e].Size);
        out.push_back(std::move(child));
    }
    const TLN_Level_Management_Record* level = LevelOf(*map, node);
    if (level && level->RouteGuidanceBasicCount > 0 && frames->HasRouteGuidance) {
        auto child = RecordNode::MakeChild(&node, 40, QStringLiteral("Route Guidance"), 0);
        child->recordOffset = frames->RouteGuidance.Position();
        child->hasChildren = true;
        out.push_back(std::move(child));
    }
}

} // namespace

std::unique_ptr<RecordNode> MakeParcelNode(const TLN_KiwiMap& map, const RecordNode& parent,
                                           const TLN_MM_Parcel_Managenent_Record& parcel, uint32_t number,
                                           int64_t index) {
    auto child = RecordNode::MakeChild(&parent, 14, QStringLiteral("Parcel %1").arg(number), index);
    child->stream = parcel.Stream;
    child->recordOffset = parcel.Address;
    child->frameSize = parcel.Size;
    child->parcelFrameAddress = parcel.Address;
    child->parcelFrameSize = parcel.Size;
    if (!parcel.FileName.empty()) child->fileName = parcel.FileName;
    // A map of format 8 or later lists no frames below its parcels, so they do not offer to expand.
    child->hasChildren = map.SystemNumber() < kNoFrameNodesSystemNumber;
    // A frame the file cuts short is no parcel without frames: the node says why, and its frames that can
    // be read still open.
    if (parcel.Stream)
        family::MarkError(*child, family::ShortRecord(*parcel.Stream, "the main map data frame",
                                                      parcel.Address, parcel.Size));
    return child;
}

std::unique_ptr<RecordNode> MakeDividedParcelNode(const RecordNode& parent,
                                                  const TLN_MM_Parcel_Managenent_Record& parcel,
                                                  uint32_t number) {
    auto child = RecordNode::MakeChild(&parent, 12, QStringLiteral("Divided Parcel %1").arg(number), number);
    child->stream = parcel.Stream;
    child->recordOffset = parcel.Address;
    if (!parcel.FileName.empty()) child->fileName = parcel.FileName;
    child->hasChildren = true;
    return child;
}

void RegisterMainMapKinds(NodeKinds& table) {
    table.SetBuilder(100, addLevelNodes);
    table.SetBuilder(9, addBlockSetNodes);
    table.SetBuilder(10, addBlockNodes);
    table.SetBuilder(11, addParcelNodes);
    table.SetBuilder(12, addAdjacentParcelNodes);
    table.SetBuilder(14, addParcelFrameNodes);
    RegisterParcelFrameKinds(table);
}
