// The run's "Log.txt", written through line by line as the run logs (CRLF line ends), so that a long log
// costs disk rather than memory; it replaces an earlier "Log.txt" only when the run ends.
#pragma once

#include <memory>
#include <string>

#include "converter/job/ConversionProgress.h"
#include "converter/output/ProducedFile.h"

class ConversionLogFile {
public:
    // Starts "Log.txt" in folder with the lines progress still holds; raises EFCreateError.
    ConversionLogFile(const std::string& folder, ConversionProgress& progress);
    // Ends the write-through; an uncommitted file is removed.
    ~ConversionLogFile();
    ConversionLogFile(const ConversionLogFile&) = delete;
    ConversionLogFile& operator=(const ConversionLogFile&) = delete;

    // Ends the write-through and puts the file in place; "" or why it could not be saved.
    std::string Commit();

private:
    void write(const std::string& line);

    ConversionProgress& progress_;
    std::unique_ptr<ProducedFile> file_;
    std::string failure_;
};
