// kiwiprobe unpack: runs the unpack tools' job on a "05.CMP"/"06.CMP" list and prints one line per chosen
// entry in list order: name, state, bytes written, reason. Exit code 0 when every entry was unpacked.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>

#include "ProbeCommand.h"
#include "ProbeStop.h"
#include "kiwi/disc/FileManager.h"
#include "unpack/engine/UnpackJob.h"

namespace {
// The unpack engine runs at most this many workers.
constexpr int kMaxWorkers = 16;

const char* stateName(UnpackState state) {
    switch (state) {
    case UnpackState::Queued:
        return "queued";
    case UnpackState::Running:
        return "running";
    case UnpackState::Done:
        return "done";
    case UnpackState::Failed:
        return "failed";
    case UnpackState::Cancelled:
        return "cancelled";
    case UnpackState::NotFound:
        return "not-found";
    }
    return "?";
}

int unpackCommand(const probe::Args& args) {
    const auto& names = args.words();
    if (names.size() != 2) throw probe::UsageError("give LIST and OUTDIR");
    UnpackJobOptions options;
    options.workers = int(args.number("--workers", 1, 1, kMaxWorkers));
    if (!probe::mountImageOption(args, "unpack")) return probe::kImageNotMounted;
    const auto origin = UnpackOrigin::Find(names[0], GetISOImage());
    UnpackList::OpenResult opened = UnpackList::OpenResult::Missing;
    const auto list = origin ? UnpackList::Open(*origin, &opened) : nullptr;
    if (!list) {
        std::fprintf(stderr, "unpack: %s: %s\n", names[0].c_str(),
                     opened == UnpackList::OpenResult::Invalid ? invalidListText : "not found");
        return 1;
    }
    std::vector<size_t> chosen;
    const std::string only = args.value("--only");
    for (size_t i = 0; i < list->Entries().size(); ++i)
        if (!args.has("--only") || list->Entries()[i].name == only) chosen.push_back(i);
    if (chosen.empty() && args.has("--only"))
        throw probe::UsageError("--only " + only + ": " + names[0] + " lists no entry of that name");
    // From here on a stop signal cancels the job, which removes what its running entries had written.
    probe::stopJobOnSignal(nullptr);
    std::error_code error;
    std::filesystem::create_directories(names[1], error);
    options.outputFolder = names[1];
    options.addExtension = args.has("--extension");
    // With KIWIPROBE_UNPACK_GATE naming a file, each block written waits until that file exists or a stop
    // signal came: a test's signal then certainly finds the run going, however loaded the machine.
    if (const char* gate = std::getenv("KIWIPROBE_UNPACK_GATE"))
        options.onProgress = [gate = std::string(gate)] {
            while (!probe::stopSignalled() && !std::filesystem::exists(gate))
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        };
    UnpackJob job(list, chosen, options);
    probe::stopJobOnSignal(&job);
    job.Start();
    job.Wait();
    probe::stopJobOnSignal(nullptr);
    std::map<int64_t, const UnpackJobEntry*> byPosition;
    for (size_t i = 0; i < job.Size(); ++i)
        byPosition[job.Entry(i).Record().entryPosition] = &job.Entry(i);
    bool allDone = true;
    for (const auto& [position, entry] : byPosition) {
        allDone = allDone && entry->State() == UnpackState::Done;
        std::printf("%s\t%s\t%lld%s%s\n", entry->Name().c_str(), stateName(entry->State()),
                    (long long)entry->Counters().bytesWritten.load(), entry->Reason().empty() ? "" : "\t",
                    entry->Reason().c_str());
    }
    if (probe::stopSignalled()) return 2;
    return allDone ? 0 : 1;
}
probe::Register
    reg("unpack", "LIST OUTDIR [--workers N] [--image IMAGE] [--extension] [--only NAME]",
        "Unpacks the files a 05.CMP or 06.CMP list names into OUTDIR on N workers (1 to 16), each "
        "to its path in the list below OUTDIR. --extension adds \".unpack\" to every file written "
        "(so that unpacking beside the originals replaces none of them); --only NAME unpacks just "
        "the entry the list names NAME (exactly as cmp-ls prints it). Exit 0 when every entry was "
        "unpacked, 1 when one failed, 2 stopped (SIGINT or SIGTERM: files half-written are "
        "removed) or a wrong command line.",
        unpackCommand);
} // namespace
