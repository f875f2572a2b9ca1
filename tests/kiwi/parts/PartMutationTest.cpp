// Seeded mutation test of the small part readers: random byte changes and truncations of every fixture,
// each mutant read completely; it must neither crash, hang nor allocate without bound, and no count it
// reports may exceed the bytes it was given.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/core/MapCodePage.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/parts/DicVceManager.h"
#include "kiwi/parts/FileConManager.h"
#include "kiwi/parts/LocalManager.h"
#include "kiwi/parts/Manager21.h"
#include "kiwi/parts/ParamManager.h"
#include "kiwi/parts/RdstmcManager.h"
#include "support/fixtures/DicVceFixture.h"
#include "support/fixtures/FileConFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/LocalFixture.h"
#include "support/fixtures/ParamFixture.h"
#include "support/fixtures/RdstmcFixture.h"

namespace {

// Walks stay within what a record view shows at once, so one mutant cannot cost millions of reads.
constexpr int64_t kWalkLimit = 24;

std::shared_ptr<TLN_MemoryStream> memory(const std::vector<uint8_t>& bytes) {
    return std::make_shared<TLN_MemoryStream>(bytes);
}

void walkParam(const std::vector<uint8_t>& bytes) {
    TLN_ParamManager reader(memory(bytes), 0);
    if (!reader.IsValid()) return;
    // Every count a reader reports is one of records it found inside the bytes.
    EXPECT_LE(int64_t(reader.PointerCount()), int64_t(bytes.size()));
    TLN_DrawingParamHeader drawing;
    for (int i = 0; i < reader.PointerCount(); ++i) {
        const TLN_ParamManagementPointer& pointer = reader.GetManagementPointer(i);
        TLN_DrawingParamHeader header;
        TLN_FrameReference reference;
        reader.ReadManagementRecord(pointer.DataFramePosition, header);
        reader.ReadFrameReference(pointer.DataFramePosition, reference);
        if (i == 0) drawing = header;
        for (int k = 0; k < std::min<int>(header.NumberOfPalettes, 4); ++k)
            reader.CreateColorPalette(k, header.ColorsPerPalette, header.ColorPaletteTablePosition);
        for (int64_t frame : {header.LandmarkFramePosition, reference.FramePosition}) {
            TLN_LandmarkDataFrame landmarks;
            reader.ReadLandmarkDataFrame(frame, landmarks);
            for (int t = 0; t < int(landmarks.TablePositions.size()); ++t) {
                TLN_LandmarkPatternTable table;
                TLN_LandmarkPatternTable2 table2;
                reader.ReadLandmarkPatternTable2(t, frame, table2);
                reader.ReadLandmarkPatternTable(t, frame, table);
                reader.LoadLandmarkImages(drawing, table);
                reader.ReadLandmarkPatternTable3(t, frame, table);
                reader.LoadLandmarkImages(drawing, table);
            }
        }
    }
}

void walkLocal(const std::vector<uint8_t>& bytes) {
    TLN_LocalManager reader(memory(bytes), 0);
    EXPECT_LE(int64_t(reader.AreaCount()), int64_t(bytes.size()));
    EXPECT_LE(int64_t(reader.LanguageCount()), int64_t(bytes.size()));
    for (int i = 0; i < reader.AreaCount(); ++i)
        reader.GetAreaName(reader.GetArea(i).AreaCode);
    for (int i = 0; i < reader.LanguageCount(); ++i)
        reader.GetLanguageName(i);
    TLN_Manager21 m21(memory(bytes), 0);
}

void walkRdstmc(const std::vector<uint8_t>& bytes) {
    TLN_RdstmcManager reader(memory(bytes), 0);
    if (!reader.IsValid()) return;
    EXPECT_LE(reader.RegionCount(), int64_t(bytes.size()));
    for (int p = 0; p < 3; ++p)
        EXPECT_LE(reader.MessageCount(p), int64_t(bytes.size()));
    for (int64_t i = 0; i < std::min(reader.RegionCount(), kWalkLimit); ++i) {
        TLN_TmcRegion region;
        reader.ReadRegionDataInfo(i, region);
        reader.ReadText(region.NamePosition, 0);
        for (int g = 0; g < std::min<int64_t>(region.ReadableGroups, kWalkLimit); ++g) {
            TLN_TmcGroup group;
            reader.ReadGroupInfo(i, g, group);
            for (int k = 0; k < std::min<int64_t>(group.ReadableLocations, kWalkLimit); ++k) {
                TLN_TmcLocationData data;
                reader.ReadLocationData(i, g, k, data);
                reader.ReadText(data.RoadName1Position, 1);
                reader.ReadText(data.CrossingRoadName1Position, 0);
            }
        }
    }
    for (int p = 0; p < 3; ++p)
        for (int64_t i = 0; i < std::min(reader.MessageCount(p), kWalkLimit); ++i) {
            TLN_TmcMessage message;
            reader.ReadMessageRecord(i, message);
            reader.ReadMessageRecord2(i, message);
            reader.ReadMessageRecord3(i, message);
            reader.ReadText(message.TextPosition, 1);
        }
}

void walkDicVce(const std::vector<uint8_t>& bytes) {
    TLN_DicVceManager reader(memory(bytes), 0);
    if (!reader.IsValid()) return;
    for (int j = 0; j < std::min<int>(reader.PhonemeHeader().NumberOfLanguages, 4); ++j) {
        TLN_DicVceLangRec language;
        reader.ReadLanguageRecord(j, reader.PhonemeHeader().LanguageRecordSize, language);
        TLN_DictionaryRecordHeader dictionary;
        reader.ReadDictionaryInfoRecord(language.DictionaryFramePosition, dictionary);
        for (const TLN_DictionaryType& type : dictionary.Types) {
            TLN_DictionaryHeader header;
            reader.ReadDictionaryHeader(type.DataPosition, header);
            for (int64_t g = 0; g < std::min(header.ReadableGroups, kWalkLimit); ++g) {
                TLN_DictionaryGroupOffset offset;
                TLN_DictionaryGroupData group;
                reader.GetGroupOffset(type.DataPosition, g, offset);
                reader.ReadGroupData(offset.Position, group);
                EXPECT_LE(reader.StringEntryCount(group), int64_t(bytes.size()));
                EXPECT_LE(header.ReadableGroups, int64_t(bytes.size()));
                for (int64_t i = 0; i < std::min(reader.StringEntryCount(group), kWalkLimit); ++i)
                    reader.ReadStringEntry(group, i);
            }
        }
    }
}

void walkFileCon(const std::vector<uint8_t>& bytes, const std::string& folder) {
    fixture::writeFile(folder + "/FILECON.MNG", bytes);
    TLN_FileConManager reader(folder + "/FILECON.MNG");
    if (!reader.IsValid()) return;
    EXPECT_LE(int64_t(reader.Count()), int64_t(bytes.size()));
    for (int i = 0; i < reader.Count(); ++i)
        reader.GetRecord(i);
    if (reader.Count() > 0) reader.Delete(0);
    reader.Serialize();
}

// Mutants: 1-8 random bytes changed (random values, or 0x00 / 0xFF, which make counts and offsets
// extreme), and every fifth one cut at a random length.
std::vector<uint8_t> mutate(const std::vector<uint8_t>& original, std::mt19937& random) {
    std::vector<uint8_t> bytes = original;
    std::uniform_int_distribution<size_t> position(0, bytes.size() - 1);
    const int changes = 1 + int(random() % 8);
    for (int i = 0; i < changes; ++i) {
        const uint32_t kind = random() % 4;
        bytes[position(random)] = kind == 0 ? 0x00 : kind == 1 ? 0xFF : uint8_t(random());
    }
    if (random() % 5 == 0) bytes.resize(position(random));
    return bytes;
}

template <typename Walk>
void runMutants(const std::vector<uint8_t>& original, uint32_t seed, int count, Walk walk) {
    std::mt19937 random(seed);
    for (int i = 0; i < count; ++i) {
        const std::vector<uint8_t> bytes = mutate(original, random);
        try {
            walk(bytes);
        } catch (const std::out_of_range&) {
            ADD_FAILURE() << "an index from the reader's own counts was refused, mutant " << i;
        }
    }
}

struct CodePageScope {
    int saved = MapTextCodePage;
    explicit CodePageScope(int codePage) { MapTextCodePage = codePage; }
    ~CodePageScope() { MapTextCodePage = saved; }
};

} // namespace

TEST(PartMutation, ParameterParts) {
    runMutants(fixture::buildParamPart(fixture::standardParamPlan()), 1101, 4000, walkParam);
}

TEST(PartMutation, LocalisationAndManager21) {
    runMutants(fixture::buildLocalPart(fixture::standardLocalPlan()), 1102, 3000, walkLocal);
    runMutants(fixture::buildManager21Part(44), 1103, 300, walkLocal);
}

TEST(PartMutation, RdstmcParts) {
    for (int codePage : {1251, 1200}) {
        CodePageScope scope(codePage);
        runMutants(fixture::buildRdstmcPart({.codePage = codePage}), 1104 + uint32_t(codePage), 2500,
                   walkRdstmc);
    }
}

TEST(PartMutation, VoiceDictionaries) {
    for (int codePage : {65001, 1251, 1200}) {
        CodePageScope scope(codePage);
        runMutants(fixture::buildDicVce({.codePage = codePage}), 1105 + uint32_t(codePage), 2000, walkDicVce);
    }
}

TEST(PartMutation, FileConTables) {
    const std::string folder = fixture::scratchDir("filecon-mutation");
    fixture::FileConPlan plan;
    plan.entries = fixture::fileConEntries(5);
    runMutants(fixture::buildFileCon(plan), 1106, 120, [&](const std::vector<uint8_t>& bytes) {
        try {
            walkFileCon(bytes, folder);
        } catch (const KiwiError&) {
        }
    });
}
