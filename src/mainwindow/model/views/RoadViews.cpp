// The record views of a parcel's road data frame, each a list of the record's fields in stored order,
// read through the road frame readers within the parcel's frame.
#include "mainwindow/model/views/RoadViews.h"

#include <array>
#include <string_view>

#include "kiwi/display/NameTables.h"
#include "kiwi/frames/BackgroundFrame.h"
#include "kiwi/frames/NameFrame.h"
#include "kiwi/frames/RoadFrame.h"
#include "mainwindow/model/views/ErrorRows.h"
#include "mainwindow/model/views/ParcelViewSupport.h"

namespace {

constexpr std::array<std::string_view, 4> kTargetNodeTypes{
    "Intermediate point of MultiLink", "Start point of MultiLink", "End point of MultiLink", "(RESERVED)"};
constexpr std::array<std::string_view, 8> kParcelPositions{"Upper", "Upper right", "Right", "Lower right",
                                                           "Lower", "Lower left",  " Left", "Upper left"};
constexpr std::array<std::string_view, 4> kWidthDirections{"No direction", "Forward", "Backward",
                                                           "Forward/Backward"};
constexpr std::array<std::string_view, 5> kOneWayCodes{"No direction", "FORWARD", "BACKWARD", "Road closed",
                                                       "Invalid"};
constexpr std::array<std::string_view, 8> kStreetAddressTypes{"Street address data is not stored",
                                                              "Type A",
                                                              "Type B",
                                                              "Type C",
                                                              "Type D",
                                                              "Type E",
                                                              "Type F",
                                                              "Invalid value"};

// Number_of_Nodes has 11 bits.
constexpr int64_t kNodeIndexLimit = 0x7FF;

const QString kDisplacement = QStringLiteral("Displacement");

// The text of the name data record at offset bytes from the start of the name data frame; empty when the
// record holds none or does not read.
QString nameTextAt(const TLN_Parcel_Frames& frames, const TLN_KiwiMap& map, int64_t offset) {
    if (offset < 0 || !frames.Name.IsValid()) return {};
    TLN_Name_Data_Record record;
    if (!ReadNameRecord(frames.Name, kShowAllScales, false, record, frames.Name.Position() + offset,
                        map.NameLanguage()) ||
        !record.Readable)
        return {};
    return record.String.text;
}

void additionalNodeRows(ParcelRows& r, const TLN_Node_Additional_Info& a) {
    r.Hex16("Link Shape Data Offset", a.LinkShapeDataOffset, kDisplacement);
    r.Hex16("Link ID Number Information", a.DifferentialLinkId, QStringLiteral("Differential Link ID"));
    r.Hex8("Direction of Road Width/Lane", a.WidthDirection(),
           enumText(kWidthDirections, a.WidthDirection()));
    r.Hex8("Number of Forward Lanes", a.ForwardLanes());
    r.Hex8("Forward Road Width", a.ForwardWidth());
    r.Hex8("Number of Backward Lanes", a.BackwardLanes());
    r.Hex8("Backward Road Width", a.BackwardWidth());
    r.Hex16("Intersection-type Guidance Data Offset", a.IntersectionGuidanceOffset, kDisplacement);
    r.Hex16("Street Name Data Offset", a.StreetNameOffset, kDisplacement);
    r.Hex16("Street Address Data Offset", a.StreetAddressOffset, kDisplacement);
    r.Hex16("Passage Regulation Information Data Offset", a.PassageRegulationOffset, kDisplacement);
    r.Hex16("Region Number", a.RegionNumber);
    r.Hex16("Link_Length_Info", a.LinkLength);
}

void linkShapeRows(ParcelRows& r, const TLN_Link_Shape_Data& s) {
    r.Section("Link Shape Data");
    r.Hex8("One way Code", s.OneWayCode, enumText(kOneWayCodes, s.OneWayCode, "Invalid"));
    r.YesNo("One Way Flag", !s.OneWayValid, QStringLiteral("Not validated"));
    r.Dec("Relative Position in Integrated Parcel", s.RelativeX, QStringLiteral("X-axis"));
    r.Dec("X-axis Coordinate (Longitude)", s.X);
    r.Dec("Relative Position in Integrated Parcel", s.RelativeY, QStringLiteral("Y-axis"));
    r.Dec("Y-axis Coordinate (Latitude)", s.Y);
    r.Dec("Number_of_intermediate_Points", s.StoredPointCount);
}

void streetAddressRows(ParcelRows& r, const TLN_Street_Address_Record& a, const ParcelAccess& access) {
    r.Hex16("Size of Street Address Information Record", a.Size);
    r.Hex16("Storage Information Details", a.Details);
    r.Dec("Street Address Type", a.AddressType,
          enumText(kStreetAddressTypes, a.AddressType, "Invalid value"));
    const auto name = [&](std::string_view label, int64_t offset) {
        r.Addr(label, offset, nameTextAt(*access.frames, *access.map, offset));
    };
    name("Administrative Name (left) Data Offset", a.AdministrativeLeft);
    name("Administrative Name (right) Data Offset", a.AdministrativeRight);
    name("Street Name (left) Data Offset", a.StreetLeft);
    name("Street Name (right) Data Offset", a.StreetRight);
    // Types 3 and 4 store a start and an end for each side; the others one house number (type 2 a 32-bit
    // one), which the sides' rows would not show.
    if (a.AddressType != 3 && a.AddressType != 4) {
        r.Dec("House Number", a.HouseNumber);
        return;
    }
    if (a.LeftKind != 0) {
        r.Dec("House Number Start Point (Left Side) ", a.LeftStart & 0x7FFF);
        r.Dec("House Number End Point (Left Side) ", a.LeftEnd & 0x7FFF);
    }
    if (a.RightKind != 0) {
        r.Dec("House Number Start Point (Right Side) ", a.RightStart & 0x7FFF);
        r.Dec("House Number End Point (Right Side) ", a.RightEnd & 0x7FFF);
    }
}

} // namespace

void ShowRoadFrame(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Road Data Frame", node.recordOffset, HelpDocument::RoadData);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Road_Data_Frame road;
    if (!access || !ReadRoadDataFrame(access.frames->Road, road)) return;
    r.Hex32("Size of Distribution Header", road.HeaderSize);
    r.Hex16("Total Number of Intersections", road.IntersectionCount);
    r.Dec("Number of Display Classes", road.DisplayClassCount);
    r.Dec("Count of Additional Data", road.AdditionalDataCount);
    r.Hex16("Level of Route Planning Data", road.RoutePlanningLevel);
    r.YesNo("Expansion Flag (Road Distribution Header)", road.ExpansionFlag(), QStringLiteral("!!!"));
}

void ShowRoadDisplayClass(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Display Class", node.recordOffset, node.caption);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Road_Display_Class roadClass;
    if (!access || node.index < 0 || node.index >= kRoadDisplayClassLimit ||
        !ReadRoadDisplayClass(access.frames->Road, int(node.index), roadClass))
        return;
    const TLN_Level_Management_Record& level = *access.level;
    if (level.HasClassLists && node.index < int64_t(level.RoadClassCodes.size())) {
        const uint16_t code = level.RoadClassCodes[size_t(node.index)];
        r.Hex8("Road Display Class Code", code);
        r.Text("Road Type", enumText(RoadClassNames, code, kReservedName));
    }
    r.Addr("Offset to Display Class", roadClass.Position);
    r.Dec("Number of Polylines", roadClass.StoredPolylineCount);
    r.DisplayScaleFlags("Display Scale Flag ", roadClass.RoadType, &level);
}

void ShowMultiLink(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("MultiLink Data Record", node.recordOffset, HelpDocument::RoadData);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_MultiLink_Data_Record m;
    if (!access || !ReadMultiLinkHeader(access.frames->Road, m, node.recordOffset)) return;
    r.Hex8("Road_Type_Code", m.RoadTypeCode, enumText(RoadTypeNames, m.RoadTypeCode, "RESERVED"));
    r.Hex32("MultiLink_Header_Size", m.HeaderSize);
    r.YesNo("Multilink_Header_Expansion_Flag", m.HeaderExpansionFlag);
    r.Hex32("MultiLink_Size", m.Size);
    r.YesNo("Multilink_Data_Expansion_Flag", m.DataExpansionFlag);
    r.Hex32("Size_of_MultiLink_Shape_Info", m.ShapeInfoSize);
    r.Hex32("Size_of_Node_Additional_Info", m.NodeAdditionalInfoSize);
    r.Hex32("Size_of_Altitude_Information", m.AltitudeInfoSize);
    r.Hex32("Size_of_Passage_Regulation_Info", m.PassageRegulationInfoSize);
    r.YesNo("Street_Address_Flag", m.StreetAddressFlag);
    r.Hex32("Size_of_Street_Address_Info", m.StreetAddressInfoSize);
    r.YesNo("Link_ID_Number_Flag", m.LinkIdFlag);
    r.Hex32("MultiLink_Origin_Point (Start Link ID)", m.StartLinkId, QStringLiteral("Absolute Link ID"));
    r.Hex32("MultiLink_End_Point (End Link ID)", m.EndLinkId);
    r.YesNo("Route_Number_Flag", m.RouteNumberFlag);
    r.Hex16("Route_Number", m.RouteNumber);
    r.YesNo("Route-type Guidance Information Flag", m.RouteGuidanceFlag);
    r.Addr("Route-type Guidance Data Offset", m.RouteGuidanceDataOffset,
           QStringLiteral("The displacement from the top of the guidance data frame"));
    r.YesNo("Corresponding Route Planning Data Flag", m.RoutePlanningFlag);
    r.YesNo("Altitude Information Flag", m.AltitudeFlag);
    r.YesNo("Infra-link Flag", m.InfraLinkFlag);
    r.Dec("Number_of_Nodes", m.NodeCount);
}

void ShowLinkNodeConnection(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Section("Link/Node Connection Information", HelpDocument::RoadData);
    const ParcelAccess access = ParcelAccessOf(context, node);
    // Node k of the multilink its parent stands for.
    if (!access || !node.parent || node.index < 0 || node.index > kNodeIndexLimit) return;
    TLN_Link_Node_Connection c;
    const TLN_FrameSpan& frame = access.frames->Road;
    const int k = int(node.index);
    if (!ReadLinkNodeConnection(frame, k, c, *access.level, node.parent->recordOffset)) return;
    const TLN_MultiLink_Node_Record& n = c.Node;
    r.Hex8("Target Node Type", n.TargetNodeType, enumText(kTargetNodeTypes, n.TargetNodeType, "(RESERVED)"));
    r.YesNo("On-boundary Node Flag", n.OnBoundary);
    r.Hex8("Parcel Position the Node Connected to", n.ParcelPosition,
           enumText(kParcelPositions, n.ParcelPosition));
    r.Dec("Crossing MultiLink Display Class", n.CrossingClass);
    r.Dec("Crossing MultiLink Number", n.CrossingNumber);
    r.Dec("Node Number in Crossing MultiLink", n.CrossingNode);
    r.YesNo("Link ID Number Information Change Flag", n.LinkIdChange());
    r.YesNo("Target Node Road Width/Lane Info Change Flag", n.WidthLaneChange());
    r.YesNo("Target Node Intersection-type Guidance Info Flag", n.IntersectionGuidance());
    r.YesNo("Target Node Street Name Info Flag", n.StreetName());
    r.YesNo("Target Node Street Address Info Flag", n.StreetAddress());
    r.YesNo("Target Node Region Number Change Flag", n.RegionChange());
    r.Hex8("Link Type Code", n.LinkTypeCode);
    r.Hex16("Offset to Additional Node Record", n.AdditionalOffset, kDisplacement);
    if (n.AdditionalOffset < 0xFFFF) {
        r.Header("Additional Node Information", frame.Position() + 2 * int64_t(n.AdditionalOffset));
        // An additional record outside the frame shows no fields.
        if (c.Additional.Found) additionalNodeRows(r, c.Additional);
    }
    linkShapeRows(r, c.Shape);
    if (c.Header.StreetAddressFlag && n.StreetAddress()) {
        TLN_Street_Address_Record address;
        const bool found = ReadStreetAddressInfo(frame, k, address, *access.level, node.parent->recordOffset,
                                                 frame.Position());
        r.Header("Street Address Information", found ? address.Position : -1);
        if (found) streetAddressRows(r, address, access);
    }
}

void RegisterRoadViews(NodeKinds& table) {
    table.SetView(15, WithErrorRows(ShowRoadFrame));
    table.SetView(23, WithErrorRows(ShowRoadDisplayClass));
    table.SetView(25, WithErrorRows(ShowMultiLink));
    table.SetView(26, ShowLinkNodeConnection);
}
