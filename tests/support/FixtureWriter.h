// The fixture builder's own big-endian writer. It shares no code with the production writers on
// purpose: a fault in production encoding must not be able to pass its own fixtures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fixture {

class ByteWriter {
public:
    size_t size() const { return bytes_.size(); }
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    std::vector<uint8_t> take() { return std::move(bytes_); }

    ByteWriter& u8(uint32_t v);
    ByteWriter& u16(uint32_t v);
    ByteWriter& u24(uint32_t v);
    ByteWriter& u32(uint32_t v);
    ByteWriter& u16le(uint32_t v);
    ByteWriter& u32le(uint32_t v);
    // A coordinate in a 4-byte field: 24-bit sign-magnitude, then a zero byte.
    ByteWriter& coordinate(int32_t value);
    // Raw bytes and texts; fixedText pads with NUL or cuts to exactly length bytes.
    ByteWriter& raw(const void* data, size_t count);
    ByteWriter& raw(const std::vector<uint8_t>& data) { return raw(data.data(), data.size()); }
    ByteWriter& text(const std::string& s) { return raw(s.data(), s.size()); }
    ByteWriter& fixedText(const std::string& s, size_t length);
    ByteWriter& fill(size_t count, uint8_t value = 0);
    // Pads with value up to a multiple of alignment.
    ByteWriter& align(size_t alignment, uint8_t value = 0);
    // Pads up to an absolute offset (no-op when already past it).
    ByteWriter& padTo(size_t offset, uint8_t value = 0);

    // Overwrite already written bytes (reserve-and-patch).
    void patchU8(size_t at, uint32_t v);
    void patchU16(size_t at, uint32_t v);
    void patchU32(size_t at, uint32_t v);

private:
    std::vector<uint8_t> bytes_;
};

// A KIWI address of a byte offset: sector << 8 | (offset within sector) / 32.
uint32_t kiwiAddress(uint64_t offset);
// 24-bit sign-magnitude of a value (as stored in the first three bytes of a coordinate field).
uint32_t signMagnitude24(int32_t value);
// Deterministic content derived from a position, for files whose bytes must be checkable anywhere.
inline uint8_t positionByte(uint64_t p) {
    return uint8_t((p ^ (p >> 8) ^ (p >> 16)) & 0xFF);
}

// Writes bytes to a file, creating folders; raises std::runtime_error on failure.
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readFile(const std::string& path);

// A fresh, empty scratch folder for one test (removed and re-created).
std::string scratchDir(const std::string& name);

// Runs a shell command; returns its exit status and stdout.
int runCommand(const std::string& command, std::string* output = nullptr);

} // namespace fixture
