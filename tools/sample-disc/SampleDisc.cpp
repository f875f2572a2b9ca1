// The sample disc: LOADING.KWI, COVERAGE.BIN with its picture, ALLDATA.KWI (the town's main map),
// REGION.KWI, INDEXDAT.KWI with its data file, PCT2MNG.KWI with its pictures, VOICEDAT.KWI, and a 05.CMP
// listing the files stored compressed (gzip and byte-pair blocks).
#include "SampleDisc.h"

#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/LoadingFixtures.h"
#include "support/fixtures/RegionFixture.h"
#include "support/fixtures/TownIndex.h"
#include "support/fixtures/TownMapPlan.h"
#include "support/fixtures/TownMedia.h"

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

} // namespace

DiscFiles buildSampleDisc() {
    DiscFiles files;
    files["LOADING.KWI"] = fixture::buildLoading().bytes;
    files["COVERAGE.BIN"] = fixture::buildCoverage(fixture::townCoverageList());
    files[fixture::townCoverageList().front().second] = fixture::townCoverageBmp();

    fixture::AllDataPlan plan = fixture::townAllDataPlan();
    // The parts found through the management headers live in files of their own, as on plain discs, so
    // that the record tree reaches every file of the disc; there is no graphic data inside ALLDATA.KWI.
    const auto partFile = [](const char* name) {
        fixture::ManagementHeaderPlan header;
        header.position = 0;
        header.sectors = 1;
        header.name = name;
        return header;
    };
    plan.headers[2] = partFile("INDEXDAT.KWI");
    plan.headers[5] = fixture::ManagementHeaderPlan();
    plan.headers[6] = partFile("VOICEDAT.KWI");
    plan.headers[30] = partFile("PCT2MNG.KWI");
    const fixture::AllDataImage map = fixture::buildAllData(plan);
    files["ALLDATA.KWI"] = map.allData;
    for (const auto& [name, bytes] : map.files)
        files[name] = bytes;
    files["REGION.KWI"] = fixture::buildRegionData(fixture::townRegionPlan()).bytes;

    fixture::TownIndexFiles index = fixture::buildTownIndex();
    files["INDEXDAT.KWI"] = std::move(index.index);
    files["SRCH0001.KWI"] = std::move(index.dataFile);

    files["PCT2MNG.KWI"] = fixture::buildPct2Mng(fixture::townPictureList());
    files["PICT0001.KWI"] = fixture::buildPictureFile(fixture::townPictureFile());
    files["EXPCT001.KWI"] = fixture::townExpansionPicture();
    files["VOICEDAT.KWI"] = fixture::buildVoiceDat(fixture::townVoicePlan()).bytes;
    compress(files);
    return files;
}
