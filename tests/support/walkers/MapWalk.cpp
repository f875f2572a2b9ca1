// The main map walk and its text.
#include "support/walkers/MapWalk.h"

#include <sstream>

#include "kiwi/map/KiwiMap.h"

namespace {

std::string quoted(const std::string& text) {
    std::string result = "\"";
    for (unsigned char c : text) {
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
            result += buffer;
        } else {
            result += char(c);
        }
    }
    return result + "\"";
}

std::string pair(const TLN_Division& division) {
    return std::to_string(division.X) + "x" + std::to_string(division.Y);
}

std::string references(const std::vector<TLN_Frame_Reference>& list) {
    std::string text = "[";
    for (size_t i = 0; i < list.size(); ++i) {
        if (i) text += " ";
        text += std::to_string(list[i].Position) + ":" + std::to_string(list[i].Size);
    }
    return text + "]";
}

class Walker {
public:
    Walker(TLN_KiwiMap& map, std::ostream& out, const MapWalkOptions& options)
        : map_(map), out_(out), options_(options) {}

    MapWalkResult run() {
        for (uint32_t level = 0; level < map_.LevelCount() && more(); ++level)
            walkLevel(uint8_t(level));
        return result_;
    }

private:
    bool more() {
        if (options_.limit && result_.records >= options_.limit) {
            if (result_.complete) out_ << "limit " << options_.limit << " records\n";
            result_.complete = false;
        }
        return result_.complete;
    }

    void walkLevel(uint8_t level) {
        const TLN_Level_Management_Record& l = *map_.Level(level);
        ++result_.records;
        out_ << "level " << int(level) << " code " << int(l.LevelCode) << " position " << l.Position
             << " blocksets " << pair(l.BlockSets) << " blocks " << pair(l.Blocks) << " parcels "
             << pair(l.Parcels) << " divisions " << pair(l.Divisions[1]) << "/" << pair(l.Divisions[2]) << "/"
             << pair(l.Divisions[3]) << " integrated " << l.IntegratedCount << " divided " << l.DividedCount
             << " frames " << int(l.MainMapBasicCount) << "+" << int(l.MainMapExtendedCount) << " route "
             << int(l.RouteGuidanceBasicCount) << "+" << int(l.RouteGuidanceExtendedCount) << " scales";
        for (size_t i = 0; i < 5; ++i)
            out_ << (i ? "," : " ") << l.Scales[i] << quoted(l.ScaleLabels[i]);
        out_ << " table " << l.BlockSetTablePosition << " node " << l.NodeRecordSize << " size "
             << l.ParcelWidth << "x" << l.ParcelHeight << " classes " << int(l.RoadClassCount) << "/"
             << int(l.BackgroundClassCount) << "/" << int(l.NameClassCount);
        for (const auto* codes : {&l.RoadClassCodes, &l.BackgroundClassCodes, &l.NameClassCodes}) {
            out_ << " [";
            for (size_t i = 0; i < codes->size(); ++i)
                out_ << (i ? " " : "") << (*codes)[i];
            out_ << "]";
        }
        out_ << "\n";
        // As many block sets and blocks as the map accepts: damaged counts can declare millions.
        for (uint32_t set = 0; set < l.AcceptedBlockSetCount && more(); ++set)
            walkBlockSet(level, set);
    }

    void walkBlockSet(uint8_t level, uint32_t set) {
        ++result_.records;
        TLN_BlockSet_Management_Record record;
        const std::string name = std::to_string(level) + "/" + std::to_string(set);
        if (!map_.ReadBlockSet(level, set, record)) {
            out_ << "blockset " << name << " not found\n";
            return;
        }
        out_ << "blockset " << name << " position " << record.Position << " code " << int(record.LevelCode)
             << " number " << int(record.BlockSetNumber) << " table " << record.BlockTablePosition << " size "
             << record.BlockTableSize << "\n";
        for (uint32_t block = 0; block < record.BlockCount && more(); ++block)
            walkBlock(level, set, block, name + "/" + std::to_string(block));
    }

    void walkBlock(uint8_t level, uint32_t set, uint32_t block, const std::string& name) {
        ++result_.records;
        TLN_Block_Management_Record record;
        if (!map_.ReadBlock(level, set, block, record)) {
            out_ << "block " << name << " not found\n";
            return;
        }
        TLN_Parcel_Management_Info info;
        const bool found = map_.ReadParcelManagement(record.Stream, level, info, record.Address);
        out_ << "block " << name << " position " << record.Position << " pmi " << record.Address << " size "
             << record.Size << " file " << quoted(record.FileName);
        if (!found) {
            out_ << " information not found\n";
            return;
        }
        printInformation(info);
        out_ << "\n";
        for (uint32_t parcel = 0; parcel < info.RecordCount && more(); ++parcel)
            walkParcel(level, record, info, parcel, name + "/" + std::to_string(parcel));
    }

    void printInformation(const TLN_Parcel_Management_Info& info) {
        out_ << " division " << int(info.DivisionType) << " list " << int(info.ListType) << " records "
             << info.RecordCount << " route " << info.RouteGuidanceListPosition << " name "
             << quoted(info.FileName);
    }

    void walkParcel(uint8_t level, const TLN_Block_Management_Record& block,
                    const TLN_Parcel_Management_Info& info, uint32_t index, const std::string& name) {
        ++result_.records;
        TLN_MM_Parcel_Managenent_Record record;
        if (!map_.ReadParcel(block.Stream, level, index, record, false, block.Address)) {
            out_ << "parcel " << name << " not found\n";
            return;
        }
        if (record.IsDivided()) {
            TLN_Parcel_Management_Info sub;
            map_.ReadParcelManagement(record.Stream, level, sub, record.Address);
            out_ << "parcel " << name << " position " << record.Position << " divided " << record.Address;
            printInformation(sub);
            out_ << "\n";
            for (uint32_t subIndex = 0; subIndex < sub.RecordCount && more(); ++subIndex) {
                ++result_.records;
                const std::string subName = name + "/" + std::to_string(subIndex);
                TLN_MM_Parcel_Managenent_Record subRecord;
                if (!map_.ReadParcel(record.Stream, level, subIndex, subRecord, false, record.Address)) {
                    out_ << "subparcel " << subName << " not found\n";
                } else if (subRecord.IsDivided()) {
                    out_ << "subparcel " << subName << " divided again, not followed\n";
                } else {
                    printParcel("subparcel", subName, level, subRecord);
                }
            }
            return;
        }
        printParcel("parcel", name, level, record);
        if (info.RouteGuidanceListPosition >= 0) {
            TLN_MM_Parcel_Managenent_Record route;
            if (!map_.ReadParcel(block.Stream, level, index, route, true, block.Address)) {
                out_ << "route " << name << " not found\n";
                return;
            }
            TLN_RG_Distribution_Header header;
            out_ << "route " << name << " position " << route.Position << " frame " << route.Address
                 << " size " << route.Size;
            if (map_.ReadRouteGuidanceHeader(route.Stream, level, header, route.Address))
                out_ << " header " << header.HeaderSize << " id " << int(header.Identifier) << " adjacent "
                     << header.AdjacentFlag << " code " << header.PracticalManagementCode << " height "
                     << header.HeightInformation << " standard " << header.BaseMapScaleStandard << " base "
                     << header.BaseMapIdentifier << " basic " << references(header.Basic) << " extended "
                     << references(header.Extended);
            else
                out_ << " header not found";
            out_ << "\n";
        }
    }

    void printParcel(const char* kind, const std::string& name, uint8_t level,
                     const TLN_MM_Parcel_Managenent_Record& record) {
        ++result_.parcels;
        out_ << kind << " " << name << " position " << record.Position << " frame " << record.Address
             << " size " << record.Size << " list " << int(record.ListType) << " word " << record.ExtraWord
             << " file " << quoted(record.FileName) << "\n";
        TLN_MM_Distribution_Header h;
        if (!map_.ReadMainMapHeader(record.Stream, level, h, true, record.Address)) {
            out_ << "header " << name << " not found\n";
            return;
        }
        out_ << "header " << name << " size " << h.HeaderSize << " reference " << h.ReferenceX << ","
             << h.ReferenceY << " location " << int(h.LocationCodeX) << "," << int(h.LocationCodeY) << " id "
             << int(h.Identifier) << " type " << int(h.TypeNumber) << " numbers " << int(h.LongitudinalNumber)
             << "x" << int(h.LatitudinalNumber) << " area " << h.AreaCodeWord << " scale " << h.Scale
             << " length " << h.RealLengthX << "x" << h.RealLengthY << " geomagnetic "
             << h.GeomagneticStrength << "/" << h.GeomagneticDeclination << " route "
             << h.RouteGuidancePosition << ":" << h.RouteGuidanceSize << " regions [";
        for (size_t i = 0; i < h.Regions.size(); ++i)
            out_ << (i ? " " : "") << int(h.Regions[i].LevelCode) << ":" << h.Regions[i].RegionNumber;
        out_ << "] basic " << references(h.Basic) << " extended " << references(h.Extended) << " inside "
             << h.TablesInsideHeader << (h.Truncated ? " truncated" : "");
        if (h.AdjacentFlag) {
            out_ << " adjacent [";
            for (size_t i = 0; i < h.Adjacent.size(); ++i) {
                const TLN_Adjacent_Parcel& a = h.Adjacent[i];
                out_ << (i ? " " : "") << a.Address << ":" << a.Size;
                if (a.Divided)
                    out_ << "/divided " << int(a.DivisionCount1) << "x" << int(a.DivisionCount2) << " "
                         << references(a.List);
            }
            out_ << "]";
        }
        out_ << "\n";
    }

    TLN_KiwiMap& map_;
    std::ostream& out_;
    const MapWalkOptions& options_;
    MapWalkResult result_;
};

} // namespace

void printMapSummary(TLN_KiwiMap& map, std::ostream& out) {
    const TLN_AllDataManager& allData = map.AllDataManager();
    const TLN_Data_Volume& volume = allData.DataVolume();
    out << "volume system " << quoted(volume.Maker.Name) << " number " << allData.SystemNumber() << " sub "
        << allData.SystemSubNumber() << " code " << quoted(allData.GetSystemCode()) << " variant "
        << int(allData.SystemVariant()) << " sector " << allData.LogicalSectorSize() << " version "
        << quoted(allData.GetDataVersionNumber()) << " title " << quoted(volume.DiskTitle) << " types "
        << volume.DataTypeCount << "\n";
    for (int i = 0; i < kManagementHeaderCount; ++i) {
        const TLN_Management_Header header = map.GetManagementHeader(i);
        if (header.Address < 0 && header.Size == 0 && header.Name.empty()) continue;
        out << "management " << i << " address " << header.Address << " size " << header.Size << " name "
            << quoted(header.Name) << "\n";
    }
    const TLN_Rect& coverage = map.Coverage();
    out << "map valid " << map.IsValid() << " levels " << map.LevelCount() << " base " << map.PartBase()
        << " header " << map.HeaderSize() << " names " << map.FileNameDesignation() << " coverage "
        << coverage.Left << "," << coverage.Bottom << "," << coverage.Right << "," << coverage.Top
        << " records " << map.LevelRecordSize() << "/" << map.BlockSetRecordSize() << "/"
        << map.BlockRecordSize() << " blocksets " << map.BlockSetRecordCount() << "\n";
}

MapWalkResult walkMap(TLN_KiwiMap& map, std::ostream& out, const MapWalkOptions& options) {
    return Walker(map, out, options).run();
}

std::string dumpMap(TLN_KiwiMap& map, const MapWalkOptions& options) {
    std::ostringstream out;
    printMapSummary(map, out);
    walkMap(map, out, options);
    return out.str();
}
