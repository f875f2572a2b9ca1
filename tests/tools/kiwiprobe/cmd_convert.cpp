// kiwiprobe convert: runs the map converter's job headless on a source map and prints its log.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "ProbeCommand.h"
#include "ProbeStop.h"
#include "converter/import/LmpFile.h"
#include "converter/job/CompletionRun.h"
#include "converter/job/ConversionJob.h"
#include "converter/job/ReplacedFiles.h"
#include "converter/source/SourceFiles.h"
#include "kiwi/region/RegionManager.h"
#include "platform/FileIdentity.h"

namespace {

// The level-1 regions a new REGION.KWI keeps: "all" (nothing listed) or indices "0,3,7", each one of the
// count regions of the source's REGION.KWI.
std::vector<int> chosenRegions(const std::string& chosen, int count) {
    std::vector<int> regions;
    std::stringstream items(chosen);
    for (std::string item; std::getline(items, item, ',');) {
        try {
            regions.push_back(int(probe::parseNumber(item, 0, count - 1)));
        } catch (const probe::UsageError& error) {
            throw probe::UsageError("--regions " + chosen + ": " + error.what() + " (REGION.KWI holds " +
                                    std::to_string(count) + " regions on level 1)");
        }
    }
    return regions;
}

// The level-1 regions of the REGION.KWI beside the source; -1 when it has none that reads.
int sourceRegionCount(const std::string& source) {
    const std::string region = FindBesideSource(source, "REGION.KWI");
    if (region.empty()) return -1;
    TLN_RegionManager regions(region);
    TLN_Region_Level_Record level;
    return regions.IsValid() && regions.GetLevelRecord(1, level) ? level.RegionCount : -1;
}

// Building data is read only by these settings; given without them it would change nothing.
bool optionsUseBuildings(const ConversionOptions& o) {
    return o.buildings || o.address || o.addOneWayArrows || o.addExtraLevel || (o.trim && o.trimMode == 0);
}

// A Polish-format map (text beginning with a comment or a section) is not compiled building data.
bool isPolishMap(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    std::ifstream file(path, std::ios::binary);
    const int first = file.get();
    return extension == ".mp" || first == ';' || first == '[';
}

// OUTDIR is made when it is missing and its parent folder exists; why it could not be, or "".
std::string makeOutputFolder(const std::string& folder) {
    std::filesystem::path path(folder);
    if (!path.has_filename()) path = path.parent_path();
    const std::filesystem::path parent = path.has_parent_path() ? path.parent_path() : ".";
    std::error_code error;
    if (!std::filesystem::exists(path, error) && std::filesystem::is_directory(parent, error) &&
        !std::filesystem::create_directory(path, error) && error)
        return "cannot make " + folder + ": " + error.message();
    return {};
}

int convertCommand(const probe::Args& args) {
    const auto& rest = args.words();
    if (rest.size() != 2) throw probe::UsageError("give SRC and OUTDIR");
    CompletionOptions finish;
    bool finishing = false;
    if (args.has("--finish")) {
        std::stringstream tasks(args.value("--finish"));
        for (std::string task; std::getline(tasks, task, ',');) {
            finishing = true;
            if (task == "split")
                finish.split = true;
            else if (task == "filecon")
                finish.fileCon = true;
            else if (task == "region")
                finish.region = true;
            else if (task == "voice")
                finish.voice = true;
            else
                throw probe::UsageError("--finish " + args.value("--finish") + ": unknown finishing task \"" +
                                        task + "\" (split, filecon, region or voice)");
        }
    }
    const std::string chosen = args.value("--regions", "all");
    if (args.has("--regions") && !finish.region)
        throw probe::UsageError("--regions chooses the regions of --finish region, which is not given");
    // A stop after the given number of log lines, for tests of an interrupted run.
    const long long stopAfter = args.number("--stop-after-lines", -1, 0);
    // SRC names the map inside the image from here on.
    if (!probe::mountImageOption(args, "convert")) return probe::kImageNotMounted;
    std::vector<int> regionList;
    if (chosen != "all") {
        const int count = sourceRegionCount(rest[0]);
        if (count < 0)
            throw probe::UsageError("--regions " + chosen + ": the source has no REGION.KWI to choose from");
        regionList = chosenRegions(chosen, count);
    }
    ConversionOptions options;
    if (args.has("--options")) {
        const std::string path = args.value("--options");
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        if (!file) {
            std::cerr << "convert: cannot read the options file " << path << "\n";
            return 4;
        }
        if (const auto problem = options.LoadJson(text.str())) {
            std::cerr << "convert: " << *problem << "\n";
            return 4;
        }
    }
    if (args.has("--buildings") && !optionsUseBuildings(options))
        throw probe::UsageError("--buildings " + args.value("--buildings") +
                                ": no setting reads building data; \"buildings\": true in --options switches "
                                "buildings on (as do \"address\", \"addOneWayArrows\", \"addExtraLevel\", "
                                "and \"trim\" with \"trimMode\": 0)");
    options.outputPath = rest[1] + "/ALLDATA.KWI";
    auto run = std::make_unique<ConversionRun>(rest[0], options);
    if (args.has("--buildings")) {
        std::string problem;
        const std::string path = args.value("--buildings");
        auto data = building_data::ReadLmp(path, problem);
        if (!data && isPolishMap(path)) {
            std::cerr << "convert: " << path
                      << " is a Polish-format map; --buildings takes compiled building data (.lmp): load the "
                         "map in the converter wizard (\"Загрузить MP файл\") and save it there with "
                         "\"Сохранить как...\"\n";
            return 4;
        }
        if (!data) {
            std::cerr << "convert: " << problem << "\n";
            return 4;
        }
        run->SetBuildingData(std::make_shared<const std::vector<uint8_t>>(std::move(*data)));
    }
    // Files already in OUTDIR are another disc's, or an earlier run's, until the user says otherwise.
    // (The source's own folder is refused as such by the run.)
    const auto source = FileIdentityOf(rest[0]);
    if (const auto existing = FilesARunReplaces(rest[1], finish);
        !existing.empty() && !args.has("--replace") &&
        std::none_of(existing.begin(), existing.end(),
                     [&](auto& p) { return source && FileIdentityOf(p) == source; })) {
        std::cerr << "convert: " << rest[1] << " holds files this run would replace or remove:";
        for (const std::string& path : existing)
            std::cerr << " " << std::filesystem::path(path).filename().string();
        std::cerr << "; --replace lets it\n";
        return 2;
    }
    if (const std::string problem = makeOutputFolder(rest[1]); !problem.empty()) {
        std::cerr << "convert: " << problem << "\n";
        return 4;
    }
    auto job = std::make_unique<ConversionJob>(std::move(run));
    ConversionJob* raw = job.get();
    long long lines = 0;
    job->Progress().SetLineCallback([&](const std::string& line) {
        std::cout << line << "\n";
        if (stopAfter >= 0 && ++lines >= stopAfter) raw->RequestStop();
    });
    probe::stopJobOnSignal(raw);
    job->Start();
    ConversionResult result = job->Result();
    probe::stopJobOnSignal(nullptr);
    if (result.status == ConversionStatus::Done && finishing) {
        finish.outputPath = options.outputPath;
        finish.sourcePath = rest[0];
        finish.voiceOffset = result.voiceOffset;
        finish.voiceSize = result.voiceSize;
        finish.newCmpList = result.newCmpList;
        if (finish.region && chosen == "all")
            for (int r = 0, count = sourceRegionCount(rest[0]); r < count; ++r)
                regionList.push_back(r);
        finish.regions = regionList;
        ConversionProgress progress;
        progress.SetLineCallback([](const std::string& line) { std::cout << line << "\n"; });
        result = CompletionRun(finish).Execute(progress, probe::stopSignalled());
    }
    switch (result.status) {
    case ConversionStatus::Done:
        return 0;
    case ConversionStatus::Stopped:
        return 2;
    case ConversionStatus::Failed:
        std::cerr << "convert: " << result.message << "\n";
        return 3;
    case ConversionStatus::Refused:
        std::cerr << "convert: " << result.message << "\n";
        return 4;
    }
    return 3;
}

probe::Register reg(
    "convert",
    "SRC OUTDIR [--image IMAGE] [--options FILE.json] [--buildings FILE.lmp] "
    "[--finish split,filecon,region,voice] [--regions all|I,J,...] [--stop-after-lines N] [--replace]",
    "Runs the map converter on SRC (the map inside IMAGE with --image) and prints its log; OUTDIR, made "
    "when its parent exists, receives the new ALLDATA.KWI; files of OUTDIR the run would replace or remove "
    "are listed and the run refused unless --replace is given; --buildings needs a setting that reads it "
    "(\"buildings\": true ...). Exit 0 done, 1 IMAGE cannot be mounted, 2 stopped, a wrong command "
    "line or files to replace without --replace, 3 failed, 4 refused.",
    convertCommand);

} // namespace
