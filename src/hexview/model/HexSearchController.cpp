// The two stages of a hex search and the hand-over between them.
#include "hexview/model/HexSearchController.h"

#include <algorithm>
#include <climits>

#include "hexview/model/HexGridModel.h"
#include "hexview/model/HexSearchWorker.h"

HexSearchController::HexSearchController(HexGridModel& model, QObject* parent)
    : QObject(parent), model_(model) {
    connect(&model_, &HexGridModel::fileChanged, this, [this] {
        if (searching_ && worker_) abandon();
    });
}

HexSearchController::~HexSearchController() = default;

void HexSearchController::SetInlineBudget(int64_t bytes, std::chrono::milliseconds time) {
    inlineBytes_ = bytes;
    inlineTime_ = time;
}

int64_t HexSearchController::Find(const QByteArray& pattern, bool ignoreCase, int64_t endOffset,
                                  int64_t startOffset) {
    if (searching_) return -2;
    const std::shared_ptr<TLN_Stream> stream = model_.Stream();
    const int64_t start = std::max<int64_t>(0, startOffset);
    const int64_t end = std::min(endOffset, model_.Size());
    const HexSearchPattern prepared(reinterpret_cast<const uint8_t*>(pattern.constData()),
                                    size_t(pattern.size()), ignoreCase, model_.CharTable().UpperCase());
    searching_ = true;
    emit searchStarted();
    if (!stream || prepared.Length() == 0 || prepared.Length() > size_t(INT_MAX) ||
        end - start < int64_t(prepared.Length())) {
        finish(-1);
        return -1;
    }
    patternLength_ = int(prepared.Length());
    HexRangeLimits limits;
    limits.chunkSize = chunkSize_;
    limits.byteBudget = inlineBytes_;
    limits.deadline = std::chrono::steady_clock::now() + inlineTime_;
    const HexRangeResult inlineStage = SearchRange(*stream, prepared, start, end, limits);
    if (inlineStage.status == HexRangeStatus::Found) {
        model_.SelectFound(patternLength_, inlineStage.hit);
        finish(inlineStage.hit);
        return inlineStage.hit;
    }
    if (inlineStage.status == HexRangeStatus::Failed) {
        finish(kSearchFailed, inlineStage.error);
        return kSearchFailed;
    }
    if (inlineStage.status != HexRangeStatus::Paused) {
        finish(-1);
        return -1;
    }
    const int id = ++workerId_;
    worker_ = std::make_unique<HexSearchWorker>(stream, prepared, inlineStage.next, end, start);
    worker_->SetChunkSize(chunkSize_);
    for (auto signal : {&JobNotifier::progressed, &JobNotifier::ended})
        connect(&worker_->Notifier(), signal, this, &HexSearchController::onWorkerReported,
                Qt::QueuedConnection);
    worker_->Start();
    shownPercent_ = 1;
    emit searchProgress(1);
    // A receiver that waited for the end inside searchProgress(1) has seen it by now.
    if (!searching_ && workerId_ == id) return lastResult_;
    return searching_ ? kSearchRunning : -2;
}

void HexSearchController::CancelSearch() {
    if (worker_) worker_->RequestStop();
}

void HexSearchController::onWorkerReported() {
    // News of a worker that was abandoned, or that has ended, finds nothing more to take.
    if (!worker_) return;
    if (!worker_->Finished()) {
        // Several pieces of news may be read at one percentage: each is shown once.
        const int percent = worker_->ProgressSnapshot().percent;
        if (percent > shownPercent_) emit searchProgress(shownPercent_ = percent);
        return;
    }
    const HexSearchWorker::Outcome outcome = worker_->Result();
    worker_.reset();
    const int64_t result = outcome.result;
    if (result >= 0) model_.SelectFound(patternLength_, result);
    emit searchSuccess(result, patternLength_);
    emit searchProgress(-1);
    finish(result, outcome.error);
}

void HexSearchController::abandon() {
    ++workerId_;
    worker_.reset();
    emit searchSuccess(-2, patternLength_);
    emit searchProgress(-1);
    finish(-2);
}

void HexSearchController::finish(int64_t result, const std::string& error) {
    searching_ = false;
    lastResult_ = result;
    lastError_ = QString::fromStdString(error);
    emit searchEnded(result);
}
