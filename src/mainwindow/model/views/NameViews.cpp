// The record views of a parcel's name data frame, read through the name frame readers within the
// parcel's frame; strings are decoded in the map text code page and the map's name language.
#include "mainwindow/model/views/NameViews.h"

#include "kiwi/display/NameTables.h"
#include "kiwi/frames/BackgroundFrame.h"
#include "kiwi/frames/NameFrame.h"
#include "mainwindow/model/views/ErrorRows.h"
#include "mainwindow/model/views/ParcelViewSupport.h"

namespace {

// The name display class code of class n: the level's list names it, else the class is its code.
int64_t nameClassCode(const TLN_Level_Management_Record& level, int64_t n) {
    if (!level.HasClassLists) return n;
    return n >= 0 && size_t(n) < level.NameClassCodes.size() ? level.NameClassCodes[size_t(n)] : -1;
}

bool readNames(const ParcelAccess& access, TLN_Name_Data_Frame& names) {
    return ReadNameDataFrame(access.frames->Name, *access.level, names, access.map->SystemNumber());
}

} // namespace

void ShowNameFrame(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Name Data Frame", node.recordOffset, HelpDocument::NameData);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Name_Data_Frame names;
    if (!access || !readNames(access, names)) return;
    r.Hex32("Size of Name Distribution Header", names.HeaderSize);
}

void ShowNameManagement(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Section("Name Data Management Information", HelpDocument::NameData);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Name_Data_Frame names;
    if (!access || !readNames(access, names) || node.index < 0 || size_t(node.index) >= names.Classes.size())
        return;
    const TLN_Name_Management_Information& entry = names.Classes[size_t(node.index)];
    const int64_t code = nameClassCode(*access.level, node.index);
    if (code >= 0) {
        r.Hex8("Name Display Class Code", uint32_t(code));
        r.Text("Name type", enumText(NameKindNames, code, kReservedName));
    }
    r.Addr("Offset to the Name Data List", entry.ListPosition);
    r.Dec("Number of Name Data Records ", entry.StoredRecordCount);
}

void ShowNameRecord(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Name Data Record", node.recordOffset, HelpDocument::NameData);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Name_Data_Record n;
    // Every record is shown whatever its display scales.
    if (!access || !ReadNameRecord(access.frames->Name, kShowAllScales, false, n, node.recordOffset,
                                   access.map->NameLanguage()))
        return;
    r.Text("String", n.String.text);
    r.Hex32("String Size", n.StringSize);
    r.Hex8("String Type", n.StringType);
    r.Hex16("Type_Code", n.TypeCode);
    r.Hex32("Sizeof_Minimum_Graphics_Data_Record", n.Size);
    r.Hex16("Display Scale", n.DisplayScale);
    r.DisplayScaleFlags("Display_Scale_Flag ", n.DisplayScaleFlags);
    r.Hex8("String Orientation", n.Orientation ? 1 : 0);
    r.Hex8("Priority", n.Priority);
    r.Hex8("String Placement Type", n.PlacementType);
    // Only strings of type 6 store a placement position; the placement's name is that of the string's
    // type (how the string is placed).
    r.Hex8("String_Placement_Position", n.StringType == 6 ? n.PlacementPosition() : 0,
           enumText(StringDisplayKindNames, n.StringType, kReservedName));
    r.YesNo("Temporal_Information_Flag", n.TemporalFlag);
    r.YesNo("Extended_Data_Flag", n.ExtendedFlag);
    r.YesNo("Additional_Background_Information_Flag", n.AdditionalInfoFlag);
    r.Hex8("Additional_Background_Information_Type", n.AdditionalInfoType);
    r.YesNo("Auxiliary_Data_Flag", n.AuxiliaryFlag);
    r.Hex8("Identification_Flag", n.IdentificationFlag);
    r.Addr("Offset to the Data to be drawn", n.DrawDataOffset);
    r.Blank();
    r.Hex8("Multiplication_Constant", n.MultiplicationConstant);
    r.Hex8("Number_of_Character_Placement_Points", n.PlacementPointCount);
    r.Hex8("Relative_Position_X", n.RelativeX);
    r.Hex16("Starting_Coordinate_X", n.StartX);
    r.Hex8("Relative_Position_Y", n.RelativeY);
    r.Hex16("Starting_Coordinate_Y", n.StartY);
}

void RegisterNameViews(NodeKinds& table) {
    table.SetView(17, WithErrorRows(ShowNameFrame));
    table.SetView(30, WithErrorRows(ShowNameManagement));
    table.SetView(31, ShowNameRecord);
}
