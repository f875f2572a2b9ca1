// kiwiprobe rdstmc, dicvce and gen-rdstmc: the RDS-TMC part and the voice command dictionary as their
// readers see them, and their fixture files.
#include <cstdio>

#include "ProbeCommand.h"
#include "kiwi/cmp/OpenKiwiFile.h"
#include "kiwi/core/MapCodePage.h"
#include "kiwi/parts/DicVceManager.h"
#include "kiwi/parts/RdstmcManager.h"
#include "support/fixtures/DicVceFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/RdstmcFixture.h"

namespace {

std::string quoted(const TLN_PartText& text) {
    return "\"" + text.Text.toStdString() + "\" raw=" + text.Raw.toHex().toUpper().toStdString();
}

void setCodePage(const probe::Args& args) {
    MapTextCodePage = int(args.number("--codepage", 65001, 0, 65535));
    MapAnsiCodePage = 0;
}

int rdstmcCommand(const probe::Args& args) {
    const auto& files = args.words();
    if (!probe::oneArgument(files, "rdstmc: give FILE [--offset N] [--codepage N] [--language N]")) return 2;
    setCodePage(args);
    const int language = int(args.number("--language", 0, 0, INT_MAX));
    const long long offset = args.number("--offset", 0, 0);
    TLN_RdstmcManager r(OpenKiwiFile(files[0]), offset);
    const TLN_RdstmcHeader& h = r.Header();
    std::printf("rdstmc valid=%d maker=%d,%d floor=%d date=0x%04X usage=%d reserved=0x%04X header=%lld\n",
                r.IsValid(), h.Maker.Y, h.Maker.X, h.Maker.ByteValue, h.Maker.WordValue, h.UsageCode,
                h.Reserved, (long long)h.HeaderSize);
    std::printf("frames tmc=@%lld size=%lld events=@%lld size=%lld text=@%lld size=%lld\n",
                (long long)h.TmcFramePosition, (long long)h.TmcFrameSize, (long long)h.EventsFramePosition,
                (long long)h.EventsFrameSize, (long long)h.TextFramePosition, (long long)h.TextFrameSize);
    if (!r.IsValid()) return 0;
    const TLN_TmcFrameHeader& t = r.TmcHeader();
    std::printf("tmc reserved=0x%04X header=%lld regions=%lld/%u recordsize=%lld groups=@%lld size=%lld "
                "infos=@%lld size=%lld data=@%lld size=%lld\n",
                t.Reserved, (long long)t.HeaderSize, (long long)r.RegionCount(), t.NumberOfRegions,
                (long long)t.RegionRecordSize, (long long)t.GroupFramePosition, (long long)t.GroupFrameSize,
                (long long)t.LocationInfoFramePosition, (long long)t.LocationInfoFrameSize,
                (long long)t.LocationFramePosition, (long long)t.LocationFrameSize);
    for (int64_t i = 0; i < r.RegionCount(); ++i) {
        TLN_TmcRegion region;
        r.ReadRegionDataInfo(i, region);
        std::printf("region %lld @%lld cc=0x%02X ltn=0x%02X area=%d ecc=0x%02X groups=%d@%lld/%lld "
                    "infos=%d@%lld/%lld "
                    "data=@%lld size=%lld name=%s\n",
                    (long long)i, (long long)region.Position, region.CountryCode, region.LocationTableNumber,
                    region.AreaCode, region.ExtendedCountryCode, region.NumberOfGroups,
                    (long long)region.GroupDataPosition, (long long)region.GroupRecordSize,
                    region.NumberOfLocationInfos, (long long)region.LocationInfoPosition,
                    (long long)region.LocationInfoRecordSize, (long long)region.LocationDataPosition,
                    (long long)region.LocationDataSize,
                    quoted(r.ReadText(region.NamePosition, language)).c_str());
        for (int g = 0; g < region.ReadableGroups; ++g) {
            TLN_TmcGroup group;
            if (!r.ReadGroupInfo(i, g, group)) continue;
            std::printf("group %d @%lld first=%d last=%d locations=%d infos=@%lld\n", g,
                        (long long)group.Position, group.FirstLocationNumber, group.LastLocationNumber,
                        group.NumberOfLocations, (long long)group.LocationInfoPosition);
            for (int k = 0; k < group.ReadableLocations; ++k) {
                TLN_TmcLocationInfo info;
                TLN_TmcLocationData d;
                r.ReadLocationInfo(i, g, k, info);
                r.ReadLocationData(i, g, k, d);
                std::printf(
                    "location %d @%lld number=%d property1=0x%04X type=%d property2=0x%02X data=@%lld\n", k,
                    (long long)info.Position, info.LocationNumber, info.Property1, info.LocationType,
                    info.Property2, (long long)info.LocationDataPosition);
                std::printf(
                    "  data typecode=0x%08X value4=0x%04X section=%d property3=0x%04X previous=%d next=%d "
                    "properties=0x%08X,0x%08X,0x%08X at=%d,%d\n",
                    d.LocationTypeCode, d.Value4, d.RoadSectionLocationNumber, d.Property3,
                    d.PreviousCrossroad, d.NextCrossroad, d.Property4, d.Property5, d.Property6, d.Location.Y,
                    d.Location.X);
                std::printf("  road1 %s\n  road2 %s\n  crossing1 %s\n  crossing2 %s\n",
                            quoted(r.ReadText(d.RoadName1Position, language)).c_str(),
                            quoted(r.ReadText(d.RoadName2Position, language)).c_str(),
                            quoted(r.ReadText(d.CrossingRoadName1Position, language)).c_str(),
                            quoted(r.ReadText(d.CrossingRoadName2Position, language)).c_str());
            }
        }
    }
    const TLN_TmcEventsHeader& e = r.EventsHeader();
    std::printf("events header=%lld\n", (long long)e.HeaderSize);
    for (int p = 0; p < 3; ++p) {
        std::printf("partition %d @%lld size=%lld messages=%lld\n", p, (long long)e.PartitionPosition[p],
                    (long long)e.PartitionSize[p], (long long)r.MessageCount(p));
        for (int64_t i = 0; i < r.MessageCount(p); ++i) {
            TLN_TmcMessage m;
            if (p == 0) r.ReadMessageRecord(i, m);
            if (p == 1) r.ReadMessageRecord2(i, m);
            if (p == 2) r.ReadMessageRecord3(i, m);
            std::printf("message %lld @%lld number=0x%04X property1=0x%08X property2=0x%08X text %s\n",
                        (long long)i, (long long)m.Position, m.MessageNumber, m.Property1, m.Property2,
                        quoted(r.ReadText(m.TextPosition, language)).c_str());
        }
    }
    return 0;
}

int dicvceCommand(const probe::Args& args) {
    const auto& files = args.words();
    if (!probe::oneArgument(files, "dicvce: give FILE [--offset N] [--codepage N]")) return 2;
    setCodePage(args);
    const long long base = args.number("--offset", 0, 0);
    TLN_DicVceManager r(OpenKiwiFile(files[0]), base);
    const TLN_DicVceHeader& h = r.Header();
    std::printf("dicvce valid=%d user=%d,%d floor=%d date=0x%04X dataframe=%lld header=%lld\n", r.IsValid(),
                h.UserClassification.Y, h.UserClassification.X, h.UserClassification.ByteValue,
                h.UserClassification.WordValue, (long long)h.DataFrameSize, (long long)h.HeaderSize);
    std::printf("frames phoneme=@%lld header=%lld size=%lld text=@%lld records=%u size=%lld extended=@%lld "
                "size=%lld\n",
                (long long)h.PhonemeFramePosition, (long long)h.PhonemeHeaderSize,
                (long long)h.PhonemeFrameSize, (long long)h.TextFramePosition, h.NumberOfTextRecords,
                (long long)h.TextFrameSize, (long long)h.ExtendedFramePosition,
                (long long)h.ExtendedFrameSize);
    if (!r.IsValid()) return 0;
    const TLN_PhonemeFrameHeader& p = r.PhonemeHeader();
    std::printf(
        "phoneme size=%lld languages=%d recordsize=%lld extension=@%lld size=%lld list=@%lld size=%lld\n",
        (long long)p.Size, p.NumberOfLanguages, (long long)p.LanguageRecordSize,
        (long long)p.PhonemeExtensionPosition, (long long)p.PhonemeExtensionSize,
        (long long)p.LanguageExtensionPosition, (long long)p.LanguageExtensionSize);
    std::printf("text size=%lld pages=%u\n", (long long)r.TextHeader().Size, r.TextHeader().NumberOfPages);
    for (int j = 0; j < p.NumberOfLanguages; ++j) {
        TLN_DicVceLangRec l;
        r.ReadLanguageRecord(j, p.LanguageRecordSize, l);
        std::printf(
            "language %d @%lld user=%d,%d toponym=%s dictionary=@%lld header=%lld size=%lld voice=@%lld "
            "size=%lld id=0x%X code=0x%X\n",
            j, (long long)l.Position, l.UserClassification.Y, l.UserClassification.X, l.Toponym.c_str(),
            (long long)l.DictionaryFramePosition, (long long)l.DictionaryHeaderSize,
            (long long)l.DictionaryFrameSize, (long long)l.VoiceRecognitionPosition,
            (long long)l.VoiceRecognitionSize, l.RecordID, l.RecordCode);
        if (j > 0) continue; // the languages share one dictionary in the fixture
        TLN_DictionaryRecordHeader d;
        r.ReadDictionaryInfoRecord(l.DictionaryFramePosition, d);
        std::printf("dictionary @%lld size=%lld a=@%lld/%lld b=@%lld/%lld type=0x%X types=%zu/%u\n",
                    (long long)d.Position, (long long)d.Size, (long long)d.ExtensionAPosition,
                    (long long)d.ExtensionASize, (long long)d.ExtensionBPosition, (long long)d.ExtensionBSize,
                    d.DataTypeCode, d.Types.size(), d.NumberOfTypes);
        for (const TLN_DictionaryType& type : d.Types) {
            TLN_DictionaryHeader info;
            r.ReadDictionaryHeader(type.DataPosition, info);
            std::printf("type %s @%lld header=%lld size=%lld groups=%lld/%u datatype=0x%X infosize=%lld\n",
                        type.Name.c_str(), (long long)type.DataPosition, (long long)type.DataHeaderSize,
                        (long long)type.DataSize, (long long)info.ReadableGroups, info.NumberOfGroups,
                        info.DataTypeCode, (long long)info.InfoDataSize);
            for (int64_t g = 0; g < info.ReadableGroups; ++g) {
                TLN_DictionaryGroupOffset offset;
                TLN_DictionaryGroupData group;
                r.GetGroupOffset(type.DataPosition, g, offset);
                r.ReadGroupData(offset.Position, group);
                std::printf(
                    "group 0x%X @%lld size=%lld type=%s id=0x%X page=%u page@%lld list=@%lld items=%lld/%u "
                    "phonetic=@%lld size=%lld\n",
                    offset.Identifier, (long long)group.Position, (long long)group.Size,
                    group.TypeName.c_str(), group.GroupID, group.TextPageID,
                    (long long)r.GetStringEntryOffset(group.TextPageID),
                    (long long)group.StringEntryListPosition, (long long)r.StringEntryCount(group),
                    group.NumberOfItems, (long long)group.PhoneticDataPosition,
                    (long long)group.PhoneticDataSize);
                for (int64_t i = 0; i < r.StringEntryCount(group); ++i)
                    std::printf("string %lld %s\n", (long long)i,
                                quoted(r.ReadStringEntry(group, i)).c_str());
            }
        }
    }
    return 0;
}

// RDSTMC1251.KWI (part at 0), RDSTMC1200.KWI (part at 40), RDSTMCBAD.KWI (usage code 1234),
// DICVCE56.KWI (UTF-8), DICVCE1251.KWI, DICVCE1200.KWI (46-byte language records, part at 40).
int generateCommand(const probe::Args& args) {
    if (!probe::oneArgument(args.words(), "gen-rdstmc: give DIR")) return 2;
    const std::string dir = args.words()[0];
    fixture::writeFile(dir + "/RDSTMC1251.KWI", fixture::buildRdstmcPart({.codePage = 1251}));
    fixture::writeFile(
        dir + "/RDSTMC1200.KWI",
        fixture::buildRdstmcPart({.codePage = 1200, .usageCode = 65297, .lastStringPastEnd = true}, 40));
    fixture::writeFile(dir + "/RDSTMCBAD.KWI", fixture::buildRdstmcPart({.usageCode = 1234}));
    fixture::writeFile(dir + "/DICVCE56.KWI", fixture::buildDicVce({.codePage = 65001}));
    fixture::writeFile(dir + "/DICVCE1251.KWI", fixture::buildDicVce({.codePage = 1251}));
    fixture::writeFile(dir + "/DICVCE1200.KWI",
                       fixture::buildDicVce({.codePage = 1200, .languageRecordBytes = 46}, 40));
    return 0;
}

probe::Register rdstmc("rdstmc", "FILE [--offset N] [--codepage N] [--language N]",
                       "The RDS-TMC part at N: its tables and locations.", rdstmcCommand);
probe::Register dicvce("dicvce", "FILE [--offset N] [--codepage N]",
                       "The voice command dictionary at N: its groups and items.", dicvceCommand);
probe::Register gen("gen-rdstmc", "DIR", "Writes the RDS-TMC and dictionary test files into DIR.",
                    generateCommand);

} // namespace
