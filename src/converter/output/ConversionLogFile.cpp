// The run's log file.
#include "converter/output/ConversionLogFile.h"

ConversionLogFile::ConversionLogFile(const std::string& folder, ConversionProgress& progress)
    : progress_(progress), file_(std::make_unique<ProducedFile>(folder + "/Log.txt")) {
    progress_.SetLogSink([this](const std::string& line) { write(line); });
}

ConversionLogFile::~ConversionLogFile() {
    progress_.SetLogSink({});
}

void ConversionLogFile::write(const std::string& line) {
    // Called under the progress lock from wherever the run logs: a failure is kept, never thrown there.
    if (!failure_.empty()) return;
    try {
        const std::string text = line + "\r\n";
        file_->Stream().Write(text.data(), int64_t(text.size()));
    } catch (const std::exception& e) {
        failure_ = e.what();
    }
}

std::string ConversionLogFile::Commit() {
    progress_.SetLogSink({});
    if (failure_.empty()) try {
            file_->Commit();
        } catch (const std::exception& e) {
            failure_ = e.what();
        }
    if (!failure_.empty()) file_->Discard();
    return failure_;
}
