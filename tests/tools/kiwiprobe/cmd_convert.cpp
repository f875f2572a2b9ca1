// kiwiprobe convert: runs the map converter's job headless on a source map and prints its log.
#include <cctype>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "ProbeCommand.h"
#include "converter/import/LmpFile.h"
#include "converter/job/CompletionRun.h"
#include "converter/job/ConversionJob.h"
#include "converter/source/SourceFiles.h"
#include "kiwi/region/RegionManager.h"

namespace {

// Ctrl+C and a kill become the run's own stop: it removes its temporary files and the probe exits 2. The
// handler only sets lock-free atomics.
std::atomic<bool> interrupted{false};
std::atomic<ConversionJob*> runningJob{nullptr};

void stopOnSignal(int) {
    interrupted.store(true);
    if (ConversionJob* job = runningJob.load()) job->RequestStop();
}

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = stopOnSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// The level-1 regions a new REGION.KWI keeps: "all" (nothing listed) or indices "0,3,7".
std::vector<int> chosenRegions(const std::string& chosen) {
    std::vector<int> regions;
    std::stringstream items(chosen == "all" ? std::string() : chosen);
    for (std::string item; std::getline(items, item, ',');) {
        try {
            if (!item.empty()) regions.push_back(int(probe::parseNumber(item)));
        } catch (const probe::UsageError&) {
            throw probe::UsageError("--regions " + chosen + ": not all or I,J,...");
        }
    }
    return regions;
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

// OUTDIR is made when it is missing and its parent folder exists.
void makeOutputFolder(const std::string& folder) {
    std::filesystem::path path(folder);
    if (!path.has_filename()) path = path.parent_path();
    const std::filesystem::path parent = path.has_parent_path() ? path.parent_path() : ".";
    std::error_code error;
    if (!std::filesystem::exists(path, error) && std::filesystem::is_directory(parent, error))
        std::filesystem::create_directory(path, error);
}

int convertCommand(const probe::Args& args) {
    const auto& rest = args.words();
    if (rest.size() != 2) throw probe::UsageError("give SRC and OUTDIR");
    const std::string chosen = args.value("--regions", "all");
    std::vector<int> regionList = chosenRegions(chosen);
    // A stop after the given number of log lines, for tests of an interrupted run.
    const long long stopAfter = args.number("--stop-after-lines", -1, 0);
    // SRC names the map inside the image from here on.
    if (!probe::mountImageOption(args, "convert")) return 4;
    ConversionOptions options;
    if (args.has("--options")) {
        std::ifstream file(args.value("--options"));
        std::stringstream text;
        text << file.rdbuf();
        if (!file) {
            std::cerr << "convert: cannot read the options file\n";
            return 4;
        }
        if (const auto problem = options.LoadJson(text.str())) {
            std::cerr << "convert: " << *problem << "\n";
            return 4;
        }
    }
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
            else {
                std::cerr << "convert: unknown finishing task " << task << "\n";
                return 4;
            }
        }
    }
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
    makeOutputFolder(rest[1]);
    auto job = std::make_unique<ConversionJob>(std::move(run));
    ConversionJob* raw = job.get();
    long long lines = 0;
    job->Progress().SetLineCallback([&](const std::string& line) {
        std::cout << line << "\n";
        if (stopAfter >= 0 && ++lines >= stopAfter) raw->RequestStop();
    });
    catchStopSignals();
    runningJob.store(raw);
    if (interrupted.load()) raw->RequestStop();
    job->Start();
    ConversionResult result = job->Result();
    runningJob.store(nullptr);
    if (result.status == ConversionStatus::Done && finishing) {
        finish.outputPath = options.outputPath;
        finish.sourcePath = rest[0];
        finish.voiceOffset = result.voiceOffset;
        finish.voiceSize = result.voiceSize;
        finish.newCmpList = result.newCmpList;
        if (finish.region && chosen == "all") {
            const std::string region = FindBesideSource(rest[0], "REGION.KWI");
            if (!region.empty()) {
                TLN_RegionManager regions(region);
                TLN_Region_Level_Record level;
                if (regions.IsValid() && regions.GetLevelRecord(1, level))
                    for (int r = 0; r < level.RegionCount; ++r)
                        regionList.push_back(r);
            }
        }
        finish.regions = regionList;
        ConversionProgress progress;
        progress.SetLineCallback([](const std::string& line) { std::cout << line << "\n"; });
        result = CompletionRun(finish).Execute(progress, interrupted);
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

probe::Register
    reg("convert",
        "SRC OUTDIR [--image IMAGE] [--options FILE.json] [--buildings FILE.lmp] "
        "[--finish split,filecon,region,voice] [--regions all|I,J,...] [--stop-after-lines N]",
        "Runs the map converter on SRC (the map inside IMAGE with --image) and prints its log; OUTDIR, made "
        "when its parent exists, receives the new ALLDATA.KWI. Exit 0 done, 2 stopped or a wrong command "
        "line, 3 failed, 4 refused.",
        convertCommand);

} // namespace
