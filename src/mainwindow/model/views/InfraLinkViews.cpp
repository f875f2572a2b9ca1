// The record views of a parcel's TMC infrastructure link data frame, read through the infrastructure link
// readers within the frame (an accepted frame only: its identification bytes are 00 31 01).
#include "mainwindow/model/views/InfraLinkViews.h"

#include <array>
#include <string_view>

#include "kiwi/display/KiwiFormat.h"
#include "kiwi/frames/InfraLinkFrame.h"
#include "mainwindow/model/views/ParcelViewSupport.h"

namespace {

constexpr std::array<std::string_view, 4> kLinkAttributes{"Independent link", "Top link", "End-point link",
                                                          "Midpoint link"};
// Exceptional flags 1 to 3.
constexpr std::array<std::string_view, 3> kExceptionalFlags{
    "The origin point of the link is beyond the parcel boundary",
    "The end point of the link is beyond the parcel boundary",
    "Both the origin point and end point of the link are beyond the parcel boundary"};
// The names of the record's two 16-bit numbers by the link's attribute.
constexpr std::array<std::string_view, 4> kFirstNumberNames{
    "Number of records Corresponding to Road Link", "Following Infrastructure Link Data Record Number",
    "Preceding Infrastructure Link Data Record Number", "Preceding Infrastructure Link Data Record Number"};
constexpr std::array<std::string_view, 4> kSecondNumberNames{
    "First Record number Corresponding to the top Road Link",
    "First Record number Corresponding to the top Road Link",
    "First Record number Corresponding to the top Road Link",
    "Following Infrastructure Link Data Record Number"};

const QString kMeters = QStringLiteral("in units of meters");

// The frame's header; false for a frame that is not there or not accepted.
bool readHeader(const ParcelAccess& access, TLN_Infra_Link_Frame& header) {
    return access && ReadInfraLinkFrame(access.frames->InfraLink, header);
}

// The mesh a node of kind 2320 stands for (its index, below its area).
bool readMesh(const ParcelAccess& access, const TLN_Infra_Link_Frame& header, const RecordNode& meshNode,
              TLN_TmcMeshInfoRec& mesh) {
    const int64_t area = AncestorIndex(meshNode, 2310);
    return area >= 0 && area < kInfraLinkAreaCount && meshNode.index >= 0 && meshNode.index <= INT32_MAX &&
           ReadMeshInfo(access.frames->InfraLink, header, int(area), mesh, int(meshNode.index));
}

} // namespace

void ShowInfraLinkFrame(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Infrastructure Link Data Frame", node.recordOffset);
    TLN_Infra_Link_Frame h;
    if (!readHeader(ParcelAccessOf(context, node), h)) return;
    r.Grid().AddLatLonRow(QStringLiteral("Latitude and Longitude of the User''s Office Location"), true,
                          TLN_Point{h.Office.X, h.Office.Y});
    r.Dec("Floor of The User''s Office", h.Office.ByteValue);
    r.Grid().AddDateRow(QStringLiteral("Date of User Identification"), {}, h.Office.WordValue);
    r.Hex32("Data Identification Code", h.IdentificationCode,
            QString::fromStdString(TrafficProvidersText(h.IdentificationCode)));
    r.Section("Parcel Infrastructure Corresponding Distribution Header");
    r.Hex32("Size of Parcel Infrastructure Corresponding Distribution Header", h.HeaderSize);
    r.Dec("The Number of Meshes (The Number of Regions)", h.MeshCount);
    r.YesNo("Link ID Setting Existence Flag", h.LinkIdFlag());
    r.Hex32("Size of Mesh Information Record", h.MeshRecordSize);
    r.Hex32("Size of Infrastructure Link Data Record", h.LinkRecordSize);
    r.Hex32("Size of Road Link Corresponding Record", h.RoadLinkRecordSize);
    r.Addr("Offset to Road Link Corresponding Table", h.RoadLinkTablePosition);
    r.Hex32("Size of Road Link Corresponding Table", h.RoadLinkTableSize);
}

void ShowInfraLinkReference(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Reference Record of Link Corresponding Data Table", node.recordOffset);
    TLN_Infra_Link_Frame h;
    if (!readHeader(ParcelAccessOf(context, node), h) || node.index < 0 || node.index >= kInfraLinkAreaCount)
        return;
    const TLN_Infra_Link_Area& area = h.Areas[size_t(node.index)];
    r.Addr("Offset to Infrastructure Link Corresponding Data Table", area.DataPosition);
    r.Hex32("Size of Infrastructure Link Corresponding Data Table", area.Size);
}

void ShowMeshInformation(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Mesh Information Record", node.recordOffset);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Infra_Link_Frame h;
    TLN_TmcMeshInfoRec mesh;
    if (!readHeader(access, h) || !readMesh(access, h, node, mesh)) return;
    // The country code in the high byte, the location table number in the low one.
    r.Hex16("Mesh Code (Region code)", mesh.MeshCode,
            QStringLiteral("CC = 0x") + QString::number(mesh.MeshCode >> 8, 16).toUpper() +
                QStringLiteral(", LTN = ") + QString::number(mesh.MeshCode & 0xFF));
}

void ShowInfraLinkCount(KindContext& context, RecordNode& node) {
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Infra_Link_Frame h;
    TLN_TmcMeshInfoRec mesh;
    if (!node.parent || !readHeader(access, h) || !readMesh(access, h, *node.parent, mesh) ||
        node.index < 0 || size_t(node.index) >= mesh.Counts.size())
        return;
    ParcelRows(context.grid).Dec("Number of Infrastructure Links", mesh.Counts[size_t(node.index)]);
}

void ShowInfraLinkRecord(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Infrastructure Link Data Record", node.recordOffset);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Infra_Link_Frame h;
    TLN_Infra_Link_Record l;
    if (!readHeader(access, h) ||
        !ReadInfraLinkRecord(access.frames->InfraLink, h.LinkRecordSize, l, node.recordOffset))
        return;
    r.Hex8("Infrastructure Link Attribute", l.Attribute, enumText(kLinkAttributes, l.Attribute));
    r.Hex8("Exceptional Flag", l.Exceptional, enumText(kExceptionalFlags, int64_t(l.Exceptional) - 1));
    if (!l.HasLongNumber) r.Dec("Infrastructure Link Number", l.LinkNumber);
    r.Dec("Infrastructure Link Length", l.Length, kMeters);
    r.Dec(kFirstNumberNames[l.Attribute & 3], l.FirstNumber);
    r.Dec(kSecondNumberNames[l.Attribute & 3], l.SecondNumber);
    if (l.Exceptional & 1) r.Dec("Infrastructure Link Origin Point Distance", l.OriginDistance, kMeters);
    if (l.Exceptional >= 2) r.Dec("Infrastructure Link end Point Distance", l.EndDistance, kMeters);
    if (l.HasLongNumber) r.Dec("Infrastructure Link Number", l.LongNumber);
}

void ShowRoadLinkCorresponding(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Road Link Corresponding Record", node.recordOffset);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Road_Link_Corresponding_Rec l;
    if (!access || !ReadRoadLinkCorrespondence(access.frames->InfraLink, l, node.recordOffset)) return;
    r.Hex32("Offset to Link String Data Record (Road Data Frame)", l.RoadOffset,
            QStringLiteral("Displacement from the Top of Road Data Frame"));
    r.Hex8("Direction Flag", l.Backward() ? 1 : 0, QStringLiteral("0-Forward, 1-Backward"));
    r.Dec("Start Node Record Number (Road Data Frame)", l.StartNode());
    r.Dec("Node Change Count", l.NodeChangeCount);
    r.Hex32("Start Link ID Number", l.StartLinkId);
    r.Dec("ID Change Count", l.IdChangeCount);
}

void RegisterInfraLinkViews(NodeKinds& table) {
    table.SetView(2300, ShowInfraLinkFrame);
    table.SetView(2310, ShowInfraLinkReference);
    table.SetView(2320, ShowMeshInformation);
    table.SetView(2330, ShowInfraLinkCount);
    table.SetView(2340, ShowInfraLinkRecord);
    table.SetView(2350, ShowRoadLinkCorresponding);
}
