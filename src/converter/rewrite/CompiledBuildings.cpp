// Compiled building data files.
#include "converter/rewrite/CompiledBuildings.h"

#include <fstream>
#include <iterator>

#include "converter/import/BuildingData.h"

namespace rewrite {

namespace {

using namespace building_data;

// Walks records with the given label size rule; true when they end exactly at the file's end.
template <typename LabelBytes> bool walks(const std::vector<uint8_t>& file, LabelBytes labelBytes) {
    size_t at = kBoxSize;
    while (at < file.size()) {
        if (file.size() - at < kRecordHeaderSize) return false;
        const size_t count = size_t(file[at] | (file[at + 1] << 8));
        if (count == 0) return false;
        const size_t size = kRecordHeaderSize + count * kPointSize + labelBytes(file[at + 3]);
        if (file.size() - at < size) return false;
        at += size;
    }
    return at == file.size();
}

} // namespace

std::optional<std::vector<uint8_t>> ParseCompiledBuildings(const std::vector<uint8_t>& file,
                                                           std::string& problem) {
    if (file.size() < kBoxSize) {
        problem = "the file is shorter than its 16-byte box";
        return std::nullopt;
    }
    if (walks(file, [](uint8_t length) { return PaddedLabelSize(length); })) return file;
    if (!walks(file, [](uint8_t length) { return size_t(length); })) {
        problem = "the records do not fit the file";
        return std::nullopt;
    }
    std::vector<uint8_t> padded(file.begin(), file.begin() + ptrdiff_t(kBoxSize));
    for (size_t at = kBoxSize; at < file.size();) {
        const uint16_t count = uint16_t(file[at] | (file[at + 1] << 8));
        const uint8_t kind = file[at + 2], length = file[at + 3];
        const uint8_t* p = file.data() + at + kRecordHeaderSize;
        std::vector<Point> points(count);
        for (size_t i = 0; i < count; ++i, p += kPointSize) {
            points[i].x =
                int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
            points[i].y =
                int32_t(uint32_t(p[4]) | uint32_t(p[5]) << 8 | uint32_t(p[6]) << 16 | uint32_t(p[7]) << 24);
        }
        AppendRecord(padded, kind, points, std::span<const uint8_t>(p, length));
        at += kRecordHeaderSize + size_t(count) * kPointSize + length;
    }
    return padded;
}

std::optional<std::vector<uint8_t>> LoadCompiledBuildings(const std::string& path, std::string& problem) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = "cannot open \"" + path + "\"";
        return std::nullopt;
    }
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        problem = "cannot read \"" + path + "\"";
        return std::nullopt;
    }
    return ParseCompiledBuildings(file, problem);
}

} // namespace rewrite
