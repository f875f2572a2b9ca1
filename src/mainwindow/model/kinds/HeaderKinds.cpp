// The header family: the children of the LOADING.KWI, CMP list and COVERAGE.BIN roots, and the fallback
// views every kind may end in (invalid data, not implemented, missing file).
#include <QString>

#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/parts/Coverage.h"
#include "kiwi/parts/Loading.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/SourceFiles.h"
#include "mainwindow/model/kinds/FallbackViews.h"
#include "mainwindow/model/kinds/FamilyBuilders.h"
#include "mainwindow/model/kinds/KindFamilies.h"
#include "mainwindow/model/views/HeaderViews.h"

namespace {

using Children = std::vector<std::unique_ptr<RecordNode>>;

// Bytes of the identification record a unit of a module's file list names.
constexpr int64_t kUnitIdentificationBytes = 124;

QString text(const std::string& value) {
    return QString::fromLatin1(value.data(), qsizetype(value.size())).trimmed();
}

// The system record of a node of kind 2 (or of its module's parent), or null past the systems read.
const TLN_System_Identification_Info* systemOf(const RecordNode& node, const TLN_Loading& loading) {
    const auto& systems = loading.Systems();
    return node.index >= 0 && size_t(node.index) < systems.size() ? &systems[size_t(node.index)] : nullptr;
}

// AddSystemNodes (kind 1): one node per system read.
void addSystemNodes(KindContext&, RecordNode& node, Children& out) {
    const TLN_Loading* loading = node.held.As<TLN_Loading>();
    if (!loading || !loading->IsValid()) return;
    const auto& systems = loading->Systems();
    for (size_t i = 0; i < systems.size(); ++i) {
        const QString name = text(systems[i].MakerName);
        auto child = RecordNode::MakeChild(
            &node, 2, name.isEmpty() ? QStringLiteral("System %1").arg(i) : name, int64_t(i));
        child->recordOffset = systems[i].Position;
        child->hasChildren = true;
        out.push_back(std::move(child));
    }
}

// AddModuleNodes (kind 2): one node per module record of the system (each unit record has one).
void addModuleNodes(KindContext&, RecordNode& node, Children& out) {
    const TLN_Loading* loading = node.held.As<TLN_Loading>();
    const TLN_System_Identification_Info* system = loading ? systemOf(node, *loading) : nullptr;
    if (!system) return;
    for (size_t i = 0; i < system->Units.size(); ++i) {
        const TLN_Unit_Record_AISIN& unit = system->Units[i];
        QString caption = text(unit.UnitName);
        if (caption.isEmpty()) caption = text(unit.ModuleName);
        if (caption.isEmpty()) caption = QStringLiteral("Module %1").arg(i);
        auto child = RecordNode::MakeChild(&node, 3, caption, int64_t(i));
        child->recordOffset = unit.ModulePosition;
        child->hasChildren = !unit.Files.empty();
        family::MarkError(*child, unit.FileListError);
        out.push_back(std::move(child));
    }
}

// AddUnitNodes (kind 3): one node per file of the module's list, at the file's position.
void addUnitNodes(KindContext&, RecordNode& node, Children& out) {
    const TLN_Loading* loading = node.held.As<TLN_Loading>();
    const TLN_System_Identification_Info* system =
        loading && node.parent ? systemOf(*node.parent, *loading) : nullptr;
    if (!system || node.index < 0 || size_t(node.index) >= system->Units.size()) return;
    const auto& files = system->Units[size_t(node.index)].Files;
    for (size_t i = 0; i < files.size(); ++i) {
        auto child = RecordNode::MakeChild(&node, 2000, text(files[i].Name), int64_t(i));
        child->recordOffset = files[i].Position;
        // The unit's identification record, which its view shows, may lie where the file has ended.
        family::MarkError(*child, family::ShortRecord(loading->Stream(), "the unit identification",
                                                      files[i].Position, kUnitIdentificationBytes));
        out.push_back(std::move(child));
    }
}

// AddCompressedFileNodes (kind 4): one node per entry that lies inside the list.
void addCompressedFileNodes(KindContext& context, RecordNode& node, Children& out) {
    TLN_CompressionManager* list = node.held.As<TLN_CompressionManager>();
    if (!list) list = context.data.compression.get();
    if (!list || !list->IsValid()) return;
    const std::vector<TLN_Compression_Record> entries = list->Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        auto child = RecordNode::MakeChild(&node, 5, text(entries[i].name), int64_t(i));
        child->recordOffset = entries[i].entryPosition;
        // A block table that is none: the file can be read neither decompressed nor as it is.
        family::MarkError(*child, entries[i].tableError);
        out.push_back(std::move(child));
    }
}

// AddCoverageItemNodes (kind 1500): one node per coverage item; its file is the item's picture, named by
// data, so only a safe bare name becomes a path (beside COVERAGE.BIN).
void addCoverageItemNodes(KindContext&, RecordNode& node, Children& out) {
    const TLN_Coverage* coverage = node.held.As<TLN_Coverage>();
    if (!coverage || !coverage->IsValid()) return;
    for (int i = 0; i < coverage->Count(); ++i) {
        const TLN_CoverageBMP item = coverage->GetItem(i);
        auto child = RecordNode::MakeChild(&node, 1510, text(fileNamePart(item.Name)), i);
        child->stream.reset();
        child->recordOffset = 0;
        child->fileName.clear();
        // A missing picture keeps its name, so that selecting it says the file does not exist.
        if (const auto bare = safeBareName(item.Name))
            child->fileName =
                LocateSourceFile(coverage->Folder(), *bare).value_or(joinPath(coverage->Folder(), *bare));
        out.push_back(std::move(child));
    }
}

} // namespace

void ShowInvalidData(KindContext& context, RecordNode&) {
    context.grid.AddSectionHeader(QString(), QStringLiteral("Invalid data !!!"));
}

void ShowNotImplemented(KindContext& context, RecordNode& node) {
    // "Offset = " with blanks, unlike the header form "Offset=".
    QString remark = node.recordOffset > 0 ? QStringLiteral("Offset = ") +
                                                 QString::fromStdString(FormatHex32Spaced(node.recordOffset))
                                           : QString();
    // A stored position past the end of the record's file (the hex viewer is not sent there).
    if (node.recordOffset > 0 && node.stream && node.recordOffset >= node.stream->Size())
        remark += QStringLiteral("  (exceeds the file size !!!)");
    context.grid.AddTextRow(QStringLiteral("Sorry. Not Implimented"), node.caption, remark);
}

void ShowMissingFile(KindContext& context, RecordNode& node) {
    context.grid.AddTextRow(QStringLiteral("Sorry. File doesn''t exists"), node.caption);
}

void RegisterHeaderKinds(NodeKinds& table) {
    table.SetBuilder(1, addSystemNodes);
    table.SetBuilder(2, addModuleNodes);
    table.SetBuilder(3, addUnitNodes);
    table.SetBuilder(4, addCompressedFileNodes);
    table.SetBuilder(1500, addCoverageItemNodes);
    table.SetView(99, ShowMissingFile);
    RegisterHeaderViews(table);
}
