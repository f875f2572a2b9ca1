// Temporary file streams: where the file lies, its name, that it goes away, and failures that raise.
#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/TempFileStream.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/ScopedEnvironment.h"
#include "support/walkers/StreamContract.h"

namespace {

struct Kind {
    const char* prefix;
    std::function<std::unique_ptr<TLN_HandleStream>()> make;
};

const Kind kinds[] = {
    {"ZRV", [] { return std::make_unique<TLN_TempFileStream>(); }},
    {"DA", [] { return std::make_unique<TLN_TemporaryFileStream>(); }},
    // The same where the file system has no nameless files.
    {"ZRV",
     [] {
         auto [fd, name] = OpenScratchFile("ZRV", false);
         return std::make_unique<TLN_HandleStream>(fd, std::move(name));
     }},
};

std::shared_ptr<TLN_Stream> makeTemporary(const std::vector<uint8_t>& content) {
    auto stream = std::make_shared<TLN_TempFileStream>();
    stream->WriteAt(0, content.data(), int64_t(content.size()));
    return stream;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(TempFile, StreamContract, ::testing::Values(StreamFactory{"temp", makeTemporary}));

TEST(TempFileStream, FileLiesInTmpdirWithThePrefixAndIsGoneAfterwards) {
    const std::string folder = fixture::scratchDir("temp-stream-tmpdir");
    fixture::ScopedEnvironment environment("TMPDIR", QByteArray::fromStdString(folder));
    for (const auto& kind : kinds) {
        std::string name;
        {
            auto stream = kind.make();
            name = stream->FileName();
            const QFileInfo info(QString::fromStdString(name));
            EXPECT_EQ(info.absolutePath().toStdString(), folder) << kind.prefix;
            EXPECT_TRUE(info.fileName().startsWith(kind.prefix)) << name;
            EXPECT_EQ(stream->Size(), 0);

            const char data[] = "intermediate data";
            stream->WriteAt(1 << 20, data, sizeof data);
            EXPECT_EQ(stream->Size(), (1 << 20) + int64_t(sizeof data));
            char back[sizeof data] = {};
            EXPECT_EQ(stream->ReadAt(1 << 20, back, sizeof back), int64_t(sizeof back));
            EXPECT_STREQ(back, data);

            // Scratch data is the user's own, and no name leads to it even while it is in use.
            struct stat st {};
            ASSERT_EQ(::fstat(stream->Handle(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0600u);
            EXPECT_TRUE(QDir(QString::fromStdString(folder)).isEmpty()) << kind.prefix;
        }
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(name))) << name;
    }
    EXPECT_TRUE(QDir(QString::fromStdString(folder)).isEmpty());
}

TEST(TempFileStream, AKilledProcessLeavesNoScratchFile) {
    const std::string folder = fixture::scratchDir("temp-stream-killed");
    fixture::ScopedEnvironment environment("TMPDIR", QByteArray::fromStdString(folder));
    for (const auto& kind : kinds) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            auto stream = kind.make();
            stream->WriteAt(0, "held", 4);
            (void)!::write(ready[1], "1", 1);
            ::pause();
            ::_exit(0);
        }
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1) << kind.prefix;
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(ready[0]);
        ::close(ready[1]);
        EXPECT_TRUE(QDir(QString::fromStdString(folder)).isEmpty()) << kind.prefix;
    }
}

TEST(TempFileStream, EveryStreamGetsItsOwnFile) {
    TLN_TempFileStream first, second;
    TLN_TemporaryFileStream third;
    EXPECT_NE(first.FileName(), second.FileName());
    EXPECT_NE(first.FileName(), third.FileName());
    const uint8_t a = 'a', b = 'b';
    first.WriteAt(0, &a, 1);
    second.WriteAt(0, &b, 1);
    uint8_t read = 0;
    first.ReadAt(0, &read, 1);
    EXPECT_EQ(read, 'a');
}

TEST(TempFileStream, CreationFailureRaisesNamingTheFileAndTheReason) {
    const std::string scratch = fixture::scratchDir("temp-stream-failure");
    const std::string regularFile = scratch + "/not-a-folder";
    fixture::writeFile(regularFile, {1});
    struct Case {
        std::string tmpdir;
        int error;
    } cases[] = {{scratch + "/missing", ENOENT}, {regularFile, ENOTDIR}};
    for (const auto& c : cases) {
        fixture::ScopedEnvironment environment("TMPDIR", QByteArray::fromStdString(c.tmpdir));
        for (const auto& kind : kinds) {
            try {
                kind.make();
                ADD_FAILURE() << kind.prefix << " in " << c.tmpdir << " did not raise";
            } catch (const EFCreateError& e) {
                const std::string message = e.what();
                EXPECT_NE(message.find(c.tmpdir + "/" + kind.prefix), std::string::npos) << message;
                EXPECT_NE(message.find(std::strerror(c.error)), std::string::npos) << message;
            }
        }
    }
}

TEST(TempFileStream, UnwritableTmpdirRaises) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop the superuser";
    const std::string folder = fixture::scratchDir("temp-stream-read-only");
    ASSERT_EQ(::chmod(folder.c_str(), 0500), 0);
    fixture::ScopedEnvironment environment("TMPDIR", QByteArray::fromStdString(folder));
    for (const auto& kind : kinds)
        EXPECT_THROW(kind.make(), EFCreateError) << kind.prefix;
    ::chmod(folder.c_str(), 0700);
}
