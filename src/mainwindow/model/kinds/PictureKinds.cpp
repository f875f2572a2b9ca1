// Node kinds of the picture data: the PCT2MNG.KWI list of picture, parameter and extended picture files,
// and the palette sets, colour tables and (paged) images of a picture file or the ALLDATA "Graphic" part.
#include <exception>

#include "kiwi/core/FileNames.h"
#include "kiwi/parts/ParamManager.h"
#include "kiwi/picture/EXPCTManager.h"
#include "kiwi/picture/GraphicManager.h"
#include "kiwi/picture/PCT2MNGManager.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/kinds/FamilyBuilders.h"
#include "mainwindow/model/kinds/KindFamilies.h"
#include "mainwindow/model/kinds/Paging.h"
#include "mainwindow/model/views/PictureViews.h"

namespace {

constexpr int kPictureListRoot = 1300;
constexpr int kPictureListPart = 130;
constexpr int kMissingFile = 99;
constexpr int kOtherManagement = 13;
constexpr int kPictureFile = 1310;
constexpr int kExtendedPictureFile = 1315;
constexpr int kParameterFile = 1320;
constexpr int kGraphicPart = 105;
constexpr int kExtendedPicturePart = 126;
constexpr int kPaletteSets = 1200;
constexpr int kColorTables = 1201;
constexpr int kImageData = 1202;
constexpr int kPaletteSet = 1210;
constexpr int kColorTable = 1220;
constexpr int kImage = 1230;
constexpr int kMoreImages = 1231;

// A management file's node holding the reader made for it (owned by the node: it holds the first
// reference), showing that file in the hex viewer.
template <typename Reader> void holdNewReader(RecordNode& child, const std::string& path, bool& expandable) {
    auto reader = std::make_shared<Reader>(path);
    child.stream = reader->SharedStream();
    child.recordOffset = reader->Base();
    child.fileName = path;
    expandable = reader->IsValid();
    if (!expandable) family::MarkError(child, reader->ErrorReason());
    child.held = std::move(reader);
}

std::unique_ptr<RecordNode> managementNode(const RecordNode& listNode, const TLN_PCT2MNGManager& list,
                                           int i) {
    const TLN_PictureManagement& item = list.Items()[size_t(i)];
    const std::string path = list.ManagementFilePath(i);
    auto child = RecordNode::MakeChild(&listNode, kMissingFile, QString::fromStdString(item.Name), i);
    child->stream = nullptr;
    child->recordOffset = 0;
    child->held = HeldReader();
    if (path.empty()) {
        // Where the file was looked for, so the missing-file view and the hex viewer can name it.
        const auto bare = safeBareName(item.Name);
        child->fileName = bare ? joinPath(folderPart(list.GetFileName()), *bare) : item.Name;
        return child;
    }
    child->fileName = path;
    bool expandable = false;
    try {
        switch (item.Kind) {
        case kPictureDataKind:
            child->kind = kPictureFile;
            holdNewReader<TLN_GraphicManager>(*child, path, expandable);
            break;
        case kParameterDataKind:
            child->kind = kParameterFile;
            holdNewReader<TLN_ParamManager>(*child, path, expandable);
            break;
        case kExpansionPictureKind:
            child->kind = kExtendedPictureFile;
            holdNewReader<TLN_EXPCTManager>(*child, path, expandable);
            family::MarkError(*child, child->held.As<TLN_EXPCTManager>()->DataError());
            expandable = false;
            break;
        default:
            child->kind = kOtherManagement;
            break;
        }
    } catch (const std::exception& error) {
        // The file is there but cannot be read.
        family::MarkError(*child, error.what());
        child->kind = kKindInvalid;
        child->held = HeldReader();
        expandable = false;
    }
    child->hasChildren = expandable;
    return child;
}

void addPictureManagerNodes(KindContext&, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto list = family::ReaderOf<TLN_PCT2MNGManager>(node);
    if (!list) return;
    for (int i = 0; i < list->Count(); ++i)
        out.push_back(managementNode(node, *list, i));
}

// "Image Data " (top image id + i) at its record (or, when that cannot be read, at its index entry).
PageEntryMaker imageMaker(const RecordNode& listNode, const TLN_GraphicManager& reader) {
    return [&listNode, &reader](int64_t i) {
        TLN_ImageDataRecord record;
        reader.ReadImageRecord(int(i), record);
        const int64_t offset =
            record.Position > 0 ? record.Position : reader.ImageDataFramePosition() + 2 + 6 * i;
        auto node = family::Child(
            listNode, kImage, family::Numbered("Image Data ", reader.Header().TopImageDataID + i), i, offset);
        family::MarkError(*node, reader.ImageError(int(i)));
        return node;
    };
}

void addPictureNodes(KindContext&, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = family::ReaderOf<TLN_GraphicManager>(node);
    if (!reader || !reader->IsValid()) return;
    const TLN_ImageManagementHeader& header = reader->Header();
    auto at = [&](int64_t position) { return position >= 0 ? position : node.recordOffset; };

    auto paletteSets = family::Child(node, kPaletteSets, QStringLiteral("Palette Sets"), 0,
                                     at(reader->PaletteSetFramePosition()));
    std::vector<std::unique_ptr<RecordNode>> sets;
    for (int i = 0; i < reader->PaletteSetCount(); ++i)
        sets.push_back(family::Child(*paletteSets, kPaletteSet,
                                     family::Numbered("Palette Set ", header.TopPaletteSetID + int64_t(i)), i,
                                     at(reader->PaletteSetPosition(i))));
    family::AttachBuilt(*paletteSets, std::move(sets));
    family::MarkError(*paletteSets, reader->PaletteSetsError());

    auto colorTables = family::Child(node, kColorTables, QStringLiteral("Color Tables"), 0,
                                     at(reader->ColorTableFramePosition()));
    std::vector<std::unique_ptr<RecordNode>> tables;
    for (int i = 0; i < reader->ColorTableCount(); ++i)
        tables.push_back(family::Child(*colorTables, kColorTable,
                                       family::Numbered("Color Table ", header.TopColorTableID + int64_t(i)),
                                       i, at(reader->ColorTablePosition(i))));
    family::AttachBuilt(*colorTables, std::move(tables));
    family::MarkError(*colorTables, reader->ColorTablesError());

    out.push_back(std::move(paletteSets));
    out.push_back(std::move(colorTables));
    auto images = family::Child(node, kImageData, QStringLiteral("Image Data"), 0,
                                at(reader->ImageDataFramePosition()), reader->ImageCount() > 0);
    family::MarkError(*images, reader->ImagesError());
    out.push_back(std::move(images));
}

void addImageDataNodes(KindContext&, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = family::ReaderOf<TLN_GraphicManager>(node);
    if (!reader || !reader->IsValid()) return;
    AddPage(0, reader->ImageCount(), kMoreImages, imageMaker(node, *reader), out);
}

// The page after a more-node: its siblings from the next index on (the tree then turns the more-node back
// into its image).
void nextImageDataPage(KindContext&, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = family::ReaderOf<TLN_GraphicManager>(node);
    if (!reader || !reader->IsValid()) return;
    const RecordNode& listNode = node.parent ? *node.parent : node;
    AddPage(node.pageNext, reader->ImageCount(), kMoreImages, imageMaker(listNode, *reader), out);
}

} // namespace

void RegisterPictureKinds(NodeKinds& table) {
    family::RegisterRow(table, kPictureListRoot, "ShowPictureAssignedManagements", addPictureManagerNodes);
    family::RegisterRow(table, kPictureListPart, "ShowPictureAssignedManagements", addPictureManagerNodes);
    family::RegisterRow(table, kMissingFile, "ShowMissingFile");
    family::RegisterRow(table, kOtherManagement, "ShowNotImplemented");
    family::RegisterRow(table, kPictureFile, "ShowImageManagementHeader", addPictureNodes);
    family::RegisterRow(table, kGraphicPart, "ShowImageManagementHeader", addPictureNodes);
    family::RegisterRow(table, kExtendedPictureFile, "ShowExtendedPictureHeader");
    family::RegisterRow(table, kExtendedPicturePart, "ShowExtendedPictureHeader");
    family::RegisterRow(table, kPaletteSets, "ShowPaletteSets");
    family::RegisterRow(table, kPaletteSet, "ShowPaletteSet");
    family::RegisterRow(table, kColorTables, "ShowPaletteSets");
    family::RegisterRow(table, kColorTable, "ShowColorTable");
    family::RegisterRow(table, kImageData, "ShowImageDataCount", addImageDataNodes);
    family::RegisterRow(table, kImage, "ShowImageDataRecord");
    family::RegisterRow(table, kMoreImages, "NextImageDataPage", nextImageDataPage);
    RegisterPictureViews(table);
}
