// The extraction worker and the saved-file output.
#include "mainwindow/model/IsoExtraction.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "kiwi/iso/ISOImage.h"
#include "platform/FileIdentity.h"
#include "platform/GuardedFileWriter.h"
#include "platform/SystemErrorText.h"

namespace {

class SavedFileOutput : public IsoExtraction::Output {
public:
    explicit SavedFileOutput(const QString& target) : target_(target) {}
    bool Open(QString& error) override {
        file_.emplace(target_.toStdString(), GuardedFileWriter::Rules{});
        return file_->IsOpen() || failed(error);
    }
    bool Write(const char* data, int64_t size, QString& error) override {
        return file_->Write(data, size_t(size)) || failed(error);
    }
    bool Commit(QString& error) override { return file_->Commit() || failed(error); }

private:
    // The system's reason in Russian; the writer's own refusals as it words them.
    bool failed(QString& error) const {
        error =
            QString::fromStdString(file_->ErrorCode() ? SystemErrorText(file_->ErrorCode()) : file_->Error());
        return false;
    }

    QString target_;
    // An output dropped before its commit removes its temporary file.
    std::optional<GuardedFileWriter> file_;
};

constexpr int64_t kChunk = 1 << 20;

} // namespace

std::unique_ptr<IsoExtraction::Output> IsoExtraction::SavedFile(const QString& target) {
    return std::make_unique<SavedFileOutput>(target);
}

IsoExtraction::IsoExtraction(std::shared_ptr<TISOImage> image, const TFileEntry* entry, QString target,
                             OutputFactory output)
    : image_(std::move(image)), entry_(entry), target_(std::move(target)), output_(std::move(output)) {
    total_ = entry_ ? int64_t(entry_->DataLength()) : 0;
    outcome_.total = total_;
}

JobStatus IsoExtraction::Run(const std::atomic<bool>& stop) {
    if (!image_ || !entry_) {
        outcome_.state = State::Failed;
        outcome_.error = QStringLiteral("образ не открыт");
        return JobStatus::Failed;
    }
    outcome_ = Extract(*image_, *entry_, target_, output_, stop, [this](int64_t written) {
        written_.store(written, std::memory_order_release);
        RaisePercent(total_ > 0 ? int(written * 100 / total_) : 100);
    });
    return outcome_.state == State::Done      ? JobStatus::Done
           : outcome_.state == State::Stopped ? JobStatus::Stopped
                                              : JobStatus::Failed;
}

IsoExtraction::Outcome IsoExtraction::Result() {
    Wait();
    return outcome_;
}

IsoExtraction::Outcome IsoExtraction::Extract(const TISOImage& image, const TFileEntry& entry,
                                              const QString& target, const OutputFactory& output,
                                              const std::atomic<bool>& stop,
                                              const std::function<void(int64_t written)>& progress) {
    Outcome status;
    status.total = int64_t(entry.DataLength());
    const auto fail = [&](const QString& why) {
        status.state = State::Failed;
        status.error = why;
        return status;
    };
    // The image itself is never the target, by whatever name or link it is reached.
    if (const auto identity = FileIdentityOf(image.FileName());
        identity && NamesOneOf(target.toStdString(), {*identity}))
        return fail(QStringLiteral("это открытый образ, из которого извлекается файл"));
    std::unique_ptr<Output> out = output(target);
    QString error;
    if (!out || !out->Open(error)) return fail(error);
    std::vector<char> chunk(size_t(std::clamp<int64_t>(status.total, 1, kChunk)));
    while (status.written < status.total) {
        if (stop) {
            status.state = State::Stopped;
            return status; // the output goes without its commit: no file is left
        }
        const int64_t wanted = std::min<int64_t>(int64_t(chunk.size()), status.total - status.written);
        int64_t got = 0;
        try {
            got = image.ReadFileData(entry, status.written, chunk.data(), wanted);
        } catch (const std::exception& e) {
            return fail(QString::fromStdString(e.what()));
        }
        // An image cut short ends the file early: that is a failure, not a shorter file.
        if (got != wanted) return fail(QStringLiteral("образ обрывается внутри файла"));
        if (!out->Write(chunk.data(), got, error)) return fail(error);
        status.written += got;
        if (progress) progress(status.written);
    }
    if (!out->Commit(error)) return fail(error);
    status.state = State::Done;
    return status;
}
