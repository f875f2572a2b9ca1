// The parcel frame dump: roads, background, names, infrastructure links, guidance data and strings.
#include "support/walkers/FrameDump.h"

#include <cstdio>
#include <string>

#include "kiwi/frames/BackgroundFrame.h"
#include "kiwi/frames/GuidanceFrame.h"
#include "kiwi/frames/InfraLinkFrame.h"
#include "kiwi/frames/NameFrame.h"
#include "kiwi/frames/ParcelFrames.h"
#include "kiwi/frames/RoadFrame.h"
#include "kiwi/frames/StringFrame.h"
#include "kiwi/map/KiwiMap.h"

namespace {

std::string hex(uint64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llX", static_cast<unsigned long long>(value));
    return buffer;
}

std::string words(const std::vector<uint16_t>& values) {
    std::string text = "[";
    for (size_t i = 0; i < values.size(); ++i) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%s%04X", i ? " " : "", values[i]);
        text += buffer;
    }
    return text + "]";
}

// A text as "decoded UTF-8" raw hex bytes.
std::string text(const KiwiText& value) {
    std::string result = "\"" + value.text.toStdString() + "\" raw ";
    if (value.raw.isEmpty()) return result + "-";
    for (char byte : value.raw) {
        char buffer[4];
        std::snprintf(buffer, sizeof buffer, "%02X", uint8_t(byte));
        result += buffer;
    }
    return result;
}

class Dumper {
public:
    Dumper(const TLN_KiwiMap& map, const TLN_Parcel_Frames& frames, std::ostream* out,
           const FrameDumpOptions& options)
        : frames_(frames), out_(out), options_(options), level_(map.GetLevel(frames.Level)),
          system_(map.SystemNumber()) {}

    size_t run() {
        roads();
        background();
        names();
        infraLinks();
        guidance();
        strings();
        return records_;
    }

private:
    void roads() {
        const TLN_FrameSpan& frame = frames_.Road;
        TLN_Road_Data_Frame road;
        if (!ReadRoadDataFrame(frame, road)) {
            if (out_) *out_ << "road none\n";
            return;
        }
        ++records_;
        if (out_)
            *out_ << "road " << road.Position << " header " << road.HeaderSize << " intersections "
                  << road.IntersectionCount << " classes " << int(road.DisplayClassCount) << " additional "
                  << int(road.AdditionalDataCount) << " level " << hex(road.RoutePlanningLevel)
                  << " expansion " << road.ExpansionFlag() << "\n";
        for (size_t i = 0; i < road.Classes.size(); ++i) {
            const TLN_Road_Display_Class& roadClass = road.Classes[i];
            ++records_;
            if (out_)
                *out_ << "road-class " << i << " position " << roadClass.Position << " offset "
                      << roadClass.Offset << " polylines " << roadClass.PolylineCount << "/"
                      << roadClass.StoredPolylineCount << " type " << int(roadClass.RoadType) << "\n";
            for (const int64_t position : MultiLinkPositions(frame, roadClass))
                multiLink(frame, position);
        }
    }

    void multiLink(const TLN_FrameSpan& frame, int64_t position) {
        TLN_MultiLink_Data_Record m;
        if (!ReadMultiLink(frame, m, position)) return;
        ++records_;
        if (out_)
            *out_ << "multilink " << m.Position << " size " << m.Size << " header " << m.HeaderSize
                  << " nodes " << m.NodeCount << " shape " << m.ShapeInfoSize << " additional "
                  << m.NodeAdditionalInfoSize << " altitude " << m.AltitudeInfoSize << " passage "
                  << m.PassageRegulationInfoSize << " street " << m.StreetAddressFlag << ":"
                  << m.StreetAddressInfoSize << " expansion " << m.DataExpansionFlag << m.HeaderExpansionFlag
                  << " type " << int(m.RoadTypeCode) << " flags " << hex(m.Flags) << " linkid "
                  << m.LinkIdFlag << ":" << hex(m.StartLinkId) << "-" << hex(m.EndLinkId) << " route "
                  << m.RouteNumberFlag << ":" << m.RouteNumber << " guidance " << m.RouteGuidanceFlag << ":"
                  << hex(m.RouteGuidanceDataOffset) << " infra " << m.InfraLinkFlag << " planning "
                  << m.RoutePlanningFlag << " altitude-flag " << m.AltitudeFlag
                  << (m.Truncated ? " truncated" : "") << "\n";
        for (size_t k = 0; k < m.Links.size(); ++k) {
            const TLN_Link_Shape_Data& shape = m.Links[k];
            ++records_;
            if (out_)
                *out_ << "link " << shape.Position << " node " << k << " oneway " << shape.OneWayValid << ":"
                      << int(shape.OneWayCode) << " x " << int(shape.RelativeX) << ":" << shape.X << " y "
                      << int(shape.RelativeY) << ":" << shape.Y << " points " << shape.StoredPointCount << " "
                      << words(shape.Points) << "\n";
            TLN_Link_Node_Connection connection;
            if (!ReadMultiLinkNode(frame, m, int(k), level_, connection.Node, connection.Additional))
                continue;
            node(connection, int(k));
            if (m.StreetAddressFlag && connection.Node.StreetAddress()) {
                TLN_Street_Address_Record street;
                if (ReadStreetAddressInfo(frame, int(k), street, level_, position, frame.Position()))
                    streetAddress(street);
            }
        }
    }

    void node(const TLN_Link_Node_Connection& connection, int k) {
        const TLN_MultiLink_Node_Record& n = connection.Node;
        ++records_;
        if (out_)
            *out_ << "node " << n.Position << " node " << k << " type " << int(n.TargetNodeType)
                  << " boundary " << n.OnBoundary << " flag28 " << n.Flag28 << " position "
                  << int(n.ParcelPosition) << " crossing " << int(n.CrossingClass) << "/" << n.CrossingNumber
                  << "/" << n.CrossingNode << " flags " << hex(n.Flags) << " additional "
                  << hex(n.AdditionalOffset) << " linktype " << int(n.LinkTypeCode) << "\n";
        const TLN_Node_Additional_Info& a = connection.Additional;
        if (!a.Found) return;
        ++records_;
        if (out_)
            *out_ << "additional " << a.Position << " shape " << hex(a.LinkShapeDataOffset)
                  << " differential " << a.DifferentialLinkId << " width " << hex(a.RoadWidthLanes)
                  << " direction " << int(a.WidthDirection()) << " lanes " << int(a.ForwardLanes()) << "/"
                  << int(a.BackwardLanes()) << " widths " << int(a.ForwardWidth()) << "/"
                  << int(a.BackwardWidth()) << " intersection " << hex(a.IntersectionGuidanceOffset)
                  << " name " << hex(a.StreetNameOffset) << " address " << hex(a.StreetAddressOffset)
                  << " passage " << hex(a.PassageRegulationOffset) << " region " << a.RegionNumber
                  << " length " << a.LinkLength << " boundary " << hex(a.BoundaryWord) << "\n";
    }

    void streetAddress(const TLN_Street_Address_Record& s) {
        ++records_;
        if (out_)
            *out_ << "street-address " << s.Position << " size " << s.Size << " details " << hex(s.Details)
                  << " admin " << s.AdministrativeLeft << "/" << s.AdministrativeRight << " street "
                  << s.StreetLeft << "/" << s.StreetRight << " kinds " << int(s.LeftKind) << "/"
                  << int(s.RightKind) << " type " << int(s.AddressType) << " house " << s.HouseNumber
                  << " left " << s.LeftStart << "-" << s.LeftEnd << " right " << s.RightStart << "-"
                  << s.RightEnd << "\n";
    }

    void background() {
        const TLN_FrameSpan& frame = frames_.Background;
        TLN_Background_Data_Frame b;
        if (!ReadBackgroundDisplayClass(frame, level_, b, system_)) {
            if (out_) *out_ << "background none\n";
            return;
        }
        ++records_;
        if (out_)
            *out_ << "background " << b.Position << " header " << b.HeaderSize << " classes " << b.ClassCount
                  << "\n";
        for (size_t i = 0; i < b.Elements.size(); ++i) {
            const TLN_Element_Management_Information& e = b.Elements[i];
            if (!e.Present()) continue;
            ++records_;
            if (out_)
                *out_ << "element " << i << " position " << e.Position << " size " << e.Size << " units "
                      << e.TypeUnits.size() << "/" << e.StoredTypeUnitCount << "\n";
            for (size_t j = 0; j < e.TypeUnits.size(); ++j) {
                const TLN_Background_Type_Unit& unit = e.TypeUnits[j];
                ++records_;
                if (out_)
                    *out_ << "type-unit " << i << "/" << j << " position " << unit.Position << " shape "
                          << int(unit.ShapeClassification) << " height " << unit.HeightFlag << " records "
                          << unit.RecordCount << "/" << unit.StoredRecordCount << "\n";
                const bool withPoints = unit.ShapeClassification == 1 || unit.ShapeClassification == 2;
                for (const int64_t position : MinimumGraphicsPositions(frame, unit)) {
                    TLN_Minimum_Graphics_Data_Record g;
                    if (!ReadMinimumGraphics(frame, withPoints, g, options_.mask, position)) continue;
                    ++records_;
                    if (out_) graphics(g);
                }
            }
        }
    }

    void graphics(const TLN_Minimum_Graphics_Data_Record& g) {
        std::string runs = "[";
        for (size_t i = 0; i < g.PenUpRuns.size(); ++i)
            runs += (i ? " " : "") + hex(g.PenUpRuns[i]);
        runs += "]";
        *out_ << "graphics " << g.Position << " size " << g.Size << " flags " << g.Flag15 << g.TemporalFlag
              << g.ExtendedFlag << " scale " << int(g.DisplayScaleFlags) << " type " << g.TypeCode
              << " word6 " << hex(g.Word6) << " constant " << int(g.MultiplicationConstant) << " start "
              << int(g.RelativeX) << ":" << g.StartX << "," << int(g.RelativeY) << ":" << g.StartY
              << " offsets " << g.StoredOffsetCount << " " << words(g.Offsets) << " penup " << runs
              << " name " << g.NameFlag << ":" << g.NameOffset << " aux " << g.AuxiliaryFlag << ":"
              << g.AuxiliaryData << " underground " << g.UndergroundFlag << " additional "
              << g.AdditionalInfoFlag << ":" << int(g.AdditionalInfoType) << ":" << hex(g.AdditionalPointer)
              << (g.Truncated ? " truncated" : "") << "\n";
    }

    void names() {
        const TLN_FrameSpan& frame = frames_.Name;
        TLN_Name_Data_Frame n;
        if (!ReadNameDataFrame(frame, level_, n, system_)) {
            if (out_) *out_ << "names none\n";
            return;
        }
        ++records_;
        if (out_)
            *out_ << "names " << n.Position << " header " << n.HeaderSize << " classes " << n.ClassCount
                  << "\n";
        for (size_t i = 0; i < n.Classes.size(); ++i) {
            const TLN_Name_Management_Information& entry = n.Classes[i];
            ++records_;
            if (out_)
                *out_ << "name-class " << i << " list " << entry.ListPosition << " offset "
                      << hex(entry.Offset) << " records " << entry.RecordCount << "/"
                      << entry.StoredRecordCount << "\n";
            for (const int64_t position : NameRecordPositions(frame, entry)) {
                TLN_Name_Data_Record r;
                if (!ReadNameRecord(frame, options_.mask, options_.keepRaw, r, position, options_.language,
                                    options_.pages))
                    continue;
                ++records_;
                if (out_) nameRecord(r);
            }
        }
    }

    void nameRecord(const TLN_Name_Data_Record& r) {
        *out_ << "name " << r.Position << " size " << r.Size << " flags " << r.Flag15 << r.TemporalFlag
              << r.ExtendedFlag << " scale " << int(r.DisplayScaleFlags) << " string-type "
              << int(r.StringType);
        if (!r.Readable) {
            *out_ << " unreadable\n";
            return;
        }
        *out_ << " orientation " << r.Orientation << " priority " << int(r.Priority) << " type " << r.TypeCode
              << " word6 " << hex(r.Word6) << " additional " << r.AdditionalInfoFlag << ":"
              << int(r.AdditionalInfoType) << " aux " << r.AuxiliaryFlag << " constant "
              << int(r.MultiplicationConstant);
        if (r.StringType == 4)
            *out_ << " placement " << int(r.PlacementType) << " id " << int(r.IdentificationFlag) << " draw "
                  << hex(r.DrawDataOffset) << " points " << words(r.PlacementPoints);
        else
            *out_ << " start " << int(r.RelativeX) << ":" << r.StartX << "," << int(r.RelativeY) << ":"
                  << r.StartY;
        if (r.StringType == 2) *out_ << " offset " << int(r.OffsetX()) << "," << int(r.OffsetY());
        if (r.StringType == 5) *out_ << " angle " << r.Angle() << " word " << hex(r.TypeWord);
        if (r.StringType == 6) *out_ << " position " << int(r.PlacementPosition());
        *out_ << " string " << r.StringSize << " " << text(r.String) << "\n";
    }

    void infraLinks() {
        const TLN_FrameSpan& frame = frames_.InfraLink;
        TLN_Infra_Link_Frame f;
        const bool accepted = ReadInfraLinkFrame(frame, f);
        if (f.Position < 0) {
            if (out_) *out_ << "infra none\n";
            return;
        }
        ++records_;
        if (out_)
            *out_ << "infra " << f.Position << " accepted " << accepted << " office " << f.Office.X << ","
                  << f.Office.Y << " floor " << int(f.Office.ByteValue) << " date " << hex(f.Office.WordValue)
                  << " code " << hex(f.IdentificationCode) << " header " << f.HeaderSize << " meshes "
                  << f.MeshCount << " linkid " << f.LinkIdFlag() << " sizes " << f.MeshRecordSize << "/"
                  << f.LinkRecordSize << "/" << f.RoadLinkRecordSize << " roadlinks "
                  << f.RoadLinkTablePosition << ":" << f.RoadLinkTableSize << "\n";
        if (!accepted) return;
        for (int a = 0; a < kInfraLinkAreaCount; ++a) {
            const TLN_Infra_Link_Area& area = f.Areas[size_t(a)];
            ++records_;
            if (out_)
                *out_ << "infra-area " << a << " position " << area.Position << " data " << area.DataPosition
                      << " size " << area.Size << "\n";
            const int meshes = InfraLinkMeshCount(frame, f, a);
            int64_t before = 0;
            for (int m = 0; m < meshes; ++m) {
                TLN_TmcMeshInfoRec mesh;
                if (!ReadMeshInfo(frame, f, a, mesh, m)) continue;
                ++records_;
                if (out_)
                    *out_ << "mesh " << a << "/" << m << " position " << mesh.Position << " code "
                          << hex(mesh.MeshCode) << " counts " << words(mesh.Counts) << "\n";
                for (uint32_t j = 0; j < mesh.Total(); ++j) {
                    TLN_Infra_Link_Data data;
                    if (!ReadInfraLinkData(frame, f, a, mesh, before, j, data)) break;
                    infraLink(frame, f, data, a, m, j);
                }
                before += mesh.Total();
            }
        }
    }

    void infraLink(const TLN_FrameSpan& frame, const TLN_Infra_Link_Frame& header,
                   const TLN_Infra_Link_Data& data, int a, int m, uint32_t j) {
        const TLN_Infra_Link_Record& r = data.Record;
        ++records_;
        if (out_)
            *out_ << "infra-link " << a << "/" << m << "/" << j << " position " << r.Position << " attribute "
                  << int(r.Attribute) << " exceptional " << int(r.Exceptional) << " number " << r.LinkNumber
                  << " length " << r.Length << " records " << r.FirstNumber << "/" << r.SecondNumber
                  << " distances " << r.OriginDistance << "/" << r.EndDistance << " long " << r.HasLongNumber
                  << ":" << hex(r.LongNumber) << " roadlinks " << data.RoadLinkPosition << "x"
                  << data.RoadLinkCount << "\n";
        for (uint16_t k = 0; k < data.RoadLinkCount; ++k) {
            TLN_Road_Link_Corresponding_Rec link;
            if (!ReadRoadLinkCorrespondence(frame, link,
                                            data.RoadLinkPosition + int64_t(k) * header.RoadLinkRecordSize))
                break;
            ++records_;
            if (out_)
                *out_ << "road-link " << link.Position << " road " << hex(link.RoadOffset) << " backward "
                      << link.Backward() << " start " << link.StartNode() << " nodes " << link.NodeChangeCount
                      << " linkid " << hex(link.StartLinkId) << " ids " << link.IdChangeCount << "\n";
        }
    }

    void guidance() {
        const TLN_FrameSpan& frame = frames_.Guidance;
        TLN_Guidance_Data_Frame g;
        if (!ReadGuidanceDataFrame(frame, g)) return;
        ++records_;
        if (out_) {
            *out_ << "guidance " << g.Position << " size " << g.BasicDataSize << " flags " << hex(g.Flags)
                  << " intersection " << int(g.IntersectionClass()) << "/" << g.IntersectionNumber() << "/"
                  << int(g.IntersectionNode()) << " extended " << g.ExtendedPosition << " tables";
            for (int t = 0; t < kGuidanceTableCount; ++t)
                if (g.Tables[size_t(t)].Present)
                    *out_ << " " << GuidanceTableName(t) << ":" << g.Tables[size_t(t)].Position << "x"
                          << g.Tables[size_t(t)].Count;
            *out_ << "\n";
        }
        for (const int64_t p : GuidanceRecordPositions(frame, g, TLN_Guidance_Table::TowardNames)) {
            TLN_Toward_Name_Data_Rec r;
            ReadTowardName(frame, r, p);
            ++records_;
            if (!out_) continue;
            *out_ << "toward " << p << " attribute " << hex(r.Attribute) << " distance "
                  << r.DistanceInformation << " points " << r.Points.size();
            for (const auto& point : r.Points) {
                *out_ << " [" << hex(point.Attribute) << " string " << point.StringFlag() << ":"
                      << point.StringPosition << " nodes";
                for (const auto& node : point.Nodes)
                    *out_ << " " << hex(node.NodeInformation) << "/" << node.DirectionInformation;
                *out_ << "]";
            }
            *out_ << "\n";
        }
        for (const int64_t p : GuidanceRecordPositions(frame, g, TLN_Guidance_Table::DirectionGuides)) {
            TLN_Direction_Indicator_Data_Rec r;
            ReadDirectionIndicator(frame, r, p);
            ++records_;
            if (!out_) continue;
            *out_ << "direction " << p << " attribute " << hex(r.Attribute) << " points " << r.Points.size();
            for (const auto& point : r.Points) {
                *out_ << " [" << hex(point.Attribute) << " code " << hex(point.GuidanceCode())
                      << " intersection " << hex(point.IntersectionInformation) << " string "
                      << point.StringFlag() << ":" << point.StringPosition << " nodes";
                for (const auto& node : point.Nodes)
                    *out_ << " " << hex(node.NodeInformation) << "/" << node.DirectionInformation;
                *out_ << "]";
            }
            *out_ << "\n";
        }
        for (const int64_t p : GuidanceRecordPositions(frame, g, TLN_Guidance_Table::RoadStructures)) {
            TLN_Road_Structure_Data_Rec r;
            ReadRoadStructure(frame, r, p);
            ++records_;
            if (out_)
                *out_ << "structure " << p << " attribute " << hex(r.Attribute) << " distance "
                      << r.DistanceInformation << " offset " << r.OffsetDistance << " height "
                      << r.HeightInformation << " intersection " << r.IntersectionInformation << " string "
                      << r.StringFlag() << ":" << r.StringPosition << "\n";
        }
    }

    void strings() {
        TLN_Character_String_Data_Frame s;
        if (!ReadCharacterString(frames_.Strings, s, options_.keepRaw, options_.pages)) return;
        ++records_;
        if (out_)
            *out_ << "strings " << s.Position << " header " << s.HeaderSize << " items " << s.StoredItemCount
                  << "\n";
        for (size_t i = 0; i < s.Items.size(); ++i) {
            const TLN_Character_String_Item& item = s.Items[i];
            ++records_;
            if (out_)
                *out_ << "string-item " << i << " list " << item.ListPosition << " records "
                      << item.Records.size() << "/" << item.StoredRecordCount << "\n";
            for (const TLN_Character_String_Data_Rec& r : item.Records) {
                ++records_;
                if (out_)
                    *out_ << "string " << r.Position << " attribute " << hex(r.Attribute) << " display "
                          << text(r.Display) << " pronunciation " << text(r.Pronunciation) << " voice "
                          << r.VoiceFlag() << " speaker " << int(r.SpeakerCode()) << " method "
                          << int(r.RegenerationMethod()) << " address " << r.VoiceAddress << " size "
                          << r.VoiceSize << "\n";
            }
        }
    }

    const TLN_Parcel_Frames& frames_;
    std::ostream* out_;
    const FrameDumpOptions& options_;
    TLN_Level_Management_Record level_;
    uint32_t system_;
    size_t records_ = 0;
};

} // namespace

size_t dumpParcelFrames(const TLN_KiwiMap& map, const TLN_Parcel_Frames& frames, std::ostream* out,
                        const FrameDumpOptions& options) {
    return Dumper(map, frames, out, options).run();
}
