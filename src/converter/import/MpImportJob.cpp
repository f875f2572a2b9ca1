// The import job's thread, its file loop and its mailbox.
#include "converter/import/MpImportJob.h"

#include <algorithm>
#include <cctype>

#include "converter/import/LmpFile.h"

namespace mp_import {
namespace {

std::string upperExtension(const std::string& path) {
    const std::string name = BaseName(path);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return {};
    std::string extension = name.substr(dot);
    for (char& c : extension)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return extension;
}

} // namespace

bool IsPolishFile(const std::string& path) {
    return upperExtension(path) == ".MP";
}

ImportPath ChooseImportPath(const std::vector<std::string>& paths) {
    const bool anyCompiled = std::any_of(paths.begin(), paths.end(),
                                         [](const std::string& p) { return upperExtension(p) == ".LMP"; });
    if (paths.size() > 1 && anyCompiled) return ImportPath::Refused;
    if (paths.size() == 1 && anyCompiled) return ImportPath::Compiled;
    return ImportPath::Polish;
}

MpImportJob::MpImportJob(ImportRequest request) : request_(std::move(request)) {}

ImportOutcome MpImportJob::Result() {
    Wait();
    return std::move(outcome_);
}

MpImportJob::Progress MpImportJob::TakeProgress() {
    std::lock_guard lock(mutex_);
    Progress taken;
    taken.percent = mailbox_.percent;
    taken.events.swap(mailbox_.events);
    signalPending_.store(false);
    return taken;
}

void MpImportJob::Notify() {
    if (!signalPending_.exchange(true)) NotifyProgress();
}

void MpImportJob::Post(const MemoEvent& event) {
    {
        std::lock_guard lock(mutex_);
        mailbox_.events.push_back(event);
    }
    Notify();
}

void MpImportJob::SetPercent(int percent) {
    {
        std::lock_guard lock(mutex_);
        if (mailbox_.percent == percent) return;
        mailbox_.percent = percent;
    }
    Notify();
}

JobStatus MpImportJob::Run(const std::atomic<bool>& stop) {
    outcome_.loaded = request_.loaded;
    outcome_.box = building_data::ReadBox(request_.data);
    SetPercent(0);
    if (request_.source == ImportRequest::Source::Polish)
        runPolish(stop);
    else
        runCompiled();
    outcome_.data = std::move(request_.data);
    return outcome_.stopped ? JobStatus::Stopped : !outcome_.error ? JobStatus::Done : JobStatus::Failed;
}

void MpImportJob::runPolish(const std::atomic<bool>& stop) {
    std::vector<uint8_t>& data = request_.data;
    MpImporter importer(data, request_.settings);
    importer.stop = &stop;
    importer.onMemo = [this](const MemoEvent& event) { Post(event); };
    importer.onProgress = [this](int64_t done, int64_t total) {
        const int percent = total > 0 ? int(std::min<int64_t>(100, done * 100 / total)) : 0;
        SetPercent(percent);
        RaisePercent(int((int64_t(fileIndex_.load()) * 100 + percent) / int64_t(fileCount_)));
    };
    fileCount_ =
        std::max<size_t>(1, size_t(std::count_if(request_.paths.begin(), request_.paths.end(),
                                                 [](const std::string& p) { return IsPolishFile(p); })));
    size_t index = 0;
    for (const std::string& path : request_.paths) {
        if (!IsPolishFile(path)) continue;
        fileIndex_.store(index++);
        if (stop) {
            outcome_.stopped = true;
            break;
        }
        SetPercent(0);
        const MpImporter::FileResult result = importer.ImportFile(path, !outcome_.loaded);
        if (result.outcome == MpImporter::Outcome::Stopped) {
            outcome_.stopped = true;
            break;
        }
        if (result.outcome == MpImporter::Outcome::Failed) {
            outcome_.error = result.message;
            SetPercent(0);
            return;
        }
        outcome_.files.push_back(result.counters);
        if (result.counters.records > 0) {
            outcome_.box = building_data::ReadBox(data);
            outcome_.boxChanged = true;
            outcome_.loaded = true;
            outcome_.anyRecords = true;
            SetPercent(100);
        } else {
            SetPercent(0);
        }
    }
    Post(MemoEvent{MemoEvent::Kind::Append, "", 0});
    Post(MemoEvent{MemoEvent::Kind::Append, "Вы можете одновременно добавить ещё несколько файлов с картами.",
                   0});
}

void MpImportJob::runCompiled() {
    if (request_.paths.size() != 1) return;
    const std::string& path = request_.paths.front();
    const bool append = request_.source == ImportRequest::Source::CompiledAppend;
    SetPercent(50);
    RaisePercent(50);
    // Appending writes the loading line over the memo's last line, and then the loaded file's line over it;
    // replacing adds it, and takes it back when the file is refused, so the log stays as it was.
    Post(MemoEvent{append ? MemoEvent::Kind::ReplaceLast : MemoEvent::Kind::Append,
                   "Compiled map is loading... Please wait...", 0});
    const building_data::LmpLoadResult result = building_data::LoadLmp(
        request_.data, path,
        append ? building_data::LmpLoadMode::Append : building_data::LmpLoadMode::Replace);
    if (!result.ok) {
        outcome_.error = result.error;
        if (!append) Post(MemoEvent{MemoEvent::Kind::DropLast, {}, 1});
        SetPercent(0);
        return;
    }
    if (!append) Post(MemoEvent{MemoEvent::Kind::Clear, {}, 0});
    Post(MemoEvent{append ? MemoEvent::Kind::ReplaceLast : MemoEvent::Kind::Append,
                   "Загружена скомпилированная карта " + BaseName(path), 0});
    const size_t shown = append ? result.fileSize : request_.data.size();
    Post(MemoEvent{MemoEvent::Kind::Append, "Размер в памяти: " + std::to_string(shown / 1024) + " kb", 0});
    // Loading a file with records makes the data loaded whichever way it came (appending too).
    const bool hasRecords = request_.data.size() > building_data::kBoxSize;
    if (!append || hasRecords) {
        outcome_.box = result.box;
        outcome_.boxChanged = true;
        outcome_.loaded = true;
        outcome_.anyRecords = hasRecords || !append;
    }
    SetPercent(100);
}

} // namespace mp_import
