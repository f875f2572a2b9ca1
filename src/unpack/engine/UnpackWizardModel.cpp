// The unpack wizard's rules: ticks, folder, worker choice, page flow, existing targets and the poll.
#include "unpack/engine/UnpackWizardModel.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "kiwi/core/FileNames.h"
#include "unpack/engine/UnpackList.h"
#include "unpack/engine/UnpackOutput.h"

namespace {
// List names are bytes; shown as Latin-1, which keeps every byte.
std::string latin1ToUtf8(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += char(0xC0 | (byte >> 6));
            text += char(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

std::string displayName(const std::string& name) {
    std::string text = latin1ToUtf8(name);
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

bool isFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(path, error);
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return latin1ToUtf8(slash == std::string::npos ? path : path.substr(slash + 1));
}
} // namespace

UnpackWizardModel::~UnpackWizardModel() {
    // Workers report to whoever owns this model: they are joined before it goes.
    Stop();
}

std::string UnpackWizardModel::Grouped(int64_t value) {
    const uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
    const std::string digits = std::to_string(magnitude);
    std::string text = value < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        text += digits[i];
        const size_t toTheRight = digits.size() - 1 - i;
        if (toTheRight > 0 && toTheRight % 3 == 0) text += ' ';
    }
    return text;
}

// ----- the list -----

void UnpackWizardModel::SetList(std::shared_ptr<const UnpackList> list) {
    list_ = std::move(list);
    ticked_.assign(list_ ? list_->Entries().size() : 0, false);
    folder_.clear();
    existingTargets_.clear();
}

std::string UnpackWizardModel::DisplayName(size_t entry) const {
    if (!list_ || entry >= list_->Entries().size()) return {};
    return displayName(list_->Entries()[entry].name);
}

void UnpackWizardModel::SetTicked(size_t entry, bool ticked) {
    if (entry < ticked_.size()) ticked_[entry] = ticked;
}

void UnpackWizardModel::SetAllTicked(bool ticked) {
    ticked_.assign(ticked_.size(), ticked);
}

int UnpackWizardModel::Selected() const {
    return int(std::count(ticked_.begin(), ticked_.end(), true));
}

std::vector<size_t> UnpackWizardModel::TickedEntries() const {
    std::vector<size_t> entries;
    for (size_t i = 0; i < ticked_.size(); ++i)
        if (ticked_[i]) entries.push_back(i);
    return entries;
}

std::string UnpackWizardModel::CountText() const {
    return "Выбрано файлов: " + std::to_string(Selected());
}

// ----- folder and workers -----

bool UnpackWizardModel::OfferStoredFolder(const std::string& folder) {
    if (!isFolder(folder)) return false;
    folder_ = folder;
    return true;
}

void UnpackWizardModel::SetFolder(const std::string& folder) {
    folder_ = folder;
}

bool UnpackWizardModel::FolderExists() const {
    return isFolder(folder_);
}

void UnpackWizardModel::SetOneWorker(bool one) {
    oneWorker_ = one;
    if (one) workers_ = 1;
}

void UnpackWizardModel::ChooseWorkers(int workers) {
    const bool known = workers == 1 || workers == 2 || workers == 4 || workers == 8 || workers == 16;
    workers_ = known ? workers : 1;
}

// ----- pages -----

void UnpackWizardModel::EnterPage(Page page) {
    page_ = page;
    if (page == CheckFilesPage) CheckTargets();
}

bool UnpackWizardModel::NextEnabled() const {
    switch (page_) {
    case FirstStepPage:
        return Selected() >= 1;
    case SelectFolderPage:
    case CheckFilesPage:
        // Start never writes anywhere but into a folder the user chose and that still exists.
        return FolderExists();
    case ResultPage:
        return true;
    case ProgressPage:
        return done_;
    }
    return false;
}

std::string UnpackWizardModel::NextText() const {
    return page_ == CheckFilesPage ? "Старт" : "Далее";
}

std::string UnpackWizardModel::CaptionText() const {
    switch (page_) {
    case FirstStepPage:
        return list_ ? "Пожалуйста, выберите файлы для распаковки" : "Выберите файл 05.CMP";
    case SelectFolderPage:
        return "Выберите папку, где будут сохранены распакованные файлы";
    case CheckFilesPage:
        return "Нажмите кнопку Старт, чтобы начать распаковку";
    case ProgressPage:
        return done_ ? "Всё готово" : "Идет процесс распаковки ...";
    case ResultPage:
        return "Папка с файлами (Проводник)";
    }
    return {};
}

// ----- existing targets -----

void UnpackWizardModel::CheckTargets() {
    existingTargets_.clear();
    sourceTargets_.clear();
    checkedCount_ = 0;
    if (!list_) return;
    std::vector<std::string> relativePaths;
    for (size_t index : TickedEntries())
        if (const auto& path = list_->Entries()[index].relativePath) relativePaths.push_back(*path);
    const std::vector<FileIdentity> read = list_->Origin().FilesRead(relativePaths);
    for (size_t index : TickedEntries()) {
        const TLN_Compression_Record& entry = list_->Entries()[index];
        ++checkedCount_;
        if (!entry.relativePath || folder_.empty()) continue;
        const std::string target =
            joinPath(folder_, *entry.relativePath + (addExtension_ ? std::string(".unpack") : std::string()));
        std::error_code error;
        if (std::filesystem::exists(target, error))
            (NamesOneOf(target, read) ? sourceTargets_ : existingTargets_).push_back(target);
        // A file under the partial file's name that this program did not leave is replaced too.
        if (TempFileOutput::IsOtherFile(TempFileOutput::PartName(target)))
            existingTargets_.push_back(TempFileOutput::PartName(target));
    }
}

bool UnpackWizardModel::TargetsAsShown() {
    const std::vector<std::string> shown = existingTargets_, sources = sourceTargets_;
    CheckTargets();
    return existingTargets_ == shown && sourceTargets_ == sources;
}

namespace {
// "FIRST" or "FIRST . . . LAST".
std::string firstAndLast(const std::vector<std::string>& files) {
    std::string text = fileNameOf(files.front());
    if (files.size() > 1) text += " . . . " + fileNameOf(files.back());
    return text;
}
} // namespace

std::string UnpackWizardModel::WarningText() const {
    if (existingTargets_.empty() && sourceTargets_.empty()) return {};
    std::string text = "Некоторые файлы уже существуют в папке!";
    if (!existingTargets_.empty())
        text += "\n" + firstAndLast(existingTargets_) + "\nЭти файлы будут удалены и заменены !!!";
    // Files the run reads are never replaced: it refuses to unpack over them.
    if (!sourceTargets_.empty())
        text += "\n" + firstAndLast(sourceTargets_) +
                "\nЭто исходные файлы: они не будут заменены, распаковка в них будет отклонена !!!";
    return text;
}

std::string UnpackWizardModel::NextStepText() const {
    return "Следующий шаг запустит процесс распаковки для " + std::to_string(checkedCount_) + " файла(ов)";
}

// ----- the run -----

void UnpackWizardModel::Start(UnpackJobOptions options, std::function<void()> wakePoll) {
    if (started_ || !list_) return;
    started_ = true;
    startTime_ = std::chrono::steady_clock::now();
    options.outputFolder = folder_;
    options.addExtension = addExtension_;
    options.workers = WorkerLimit();
    // The check page listed other files under the partial files' names among those to be replaced.
    options.replaceOtherPartFiles = true;
    // A worker's end runs the poll at once; a burst of ends (many small files) runs it once.
    pollPending_ = std::make_shared<std::atomic<bool>>(false);
    options.onEntryEnded = [pending = pollPending_, wake = std::move(wakePoll)] {
        if (wake && !pending->exchange(true)) wake();
    };
    job_ = std::make_unique<UnpackJob>(list_, TickedEntries(), std::move(options));
    // Entries refused before the start get their final rows now: missing sources and unsafe, duplicate or
    // undecodable entries.
    for (size_t i = 0; i < job_->Size(); ++i) {
        const UnpackJobEntry& entry = job_->Entry(i);
        if (entry.State() == UnpackState::NotFound) {
            rows_.push_back({displayName(entry.Name()), {}, {}, "Не найден", 0, {}});
        } else if (entry.State() == UnpackState::Failed) {
            rows_.push_back({displayName(entry.Name()), "0", "---", "Ошибка", 0, entry.Reason()});
        } else {
            continue;
        }
        rowOf_[i] = rows_.size() - 1;
        ++failed_;
    }
    job_->Start();
}

void UnpackWizardModel::updateRow(size_t row, size_t index) {
    const UnpackJobEntry& entry = job_->Entry(index);
    const UnpackState state = entry.State();
    UnpackGridRow& shown = rows_[row];
    shown.written = Grouped(entry.Counters().bytesWritten.load());
    shown.bar = entry.Percent();
    shown.status = std::to_string(shown.bar) + " %";
    if (state == UnpackState::Failed) {
        shown.status = "Ошибка";
        shown.bar = 0;
        shown.reason = entry.Reason();
    } else if (state == UnpackState::Cancelled) {
        shown.status = "Отменено";
    }
}

UnpackPollResult UnpackWizardModel::Poll() {
    UnpackPollResult result;
    if (pollPending_) pollPending_->store(false);
    if (!job_ || done_ || stopped_) return result;
    result.reported = true;
    // Rows added since the last poll are new, the refused entries' rows of the start among them.
    result.firstNewRow = rowsReported_;
    // Read before the rows, so that an end seen here has its row's final state below.
    const bool finished = job_->Finished();
    // Rows for the entries workers took since the last poll, in the order they started.
    std::vector<size_t> started;
    for (size_t i = 0; i < job_->Size(); ++i)
        if (job_->Entry(i).StartOrder() >= 0 && !rowOf_.count(i)) started.push_back(i);
    std::sort(started.begin(), started.end(), [this](size_t a, size_t b) {
        return job_->Entry(a).StartOrder() < job_->Entry(b).StartOrder();
    });
    for (size_t i : started) {
        const UnpackJobEntry& entry = job_->Entry(i);
        rowOf_[i] = rows_.size();
        liveEntries_.push_back(i);
        rows_.push_back({displayName(entry.Name()), "0", Grouped(entry.PlannedSize()), "0 %", 0, {}});
    }
    // An entry leaves the live list once its final state is shown and counted.
    std::vector<size_t> stillLive;
    for (size_t i : liveEntries_) {
        const size_t row = rowOf_[i];
        updateRow(row, i);
        if (row < result.firstNewRow) result.changedRows.push_back(row);
        const UnpackState state = job_->Entry(i).State();
        if (state == UnpackState::Done)
            ++succeeded_;
        else if (state == UnpackState::Failed)
            ++failed_;
        else if (!isFinal(state))
            stillLive.push_back(i);
    }
    liveEntries_ = std::move(stillLive);
    rowsReported_ = rows_.size();
    blocksShown_ = job_->BlocksDone();
    const int64_t total = job_->TotalBlocks();
    percentShown_ = total > 0 ? int(std::min<int64_t>(100, blocksShown_ * 100 / total)) : 100;
    result.hasPercent = total > 0;
    result.percent = percentShown_;
    if (finished) {
        done_ = true;
        result.finished = true;
    }
    return result;
}

bool UnpackWizardModel::Stop() {
    stopped_ = true;
    if (!job_ || job_->Finished()) return false;
    job_->RequestStop();
    job_->Wait();
    return true;
}

int64_t UnpackWizardModel::LargestSize() const {
    int64_t largest = 0;
    if (job_)
        for (size_t i = 0; i < job_->Size(); ++i)
            largest = std::max(largest, job_->Entry(i).PlannedSize());
    return largest;
}

std::string UnpackWizardModel::ResultText() const {
    if (!done_)
        return "Распаковано блоков: " + Grouped(blocksShown_) + " (" + std::to_string(percentShown_) + "%)";
    std::string text = std::to_string(succeeded_) + " файла(ов) успешно распаковано.  ";
    if (failed_ > 0) text += std::to_string(failed_) + " файла(ов) не распаковано!";
    return text;
}

std::string UnpackWizardModel::ElapsedText() const {
    const int64_t seconds =
        started_
            ? std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - startTime_)
                  .count()
            : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}
