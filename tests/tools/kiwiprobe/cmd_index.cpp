// kiwiprobe index: what TLN_IndexManager reads from INDEXDAT.KWI and the data files it names, one record
// per line; gen-index writes the test fixture.
#include <cstdio>
#include <string>

#include "ProbeCommand.h"
#include "kiwi/cmp/OpenKiwiFile.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/index/IndexManager.h"
#include "support/fixtures/IndexFixture.h"

namespace {

// Upper-case hexadecimal; "-" for a negative position (none).
std::string hex(int64_t value) {
    if (value < 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "0x%llX", (long long)value);
    return text;
}

std::string quoted(const QString& text) {
    return "\"" + text.toStdString() + "\"";
}

// "file:0xPOS" ("index" for the index file itself), "-" when there is nothing.
std::string where(const TLN_Additional_Address& address) {
    if (!address.Exists()) return "-";
    return (address.FileName.empty() ? std::string("index") : address.FileName) + ":" +
           hex(address.DataPosition);
}

std::string area(const TLN_Point& point) {
    return FormatLatitude(point.Y) + "/" + FormatLongitude(point.X);
}

class IndexPrinter {
public:
    explicit IndexPrinter(TLN_IndexManager& index) : index_(index) {}

    void header() {
        const TLN_Data_Management_Frame_Header& h = index_.Header();
        std::printf("header valid=%d declaration=%s version=%s date=%016llX copyright=\"%s\"\n",
                    index_.IsValid(), h.DataDeclaration.c_str(), h.DataFormatVersion.c_str(),
                    (unsigned long long)h.CreationDate(), h.Copyright.c_str());
        std::printf("fields user=%u@%u expansion=%u@%u volumes=%u/%u@%u poi=%u/%u@%u usable=%u,%u\n",
                    h.UserFieldSize, h.UserFieldOffset, h.ExpansionFieldSize, h.ExpansionFieldOffset,
                    h.VolumeRecordCount, h.VolumeRecordSize, h.VolumeRecordOffset, h.POIRecordCount,
                    h.POIRecordSize, h.POIRecordOffset, index_.VolumeCount(), index_.POICount());
        std::printf("title size=%u offset=%u at=%s %s\n", h.TitleSize, h.TitleOffset,
                    hex(h.Title.Position).c_str(), quoted(h.Title.Text.text).c_str());
        if (h.HasExpansionField)
            std::printf("expansion-field declaration=%s records=%u usable=%u truncated=%d\n",
                        h.ExpansionDataDeclaration.c_str(), h.ExpansionRecordCount, index_.ExpansionCount(),
                        index_.ExpansionTruncated());
    }

    void managementRecord(const char* label, uint32_t i, const TLN_Volume_Management_Record& r) {
        std::printf("%s %u at=%s declaration=%s kind=%s \"%s\" address=%s expansion=%u@%u keyboard=%s min=%s "
                    "max=%s frame=%u field=%s to=%s item=%s representation=%s\n",
                    label, i, hex(r.Position).c_str(), r.DataDeclaration.c_str(), r.KindDeclaration.c_str(),
                    GetSearchKindName(r.KindDeclaration).c_str(), r.AddressDeclaration.c_str(),
                    r.ExpansionFieldSize, r.ExpansionFieldOffset, r.KeyboardDesignation.c_str(),
                    area(r.CoveredMinimum).c_str(), area(r.CoveredMaximum).c_str(), r.FrameSize,
                    hex(r.FrameAddressField).c_str(), where(r.FrameAddress).c_str(),
                    hex(r.FrameAddress.ItemPosition).c_str(), quoted(r.Representation.Text.text).c_str());
    }

    void expansionRecord(uint32_t i, const TLN_Index_Expansion_Rec& r) {
        std::printf("expansion %u at=%s length=%lld declaration=%s maker=%d,%d,%u,%s size=%u address=%s "
                    "name=\"%s\" offset=%u to=%s\n",
                    i, hex(r.Position).c_str(), (long long)r.Length, r.DataDeclaration.c_str(),
                    r.ManufacturerID.Y, r.ManufacturerID.X, r.ManufacturerID.ByteValue,
                    hex(r.ManufacturerID.WordValue).c_str(), r.Size, r.AddressDeclaration.c_str(),
                    r.FileName.c_str(), r.DataOffset, where(r.Data).c_str());
    }

    // Follows an address only into files that exist; a missing one is reported, not opened.
    bool reachable(const char* indent, const char* what, const TLN_Additional_Address& address) {
        if (!address.Exists()) return false;
        if (address.FileName.empty() || index_.DataFileExists(address.FileName)) return true;
        std::printf("%s%s missing %s\n", indent, what, address.FileName.c_str());
        return false;
    }

    void frame(const char* label, const TLN_Search_Frame_Header& f) {
        std::printf("  %s at=%s declaration=%s records=%u size=%u offset=%u first=%s first-declaration=%s "
                    "usable=%u\n",
                    label, where(f.Frame).c_str(), f.DataDeclaration.c_str(), f.RecordCount, f.RecordSize,
                    f.RecordOffset, hex(f.RecordsPosition).c_str(), f.RecordsDeclaration.c_str(),
                    f.UsableCount(TLN_Detailed_Info_Rec::Length));
    }

    void definition(const char* label, const TLN_Additional_Address& at, uint32_t sizeWords) {
        if (!reachable("    ", label, at)) return;
        TLN_Definition_Frame d;
        if (!index_.ReadDataDefinition(at, d, int64_t(sizeWords) * 2)) {
            std::printf("    %s at=%s not found\n", label, where(at).c_str());
            return;
        }
        std::printf("    %s at=%s declaration=%s name=%s columns=%u read=%zu truncated=%d\n", label,
                    where(at).c_str(), d.DataDeclaration.c_str(), d.Name.c_str(), d.ColumnCount,
                    d.Columns.size(), d.Truncated);
        for (const TLN_Definition_Column& c : d.Columns)
            std::printf("      column %s value4=%s type=%s count=%u count-code=%s value12=%s\n",
                        c.Name.c_str(), hex(c.Value4).c_str(), c.TypeCode.c_str(), c.ElementCount,
                        c.CountCode().c_str(), hex(c.Value12).c_str());
    }

    void searchRecords(uint32_t owner, const TLN_Search_Frame_Header& f) {
        const uint32_t count = f.UsableCount(TLN_Detailed_Info_Rec::Length);
        for (uint32_t i = 0; i < count; ++i) {
            TLN_Detailed_Info_Rec r;
            if (!index_.ReadDetailedSearchRecord(f, i, r)) {
                std::printf("    search %u.%u not found\n", owner, i);
                continue;
            }
            std::printf(
                "    search %u.%u at=%s declaration=%s expansion=%u@%u category-definition=%u:%s "
                "category-data=%u:%s keyboard=%s parent=%u option=%u first-level=%u items=%u offset=%u "
                "keyboard1=%s\n",
                owner, i, hex(r.Position).c_str(), r.DataDeclaration.c_str(), r.ExpansionFieldSize,
                r.ExpansionFieldOffset, r.CategoryDefinitionSize, where(r.CategoryDefinition).c_str(),
                r.CategoryDataSize, where(r.CategoryData).c_str(), r.KeyboardDesignation.c_str(),
                r.CategoryParentRecordSize, r.CategoryOptionRecordSize, r.FirstLevelCategorySize,
                r.FirstLevelOptionCount, r.FirstLevelCategoryOffset, r.FirstLevelKeyboardDesignation.c_str());
            std::printf("    search %u.%u matching-definition=%u:%s matching-data=%u:%s record-size=%u "
                        "records=%u poi-serial=%u next-level=%u:%s representation=%s\n",
                        owner, i, r.MatchingDefinitionSize, where(r.MatchingDefinition).c_str(),
                        r.MatchingDataSize, where(r.MatchingData).c_str(), r.MatchingRecordSize,
                        r.MatchingRecordCount, r.DefaultPOISerialNumber, r.NextLevelSize,
                        where(r.NextLevel).c_str(), quoted(r.Representation.Text.text).c_str());
            definition("category-definition", r.CategoryDefinition, r.CategoryDefinitionSize);
            definition("matching-definition", r.MatchingDefinition, r.MatchingDefinitionSize);
            reachable("    ", "category-data", r.CategoryData);
        }
    }

    void poiRecords(uint32_t owner, const TLN_Search_Frame_Header& f) {
        const uint32_t count = f.UsableCount(TLN_Detailed_POIInfo_Rec::Length);
        for (uint32_t i = 0; i < count; ++i) {
            TLN_Detailed_POIInfo_Rec r;
            if (!index_.ReadDetailedPOIRecord(f, i, r)) {
                std::printf("    poi-record %u.%u not found\n", owner, i);
                continue;
            }
            std::printf(
                "    poi-record %u.%u at=%s declaration=%s expansion=%u@%u definition=%u:%s data=%u:%s "
                "record-size=%u records=%u\n",
                owner, i, hex(r.Position).c_str(), r.DataDeclaration.c_str(), r.ExpansionFieldSize,
                r.ExpansionFieldOffset, r.DefinitionSize, where(r.Definition).c_str(), r.DataSize,
                where(r.Data).c_str(), r.RecordSize, r.RecordCount);
            definition("poi-definition", r.Definition, r.DefinitionSize);
            reachable("    ", "poi-data", r.Data);
        }
    }

    void followFrame(const char* label, uint32_t owner, const TLN_Additional_Address& at, bool fileAddresses,
                     bool poi) {
        if (!reachable("  ", label, at)) return;
        TLN_Search_Frame_Header f;
        if (!index_.ReadSearchFrameHeader(at, fileAddresses, f)) {
            std::printf("  %s at=%s not found\n", label, where(at).c_str());
            return;
        }
        frame(label, f);
        if (poi)
            poiRecords(owner, f);
        else
            searchRecords(owner, f);
    }

    void characterFrame(const TLN_Additional_Address& at) {
        if (!reachable("  ", "characters", at)) return;
        TLN_Character_Info_Frame frame;
        if (!index_.ReadCharacterInfoFrame(at, frame)) {
            std::printf("  characters at=%s not found\n", where(at).c_str());
            return;
        }
        std::printf("  characters at=%s declaration=%s entries=%u read=%zu truncated=%d\n", where(at).c_str(),
                    frame.DataDeclaration.c_str(), frame.EntryCount, frame.Entries.size(), frame.Truncated);
        for (const TLN_Character_Info_Entry& e : frame.Entries)
            std::printf("    entry at=%s id=%s value=%s type=%s name=\"%s\" offset=%u to=%s\n",
                        hex(e.Position).c_str(), e.ID.c_str(), hex(e.Value).c_str(), e.Type.c_str(),
                        e.Name.c_str(), e.DataOffset, where(e.Data).c_str());
    }

    void all(bool records) {
        header();
        for (uint32_t i = 0; i < index_.VolumeCount(); ++i) {
            TLN_Volume_Management_Record r;
            if (!index_.ReadVolumeRecord(i, r)) continue;
            managementRecord("volume", i, r);
            if (records) followFrame("search-frame", i, r.FrameAddress, r.UsesFileAddresses(), false);
        }
        for (uint32_t i = 0; i < index_.POICount(); ++i) {
            TLN_POI_Management_Record r;
            if (!index_.ReadPOIManagementRecord(i, r)) continue;
            managementRecord("poi", i, r);
            if (records) followFrame("poi-frame", i, r.FrameAddress, r.UsesFileAddresses(), true);
        }
        for (uint32_t i = 0; i < index_.ExpansionCount(); ++i) {
            TLN_Index_Expansion_Rec r;
            if (!index_.ReadExpansionRecord(i, r)) continue;
            expansionRecord(i, r);
            if (records) characterFrame(r.Data);
        }
    }

private:
    TLN_IndexManager& index_;
};

int indexCommand(const probe::Args& args) {
    const auto& names = args.words();
    if (!probe::oneArgument(names, "index: give one INDEXDAT.KWI")) return 2;
    const long long base = args.number("--base", 0, 0);
    if (!probe::mountImageOption(args, "index")) return probe::kImageNotMounted;
    std::unique_ptr<TLN_IndexManager> index;
    if (args.has("--base"))
        index = TLN_IndexManager::CreateFromStream(OpenKiwiFile(names[0]), base);
    else
        index = TLN_IndexManager::Create(names[0]);
    if (args.has("--open")) {
        // One data file by name: its size, or the error text the reader raises.
        const std::string name = args.value("--open");
        std::printf("exists %s %d\n", name.c_str(), index->DataFileExists(name));
        try {
            std::printf("open %s size=%lld\n", name.c_str(), (long long)index->OpenDataFile(name)->Size());
        } catch (const KiwiError& error) {
            std::printf("open %s error=\"%s\"\n", name.c_str(), error.what());
        }
        return 0;
    }
    IndexPrinter(*index).all(args.has("--records"));
    return 0;
}

int generateCommand(const probe::Args& args) {
    const auto& folders = args.words();
    if (!probe::oneArgument(folders, "gen-index: give one DIR")) return 2;
    const auto fixture = fixture::buildIndexFixture(args.number("--base", 0, 0, probe::kMostGeneratedBase));
    if (args.has("--listed")) {
        // The data file gzip-compressed in 64 KiB blocks and named by a "05.CMP" list beside it.
        std::printf(
            "%s\n",
            fixture::writeListedIndexFixture(folders[0], fixture, fixture::CmpLayout::Gzip05).c_str());
        return 0;
    }
    std::printf(
        "%s\n",
        fixture::writeIndexFixture(folders[0], fixture, args.value("--data-name", "SRCH0001.KWI")).c_str());
    return 0;
}

probe::Register reg("index", "INDEXDAT.KWI [--records | --open NAME] [--base N] [--image IMAGE]",
                    "The index part: its header, tables and categories; --open opens one data file.",
                    indexCommand);
probe::Register regGenerate("gen-index", "DIR [--base N] [--data-name FILE | --listed]",
                            "Writes the index test files into DIR.", generateCommand);

} // namespace
