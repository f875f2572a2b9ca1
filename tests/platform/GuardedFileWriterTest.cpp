// The guarded writer: what it refuses, what it writes through, and that a failure leaves the folder as it
// was.
#include <QDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/GuardedFileWriter.h"
#include "support/fixtures/FixtureWriter.h"

TEST(GuardedFileWriter, RefusesWhatItMustNotReplaceAndWritesTheRest) {
    struct Case {
        const char* what;
        std::function<void(const std::string& folder)> make;
        bool replaceExisting;
        bool written; // "new" was written at "out" (through its link, if any)
        const char* errorPart;
    } cases[] = {
        {"a new file", [](const std::string&) {}, true, true, ""},
        {"a file the user named", [](const std::string& f) { fixture::writeFile(f + "/out", {1}); }, true,
         true, ""},
        {"a file not to replace", [](const std::string& f) { fixture::writeFile(f + "/out", {1}); }, false,
         false, "exists already"},
        {"the source by another name",
         [](const std::string& f) { ASSERT_EQ(::link((f + "/source").c_str(), (f + "/out").c_str()), 0); },
         true, false, "is the source"},
        {"a link to another file",
         [](const std::string& f) {
             fixture::writeFile(f + "/linked", {1});
             ASSERT_EQ(::symlink("linked", (f + "/out").c_str()), 0);
         },
         true, true, ""},
        {"a FIFO", [](const std::string& f) { ASSERT_EQ(::mkfifo((f + "/out").c_str(), 0600), 0); }, true,
         false, "not a regular file"},
        {"a folder", [](const std::string& f) { QDir().mkpath(QString::fromStdString(f + "/out")); }, true,
         false, "not a regular file"},
    };
    for (const Case& c : cases) {
        const std::string folder = fixture::scratchDir(std::string("guarded-") + c.what);
        fixture::writeFile(folder + "/source", {7, 7});
        c.make(folder);
        const QStringList before =
            QDir(QString::fromStdString(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
        std::string error;
        const bool written = GuardedFileWriter::WriteWhole(folder + "/out", "new", 3,
                                                           {{folder + "/source"}, c.replaceExisting}, &error);
        EXPECT_EQ(written, c.written) << c.what << ": " << error;
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << c.what << ": " << error;
        // Nothing beside the target: no temporary file left, no link replaced by a plain file.
        EXPECT_EQ(
            QDir(QString::fromStdString(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System),
            (before.contains("out") || !c.written ? before : QStringList{".", "..", "out", "source"}))
            << c.what;
        EXPECT_EQ(fixture::readFile(folder + "/source"), (std::vector<uint8_t>{7, 7})) << c.what;
        if (std::string(c.what) == "a link to another file") {
            EXPECT_EQ(fixture::readFile(folder + "/linked"), (std::vector<uint8_t>{'n', 'e', 'w'}));
        }
        if (c.written) {
            EXPECT_EQ(fixture::readFile(folder + "/out"), (std::vector<uint8_t>{'n', 'e', 'w'})) << c.what;
        }
    }
}
