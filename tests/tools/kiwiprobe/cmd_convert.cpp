// kiwiprobe convert: runs the map converter's job headless on a source map and prints its log.
#include <csignal>
#include <fstream>
#include <iostream>
#include <sstream>

#include "ProbeCommand.h"
#include "converter/CompletionRun.h"
#include "converter/ConversionJob.h"
#include "converter/import/LmpFile.h"
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

int convertCommand(const probe::Args& args) {
    const probe::Args rest =
        probe::positional(args, {"--options", "--finish", "--stop-after-lines", "--regions", "--buildings"});
    if (rest.size() != 2) {
        std::cerr << "convert: give SRC OUTDIR\n";
        return 4;
    }
    ConversionOptions options;
    if (probe::hasFlag(args, "--options")) {
        std::ifstream file(probe::option(args, "--options"));
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
    if (probe::hasFlag(args, "--finish")) {
        std::stringstream tasks(probe::option(args, "--finish"));
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
    // The level-1 regions a new REGION.KWI keeps: "all" (the default) or indices "0,3,7".
    const std::string chosen = probe::option(args, "--regions", "all");
    std::vector<int> regionList;
    if (chosen != "all") {
        std::stringstream items(chosen);
        for (std::string item; std::getline(items, item, ',');)
            if (!item.empty()) regionList.push_back(int(probe::parseNumber(item)));
    }
    options.outputPath = rest[1] + "/ALLDATA.KWI";
    auto run = std::make_unique<ConversionRun>(rest[0], options);
    if (probe::hasFlag(args, "--buildings")) {
        std::string problem;
        auto data = building_data::ReadLmp(probe::option(args, "--buildings"), problem);
        if (!data) {
            std::cerr << problem << "\n";
            return 4;
        }
        run->SetBuildingData(std::make_shared<const std::vector<uint8_t>>(std::move(*data)));
    }
    auto job = std::make_unique<ConversionJob>(std::move(run));
    // A stop after the given number of log lines, for tests of an interrupted run.
    const long long stopAfter = probe::hasFlag(args, "--stop-after-lines")
                                    ? probe::parseNumber(probe::option(args, "--stop-after-lines"))
                                    : -1;
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
            const std::string region = FindInFolder(FolderOf(rest[0]), "REGION.KWI");
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
        "SRC OUTDIR [--options FILE.json] [--buildings FILE.lmp] [--finish split,filecon,region,voice] "
        "[--regions all|I,J,...]",
        convertCommand);

} // namespace
