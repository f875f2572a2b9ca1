// The record views of a parcel's background data frame, read through the background frame readers within
// the parcel's frame (entry widths by the data volume's system number).
#include "mainwindow/model/views/BackgroundViews.h"

#include <array>
#include <string_view>

#include "kiwi/display/BackgroundStyles.h"
#include "kiwi/display/NameTables.h"
#include "kiwi/frames/BackgroundFrame.h"
#include "mainwindow/model/views/ErrorRows.h"
#include "mainwindow/model/views/ParcelViewSupport.h"

namespace {

constexpr std::array<std::string_view, 4> kAdditionalInfoTypes{" Additional data contained in frame A",
                                                               " Additional data contained in frame B",
                                                               "Building ID", "(RESERVED)"};
// Remarks longer than a line, kept whole so that they read as the format's documents write them.
// clang-format off
constexpr std::string_view kNameOffsetRemark = "The name offset represents the displacement of the beginning of the particular name data record from the beginning of the name data frame.";
constexpr std::string_view kBuildingIdRemark = "See search data (building information search) in Guidance and Index Data (Chapter 11).";
// clang-format on

// The additional background information type that holds a building ID.
constexpr uint8_t kBuildingIdType = 2;

// Entry index of the level's background classes with its type units; false when it does not read.
bool readElement(const ParcelAccess& access, int64_t index, TLN_Element_Management_Information& element) {
    const uint32_t system = access.map->SystemNumber();
    return index >= 0 && index < kBackgroundDisplayClassLimit &&
           ReadElementManagement(access.frames->Background, int(index), element, system) &&
           ReadBackgroundTypeUnit(access.frames->Background, element, system);
}

// The type unit a node of kind 28 (or the object below one) stands for.
bool readTypeUnit(const ParcelAccess& access, const RecordNode& unitNode, TLN_Background_Type_Unit& unit) {
    TLN_Element_Management_Information element;
    if (!readElement(access, AncestorIndex(unitNode, 27), element) || unitNode.index < 0 ||
        size_t(unitNode.index) >= element.TypeUnits.size())
        return false;
    unit = element.TypeUnits[size_t(unitNode.index)];
    return true;
}

// The background display class code of class n: the level's list names it, else the class is its code.
int64_t backgroundClassCode(const TLN_Level_Management_Record& level, int64_t n) {
    if (!level.HasClassLists) return n;
    return n >= 0 && size_t(n) < level.BackgroundClassCodes.size() ? level.BackgroundClassCodes[size_t(n)]
                                                                   : -1;
}

} // namespace

void ShowBackgroundFrame(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Background Data Frame", node.recordOffset, HelpDocument::BackgroundData);
    const ParcelAccess access = ParcelAccessOf(context, node);
    if (!access || !access.frames->Background.IsValid()) return;
    r.Hex32("Size of Background Distribution Header", ReadBackgroundHeaderSize(access.frames->Background));
    r.Dec("Number Of Element Management Information Records", access.level->BackgroundClassCount,
          QStringLiteral("from Level Management"));
}

void ShowElementManagement(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Section("Element Management Information");
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Element_Management_Information element;
    if (!access || !readElement(access, node.index, element)) return;
    const int64_t code = backgroundClassCode(*access.level, node.index);
    if (code >= 0) {
        r.Hex8("Background Display Class Code", uint32_t(code));
        r.Text("Background type", enumText(BackgroundKindNames, code, kReservedName));
    }
    r.Addr("Element Unit Offset", element.Position);
    r.Hex32("Element Unit Size", element.Size);
}

void ShowBackgroundTypeUnit(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Section("Background Type Unit Header", HelpDocument::BackgroundData);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Background_Type_Unit unit;
    if (!access || !readTypeUnit(access, node, unit)) return;
    r.Addr("Background Type Unit Offset", unit.Position);
    r.Hex8("Shape Classification", unit.ShapeClassification);
    r.YesNo("Height Information Flag", unit.HeightFlag);
    r.Dec("Number of Minimum Graphics Data Records", unit.StoredRecordCount);
}

void ShowMinimumGraphics(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Minimum Graphics Data Record", node.recordOffset, HelpDocument::BackgroundData);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Background_Type_Unit unit;
    TLN_Minimum_Graphics_Data_Record g;
    // Every record is shown whatever its display scales; lines and areas carry offsets.
    if (!access || !node.parent || !readTypeUnit(access, *node.parent, unit) ||
        !ReadMinimumGraphics(access.frames->Background, unit.ShapeClassification != 0, g, kShowAllScales,
                             node.recordOffset))
        return;
    r.Hex16("Type Code", g.TypeCode, Label(BackgroundTypeName(g.TypeCode)));
    r.Hex32("Size of_Minimum Graphics Data Record", g.Size);
    r.YesNo("Extended Data Flag", g.ExtendedFlag);
    r.DisplayScaleFlags("Display Scale Flag ", g.DisplayScaleFlags);
    r.Yes("Auxiliary Data Flag", g.AuxiliaryFlag);
    if (g.AuxiliaryFlag)
        r.Dec("Auxiliary Data", g.AuxiliaryData,
              QStringLiteral("Prefecture code = ") + QString::number(g.AuxiliaryData));
    r.Yes("Pen up Flag", g.PenUpFlag);
    r.Yes("Underground Attribute Flag", g.UndergroundFlag);
    r.Yes("Temporal Information Flag", g.TemporalFlag);
    r.YesNo("Name Flag", g.NameFlag);
    r.Addr("Name Offset", g.NameOffset, Label(kNameOffsetRemark));
    r.Yes("Additional Background Information Flag", g.AdditionalInfoFlag);
    if (g.AdditionalInfoFlag) {
        r.Hex8("Additional Background Information Type", g.AdditionalInfoType,
               enumText(kAdditionalInfoTypes, g.AdditionalInfoType, "(RESERVED)"));
        // A record too short for the pointer has none to show.
        if (g.HasAdditionalPointer && g.AdditionalInfoType == kBuildingIdType)
            r.Hex32("Building ID", g.AdditionalPointer, Label(kBuildingIdRemark));
        else if (g.HasAdditionalPointer)
            r.Hex32("Additional Background Information Pointer", g.AdditionalPointer);
    }
    r.Blank();
    r.Hex8("Multiplication Constant", g.MultiplicationConstant);
    r.Hex8("Relative Position X", g.RelativeX);
    r.Hex16("Starting Coordinate X", g.StartX);
    r.Hex8("Relative Position Y", g.RelativeY);
    r.Hex16("Starting Coordinate Y", g.StartY);
    r.Dec("Number of Offset Coordinates Records", g.StoredOffsetCount);
    // The offsets the record holds (a count past its end is cut): signed X and Y bytes.
    for (const uint16_t offset : g.Offsets)
        r.Pair("Coordinate_Offset X / Y", int8_t(offset >> 8), int8_t(offset & 0xFF));
}

void RegisterBackgroundViews(NodeKinds& table) {
    table.SetView(16, WithErrorRows(ShowBackgroundFrame));
    table.SetView(27, ShowElementManagement);
    table.SetView(28, WithErrorRows(ShowBackgroundTypeUnit));
    table.SetView(29, ShowMinimumGraphics);
}
