// The sample disc: LOADING.KWI, COVERAGE.BIN with its picture, ALLDATA.KWI (the town's main map with its
// localisation and distribution parts inside), REGION.KWI, INDEXDAT.KWI with its data file, PCT2MNG.KWI
// with its pictures, VOICEDAT.KWI, VOICE001.ME, the parameter, RDS-TMC and voice command dictionary parts,
// and a 05.CMP listing the files stored compressed (gzip and byte-pair blocks).
#include "SampleDisc.h"

#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/DicVceFixture.h"
#include "support/fixtures/LoadingFixtures.h"
#include "support/fixtures/LocalFixture.h"
#include "support/fixtures/ParamFixture.h"
#include "support/fixtures/PictureFixture.h"
#include "support/fixtures/RdstmcFixture.h"
#include "support/fixtures/RegionFixture.h"
#include "support/fixtures/TownIndex.h"
#include "support/fixtures/TownMapPlan.h"
#include "support/fixtures/TownMedia.h"
#include "support/fixtures/VoiceFixtures.h"

namespace {

// Replaces the listed files by their compressed form and writes the list naming them: the search data in
// gzip blocks, the pictures in byte-pair blocks.
void compress(DiscFiles& files) {
    std::vector<fixture::CmpListEntryPlan> entries;
    for (const auto& [name, type] :
         std::vector<std::pair<std::string, uint16_t>>{{"SRCH0001.KWI", 2}, {"PICT0001.KWI", 1}}) {
        fixture::CmpListEntryPlan entry;
        entry.name = name;
        entry.type = type;
        files[name] = fixture::buildCmpDataFile(files.at(name), entry);
        entries.push_back(entry);
    }
    files["05.CMP"] = fixture::buildCmpList(entries);
}

// Management header indexes of the parts the sample disc adds (the town plan's system number is below 8,
// so the localisation data has header 29).
constexpr int kParameterHeader = 3;
constexpr int kRdstmcHeader = 27;
constexpr int kManager21Header = 20;
constexpr int kDictionaryHeader = 25;
constexpr int kLocalisationHeader = 29;
constexpr int kVoice001Header = 33;

fixture::ManagementHeaderPlan partFile(const char* name) {
    fixture::ManagementHeaderPlan header;
    header.position = 0;
    header.sectors = 1;
    header.name = name;
    return header;
}

// Builds ALLDATA.KWI with parts appended after the map: the management headers must name their places,
// so the image is built once to learn where it ends and again with the headers pointing there (the header
// table has a fixed size, so the second image is as long as the first).
fixture::AllDataImage buildWithInnerParts(fixture::AllDataPlan plan,
                                          const std::vector<std::pair<int, std::vector<uint8_t>>>& parts) {
    const size_t sector = plan.logicalSectorSize;
    const auto roundUp = [sector](size_t n) { return (n + sector - 1) / sector * sector; };
    size_t end = roundUp(fixture::buildAllData(plan).allData.size());
    std::vector<size_t> places;
    for (const auto& [index, bytes] : parts) {
        fixture::ManagementHeaderPlan header;
        header.position = int64_t(end);
        header.sectors = uint16_t(roundUp(bytes.size()) / sector);
        plan.headers[index] = header;
        places.push_back(end);
        end = roundUp(end + bytes.size());
    }
    fixture::AllDataImage image = fixture::buildAllData(plan);
    for (size_t i = 0; i < parts.size(); ++i) {
        image.allData.resize(places[i], 0);
        image.allData.insert(image.allData.end(), parts[i].second.begin(), parts[i].second.end());
    }
    image.allData.resize(end, 0);
    return image;
}

} // namespace

fixture::PictureFile samplePictureFile() {
    constexpr int kMarkers = kSampleMarkers;
    constexpr int kSide = kSampleMarkerSide;
    fixture::PictureFile file = fixture::townPictureFile();
    const uint32_t paletteSet = file.images.front().paletteSetId;
    for (int i = 0; i < kMarkers; ++i) {
        // A frame of colour 1 + i % 6 around a centre of colour 0.
        std::vector<int> pixels(kSide * kSide, 0);
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                if (x == 0 || y == 0 || x == kSide - 1 || y == kSide - 1)
                    pixels[size_t(y * kSide + x)] = 1 + i % 6;
        file.images.push_back(
            {0, 1, false, 0, paletteSet, kSide, kSide, 0, 0, fixture::clutRuns(1, kSide, kSide, pixels)});
    }
    return file;
}

DiscFiles buildSampleDisc() {
    DiscFiles files;
    files["LOADING.KWI"] = fixture::buildLoading().bytes;
    files["COVERAGE.BIN"] = fixture::buildCoverage(fixture::townCoverageList());
    files[fixture::townCoverageList().front().second] = fixture::townCoverageBmp();

    fixture::AllDataPlan plan = fixture::townAllDataPlan();
    // The parts found through the management headers live in files of their own, as on plain discs, so
    // that the record tree reaches every file of the disc; there is no graphic data inside ALLDATA.KWI.
    plan.headers[2] = partFile("INDEXDAT.KWI");
    plan.headers[5] = fixture::ManagementHeaderPlan();
    plan.headers[6] = partFile("VOICEDAT.KWI");
    plan.headers[30] = partFile("PCT2MNG.KWI");
    plan.headers[kParameterHeader] = partFile("PARAMDAT.KWI");
    plan.headers[kRdstmcHeader] = partFile("RDSTMC.KWI");
    plan.headers[kDictionaryHeader] = partFile("DICVCE56.KWI");
    plan.headers[kVoice001Header] = partFile("VOICE001.ME");
    const fixture::AllDataImage map = buildWithInnerParts(
        plan, {{kLocalisationHeader, fixture::buildLocalPart(fixture::standardLocalPlan())},
               {kManager21Header, fixture::buildManager21Part(44)}});
    files["ALLDATA.KWI"] = map.allData;
    for (const auto& [name, bytes] : map.files)
        files[name] = bytes;
    files["REGION.KWI"] = fixture::buildRegionData(fixture::townRegionPlan()).bytes;

    fixture::TownIndexFiles index = fixture::buildTownIndex();
    files["INDEXDAT.KWI"] = std::move(index.index);
    files["SRCH0001.KWI"] = std::move(index.dataFile);

    files["PCT2MNG.KWI"] = fixture::buildPct2Mng(fixture::townPictureList());
    files["PICT0001.KWI"] = fixture::buildPictureFile(samplePictureFile());
    files["EXPCT001.KWI"] = fixture::townExpansionPicture();
    files["VOICEDAT.KWI"] = fixture::buildVoiceDat(fixture::townVoicePlan()).bytes;
    files["VOICE001.ME"] = fixture::buildVoiceMe().bytes;
    files["PARAMDAT.KWI"] = fixture::buildParamPart(fixture::standardParamPlan());
    files["RDSTMC.KWI"] = fixture::buildRdstmcPart(fixture::RdstmcPlan());
    files["DICVCE56.KWI"] = fixture::buildDicVce(fixture::DicVcePlan());
    compress(files);
    return files;
}
