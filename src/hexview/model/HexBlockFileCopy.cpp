// The block copy's thread: positionless reads of the stream in chunks, written through the sink, with
// percentages and the end left in the mailbox.
#include "hexview/model/HexBlockFileCopy.h"

#include <QDir>
#include <QSaveFile>
#include <exception>
#include <vector>

namespace {

class SaveFileSink final : public BlockSink {
public:
    explicit SaveFileSink(const QString& path) : file_(path) {}
    bool Open(QString& error) override {
        if (file_.open(QIODevice::WriteOnly)) return true;
        error = QStringLiteral("Не удалось создать файл %1\n%2")
                    .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString());
        return false;
    }
    bool Write(const char* data, int64_t size, QString& error) override {
        if (file_.write(data, size) == size) return true;
        error = writeError();
        return false;
    }
    bool Commit(QString& error) override {
        if (file_.commit()) return true;
        error = writeError();
        return false;
    }
    void Discard() override {
        // A cancelled save file removes its temporary file on commit and leaves the target alone.
        if (!file_.isOpen()) return;
        file_.cancelWriting();
        file_.commit();
    }

private:
    QString writeError() const {
        return QStringLiteral("Ошибка записи в файл %1\n%2")
            .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString());
    }
    QSaveFile file_;
};

} // namespace

std::unique_ptr<BlockSink> MakeSaveFileSink(const QString& path) {
    return std::make_unique<SaveFileSink>(path);
}

HexBlockFileCopy::HexBlockFileCopy(std::shared_ptr<TLN_Stream> stream, int64_t start, int64_t count,
                                   std::unique_ptr<BlockSink> sink)
    : stream_(std::move(stream)), start_(start), count_(count), sink_(std::move(sink)) {}

QString HexBlockFileCopy::Result() {
    Wait();
    return error_;
}

JobStatus HexBlockFileCopy::Run(const std::atomic<bool>& stop) {
    JobStatus end = JobStatus::Failed;
    try {
        end = copy(stop);
    } catch (const std::exception& error) {
        // A damaged file fails to read; what was written so far is dropped.
        error_ = QString::fromStdString(error.what());
    }
    if (end != JobStatus::Done) sink_->Discard();
    return end;
}

JobStatus HexBlockFileCopy::copy(const std::atomic<bool>& stop) {
    if (!stream_ || count_ <= 0 || start_ < 0) {
        error_ = QStringLiteral("Нет данных для записи");
        return JobStatus::Failed;
    }
    if (!sink_->Open(error_)) return JobStatus::Failed;
    std::vector<char> buffer(size_t(std::min(chunkSize_, count_)));
    int64_t done = 0;
    while (done < count_) {
        if (stop) return JobStatus::Stopped;
        const int64_t want = std::min<int64_t>(int64_t(buffer.size()), count_ - done);
        const int64_t got = stream_->ReadAt(start_ + done, buffer.data(), want);
        if (got <= 0) {
            // The stream ended before the block did (a truncated file): the copy would be incomplete.
            error_ = QStringLiteral("Ошибка чтения данных по адресу 0x%1")
                         .arg(QString::number(start_ + done, 16).toUpper());
            return JobStatus::Failed;
        }
        if (!sink_->Write(buffer.data(), got, error_)) return JobStatus::Failed;
        done += got;
        RaisePercent(int(done * 100 / count_));
    }
    return sink_->Commit(error_) ? JobStatus::Done : JobStatus::Failed;
}
