// The block copy's thread: positionless reads of the stream in chunks, written through the sink, with
// percentages and the end left in the mailbox.
#include "hexview/model/HexBlockFileCopy.h"

#include <QDir>
#include <exception>
#include <optional>
#include <vector>

#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/disc/FileStream.h"
#include "platform/FileIdentity.h"
#include "platform/GuardedFileWriter.h"
#include "platform/SystemErrorText.h"

namespace {

class SaveFileSink final : public BlockSink {
public:
    SaveFileSink(const QString& path, std::vector<std::string> sources)
        : path_(path), sources_(std::move(sources)) {}
    bool Open(QString& error) override {
        const std::string target = path_.toStdString();
        std::vector<FileIdentity> read;
        for (const std::string& source : sources_)
            if (const auto identity = FileIdentityOf(source)) read.push_back(*identity);
        if (NamesOneOf(target, read)) {
            error = failure(QStringLiteral("Не удалось создать файл %1\n%2"),
                            QStringLiteral("это файл, который сейчас открыт в программе"));
            return false;
        }
        file_.emplace(target, GuardedFileWriter::Rules{sources_, true});
        if (file_->IsOpen()) return true;
        error = failure(QStringLiteral("Не удалось создать файл %1\n%2"), reason());
        return false;
    }
    bool Write(const char* data, int64_t size, QString& error) override {
        if (file_->Write(data, size_t(size))) return true;
        error = failure(QStringLiteral("Ошибка записи в файл %1\n%2"), reason());
        return false;
    }
    bool Commit(QString& error) override {
        if (file_->Commit()) return true;
        error = failure(QStringLiteral("Ошибка записи в файл %1\n%2"), reason());
        return false;
    }
    // The temporary file goes; the target stays as it was.
    void Discard() override { file_.reset(); }

private:
    QString reason() const {
        return QString::fromStdString(file_->ErrorCode() ? SystemErrorText(file_->ErrorCode())
                                                         : file_->Error());
    }
    QString failure(const QString& pattern, const QString& why) const {
        return pattern.arg(QDir::toNativeSeparators(path_), why);
    }

    QString path_;
    std::vector<std::string> sources_;
    std::optional<GuardedFileWriter> file_;
};

} // namespace

std::unique_ptr<BlockSink> MakeSaveFileSink(const QString& path, std::vector<std::string> sources) {
    return std::make_unique<SaveFileSink>(path, std::move(sources));
}

std::vector<std::string> FilesBehind(const TLN_Stream& stream) {
    if (IsISOImageOpen()) return {GetISOImageFileName()};
    std::vector<std::string> files{stream.FileName()};
    if (const auto* unpacked = dynamic_cast<const TLN_DecompFileStream*>(&stream)) {
        if (const auto* volumes = dynamic_cast<const TLN_FileStream*>(&unpacked->DataStream()))
            for (const auto& part : volumes->Parts())
                files.push_back(part.fileName);
        if (unpacked->List()) files.push_back(unpacked->List()->ListFileName());
    }
    return files;
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
