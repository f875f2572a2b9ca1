// The record views of a parcel's route guidance data, read through the guidance and character string
// readers within the route guidance frame. A string record with natural voice data plays it through the
// host when the source has a voice reader, and offers the play button to hear it again.
#include "mainwindow/model/views/GuidanceViews.h"

#include <array>
#include <memory>
#include <string_view>

#include "kiwi/core/FileNames.h"
#include "kiwi/frames/GuidanceFrame.h"
#include "kiwi/frames/StringFrame.h"
#include "kiwi/voice/VoiceManager.h"
#include "mainwindow/model/views/ParcelViewSupport.h"

namespace {

// The parcel kinds by the divided/integrated identifier; a regular parcel's identifier 0 has no name.
constexpr std::array<std::string_view, 4> kParcelKinds{"", "Divided Parcel", "Integrated Parcel",
                                                       "Regular Parcel"};

struct ListNames {
    std::string_view offset;
    std::string_view count;
};
// The guidance frame's lists in the order of their presence flags.
constexpr std::array<ListNames, kGuidanceTableCount> kGuidanceLists{{
    {"Offset to Intersection Name Data Table", "Number of Intersection Name Data Records"},
    {"Offset to Road Name Data Table", "Number of Road Name Data Records"},
    {"Offset to Toward Name Data List", "Number of Toward Name Data Records"},
    {"Offset to Spot Guide Data List", "Number of Spot Guide Data Records"},
    {"Offset to Direction Guide Data List", "Number of Direction Guide Data Records"},
    {"Offset to Road Structure Data List", "Number of Road Structure Data Records"},
    {"Offset to Building and Facility Data List", "Number of Building and Facility Data Records"},
    {"Offset to Caution Point Data Table", "Number of Caution Point Data Records"},
}};

QString numbered(std::string_view text, int64_t n) {
    return Label(text) + QString::number(n);
}

void connectedNodeRows(ParcelRows& r, const std::vector<TLN_Connected_Node_Info>& nodes, bool withOffsets) {
    for (size_t j = 0; j < nodes.size(); ++j) {
        r.Grid().AddSectionHeaderAt(numbered("Connection Node Information Record ", int64_t(j)), {},
                                    withOffsets ? nodes[j].Position : -1);
        r.Hex32("Node Information", nodes[j].NodeInformation);
        r.Hex16("Direction Information", nodes[j].DirectionInformation);
    }
}

// Plays the natural voice data of the string record at position of frame; false when nothing plays.
bool playStringVoice(ViewHost& host, const TLN_VoiceManager& voice, const TLN_FrameSpan& frame,
                     int64_t position) {
    TLN_Character_String_Data_Rec record;
    if (!ReadCharacterStringRecord(frame, record, position, false) || !record.VoiceFlag() ||
        record.VoiceAddress < 0)
        return false;
    std::vector<uint8_t> wave = voice.BuildVoiceDataWave(record.VoiceAddress, record.VoiceSize);
    if (wave.empty()) return false;
    host.PlaySound(std::move(wave));
    return true;
}

} // namespace

void ShowRouteGuidanceHeader(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    const ParcelAccess access = ParcelAccessOf(context, node);
    if (!access || !access.frames->HasRouteGuidance) {
        r.Header("Route Guidance Distribution Header", node.recordOffset, HelpDocument::RouteGuidance);
        return;
    }
    const TLN_RG_Distribution_Header& h = access.frames->RouteGuidanceHeader;
    const QString kind = enumText(kParcelKinds, h.Identifier);
    r.Header("Route Guidance Distribution Header", node.recordOffset, HelpDocument::RouteGuidance, kind);
    const std::shared_ptr<TLN_Stream>& stream = access.frames->Stream;
    r.Text("File Name of Main Map Data Frame",
           stream ? QString::fromStdString(fileNamePart(stream->FileName())) : QString());
    r.Hex32("Header Size", h.HeaderSize);
    r.Grid().AddLatLonRow(QStringLiteral("Parcel ID Number"), false, TLN_Point{h.ReferenceX, h.ReferenceY});
    r.Dec("Left Ahead Parcel Position Code within the Block Y-axis", h.LocationCodeY);
    r.Dec("Left Ahead Parcel Position Code within the Block X-axis", h.LocationCodeX);
    r.Hex8("Divided/Integrated Identifier", h.Identifier, kind);
    r.Hex8("Type Number given by the Number of Managed Parcels", h.TypeNumber);
    r.Dec("Number of Divided/Inregrated Parcels in Latitudinal Direction", h.LatitudinalNumber);
    r.Dec("Number of Divided/Inregrated Parcels in Longitudinal Direction", h.LongitudinalNumber);
    r.Hex32("Practical Management Code", h.PracticalManagementCode);
    r.YesNo("Height Information Existence Flag", h.HeightInformation);
    r.YesNo("Base Map Scale Standard", h.BaseMapScaleStandard, QStringLiteral("NO-1/100, YES-1/10000"));
    r.Dec("Base Map Identifier", h.BaseMapIdentifier);
    const auto frameRows = [&](std::string_view title, const std::vector<TLN_Frame_Reference>& frames) {
        for (size_t i = 0; i < frames.size(); ++i) {
            r.Grid().AddSectionHeader(numbered(title, int64_t(i)));
            r.Addr("Offset to Data Frame", frames[i].Position);
            r.Hex32("Data Frame Size ", frames[i].Size);
        }
    };
    frameRows("Basic Data Frame Management Record ", h.Basic);
    frameRows("Extended Data Frame Management Record ", h.Extended);
}

void ShowGuidanceFrame(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Guidance Data Frame", node.recordOffset, HelpDocument::GuidanceData);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Guidance_Data_Frame g;
    if (!access || !ReadGuidanceDataFrame(access.frames->Guidance, g)) return;
    r.Hex32("Basic Data Size", g.BasicDataSize);
    r.Hex8("Intersection Link String Display Class", g.IntersectionClass());
    r.Dec("Intersection Link String Number", g.IntersectionNumber());
    r.Dec("Node Number in Intersection Link String", g.IntersectionNode());
    for (size_t t = 0; t < kGuidanceLists.size(); ++t) {
        const TLN_Guidance_Table_Reference& table = g.Tables[t];
        r.Addr(kGuidanceLists[t].offset, table.Position);
        r.Hex16(kGuidanceLists[t].count, table.Count);
    }
    r.Addr("Offset to Extended Data", g.ExtendedPosition);
}

void ShowStringFrame(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Character String Data Frame", node.recordOffset, HelpDocument::GuidanceData);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Character_String_Data_Frame strings;
    if (!access || !ReadCharacterString(StringFrameOf(*access.frames, node), strings, false)) return;
    r.Hex32("Size of the String Distribution Header", strings.HeaderSize);
    r.Dec("Number of Character String Data Management Information Items", strings.StoredItemCount);
}

void ShowStringRecord(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Grid().AddSectionHeader(numbered("Character String Data Record ", node.index));
    const ParcelAccess access = ParcelAccessOf(context, node);
    if (!access || !node.parent) return;
    const TLN_FrameSpan frame = StringFrameOf(*access.frames, *node.parent);
    TLN_Character_String_Data_Rec s;
    if (!ReadCharacterStringRecord(frame, s, node.recordOffset, false)) return;
    r.Hex32("String Attribute Header", s.Attribute);
    r.Text("Display String", s.Display.text);
    r.Text("Pronunciation String", s.Pronunciation.text);
    r.YesNo(" Natural Voice Data Existence Flag", s.VoiceFlag());
    if (!s.VoiceFlag()) return;
    r.Hex8("Speaker Code", s.SpeakerCode());
    r.Hex8("Regeneration Method Identification", s.RegenerationMethod());
    r.Addr("Natural Voice Data Address", s.VoiceAddress);
    r.Hex32("Natural Voice Data Size", s.VoiceSize);
    std::shared_ptr<TLN_VoiceManager> voice = context.data.voice;
    if (!voice) return;
    // The button replays the record as it is read again then; the frame's bytes and the reader stay alive
    // with it.
    ViewHost* host = &context.host;
    const int64_t position = node.recordOffset;
    context.host.ShowPlayButton(
        [host, voice, frame, position] { playStringVoice(*host, *voice, frame, position); });
    playStringVoice(context.host, *voice, frame, position);
}

void ShowDirectionIndicator(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Direction Indicator Data Record", node.recordOffset, HelpDocument::DirectionIndicator);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Direction_Indicator_Data_Rec d;
    if (!access || !ReadDirectionIndicator(access.frames->Guidance, d, node.recordOffset)) return;
    r.Hex16("Direction Indicator Attribute Header", d.Attribute);
    r.Dec("Number of Guidance Point Management Records", d.StoredPointCount);
    for (size_t i = 0; i < d.Points.size(); ++i) {
        const TLN_Guidance_Point_Manag_Rec& p = d.Points[i];
        r.Grid().AddSectionHeaderAt(numbered("Guidance Point Management Record ", int64_t(i)), {},
                                    p.Position);
        r.Hex32("Guidance Point Management Attribute Header", p.Attribute);
        r.Dec(" Number of Connected Node Information Records", p.NodeCount());
        r.Hex8("Guidance Code", p.GuidanceCode());
        r.Hex16("Intersection Information", p.IntersectionInformation);
        r.YesNo("Character String Data existence Flag", p.StringFlag());
        r.Addr("Offset to the Character String Data", p.StringPosition);
        connectedNodeRows(r, p.Nodes, true);
    }
}

void ShowTowardName(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Toward Name Data Record", node.recordOffset, HelpDocument::TowardName);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Toward_Name_Data_Rec t;
    if (!access || !ReadTowardName(access.frames->Guidance, t, node.recordOffset)) return;
    r.Hex16("Toward Name Attribute Header", t.Attribute);
    r.Hex16("Distance Information", t.DistanceInformation);
    r.Dec("Number of Guidance Point Management Records", t.PointCount());
    for (size_t i = 0; i < t.Points.size(); ++i) {
        const TLN_Guidance_Point_Manag_Rec_2& p = t.Points[i];
        r.Grid().AddSectionHeader(numbered("Guidance Point Management Record ", int64_t(i)));
        r.Hex32("Name Attribute Header", p.Attribute);
        r.Dec(" Number of Connected Node Information Records", p.NodeCount());
        r.YesNo("Character String Data existence Flag", p.StringFlag());
        r.Addr("Offset to the Character String Data", p.StringPosition);
        connectedNodeRows(r, p.Nodes, false);
    }
}

void ShowRoadStructure(KindContext& context, RecordNode& node) {
    ParcelRows r(context.grid);
    r.Header("Road Structure Data Record", node.recordOffset, HelpDocument::RoadStructure);
    const ParcelAccess access = ParcelAccessOf(context, node);
    TLN_Road_Structure_Data_Rec s;
    if (!access || !ReadRoadStructure(access.frames->Guidance, s, node.recordOffset)) return;
    r.Hex16("Road Structure Attribute Header", s.Attribute);
    r.Hex16("Distance Information", s.DistanceInformation);
    r.Hex16("Offset Distance", s.OffsetDistance);
    r.Hex16("Height Information", s.HeightInformation);
    r.Hex16("Intersection Information", s.IntersectionInformation);
    r.YesNo("Character String Data existence Flag", s.StringFlag());
    r.Addr("Offset to the Character String Data", s.StringPosition);
}

void RegisterGuidanceViews(NodeKinds& table) {
    table.SetView(40, ShowRouteGuidanceHeader);
    table.SetView(41, ShowGuidanceFrame);
    table.SetView(42, ShowStringFrame);
    table.SetView(46, ShowStringRecord);
    table.SetView(433, ShowTowardName);
    table.SetView(435, ShowDirectionIndicator);
    table.SetView(436, ShowRoadStructure);
}
