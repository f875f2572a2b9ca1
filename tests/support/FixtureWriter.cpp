// Fixture byte writer and small file helpers for tests.
#include "support/FixtureWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace fixture {

ByteWriter& ByteWriter::u8(uint32_t v) {
    bytes_.push_back(uint8_t(v));
    return *this;
}
ByteWriter& ByteWriter::u16(uint32_t v) {
    return u8(v >> 8).u8(v);
}
ByteWriter& ByteWriter::u24(uint32_t v) {
    return u8(v >> 16).u8(v >> 8).u8(v);
}
ByteWriter& ByteWriter::u32(uint32_t v) {
    return u8(v >> 24).u8(v >> 16).u8(v >> 8).u8(v);
}
ByteWriter& ByteWriter::u16le(uint32_t v) {
    return u8(v).u8(v >> 8);
}
ByteWriter& ByteWriter::u32le(uint32_t v) {
    return u8(v).u8(v >> 8).u8(v >> 16).u8(v >> 24);
}
ByteWriter& ByteWriter::coordinate(int32_t value) {
    return u24(signMagnitude24(value)).u8(0);
}

ByteWriter& ByteWriter::raw(const void* data, size_t count) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + count);
    return *this;
}

ByteWriter& ByteWriter::fixedText(const std::string& s, size_t length) {
    for (size_t i = 0; i < length; ++i)
        u8(i < s.size() ? uint8_t(s[i]) : 0);
    return *this;
}

ByteWriter& ByteWriter::fill(size_t count, uint8_t value) {
    bytes_.insert(bytes_.end(), count, value);
    return *this;
}

ByteWriter& ByteWriter::align(size_t alignment, uint8_t value) {
    while (bytes_.size() % alignment)
        bytes_.push_back(value);
    return *this;
}

ByteWriter& ByteWriter::padTo(size_t offset, uint8_t value) {
    if (bytes_.size() < offset) bytes_.resize(offset, value);
    return *this;
}

void ByteWriter::patchU8(size_t at, uint32_t v) {
    bytes_.at(at) = uint8_t(v);
}
void ByteWriter::patchU16(size_t at, uint32_t v) {
    bytes_.at(at) = uint8_t(v >> 8);
    bytes_.at(at + 1) = uint8_t(v);
}
void ByteWriter::patchU32(size_t at, uint32_t v) {
    patchU16(at, v >> 16);
    patchU16(at + 2, v);
}

uint32_t kiwiAddress(uint64_t offset) {
    return uint32_t((offset / 2048) << 8 | (offset % 2048) / 32);
}

uint32_t signMagnitude24(int32_t value) {
    return value < 0 ? (0x800000u | uint32_t(-value)) : uint32_t(value);
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

namespace {
// This process's scratch root, removed when the process ends (not by forked children), so that /tmp does not
// fill up and folder scans of the readers (CMP list search, case-insensitive names) stay quick. The path is
// never destroyed, so the exit handler can still use it.
const std::string& scratchRoot() {
    static const pid_t owner = getpid();
    static const std::string* root = [] {
        auto* path =
            new std::string((QDir::tempPath() + "/kiwi-tests/" + QString::number(owner)).toStdString());
        std::atexit([] {
            std::error_code ignored;
            if (getpid() == owner) std::filesystem::remove_all(scratchRoot(), ignored);
        });
        return path;
    }();
    return *root;
}
} // namespace

std::string scratchDir(const std::string& name) {
    const QString dir = QString::fromStdString(scratchRoot() + "/" + name);
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    return dir.toStdString();
}

int runCommand(const std::string& command, std::string* output) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, n);
    const int status = pclose(pipe);
    if (output) *output = std::move(text);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace fixture
