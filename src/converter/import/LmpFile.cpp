// Checking, loading and saving compiled building data files.
#include "converter/import/LmpFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace building_data {
namespace {

constexpr int32_t kLatitudeLimit = 90 * 460800;
constexpr int32_t kLongitudeLimit = 180 * 460800;

// Why the record at offset is unsound, or "" when it is sound and fits; size receives its size.
Failure checkRecord(std::span<const uint8_t> bytes, size_t offset, bool padded, size_t& size) {
    if (bytes.size() - offset < kRecordHeaderSize) return FailureCode::LmpHeaderPastEnd;
    const uint8_t* p = bytes.data() + offset;
    const auto count = uint16_t(p[0] | p[1] << 8);
    const uint8_t kind = p[2];
    const uint8_t length = p[3];
    if (count == 0) return FailureCode::LmpNoPoints;
    if (kind == kBuilding || kind == kCityArea) {
        if (count < 3 || length != 0) return FailureCode::LmpShortOutline;
    } else if (kind == kHouseNumber || kind == kHouseNumberNear) {
        if (count != 1 || length == 0 || length > 6) return FailureCode::LmpBadHouseNumber;
    } else {
        return Failure(FailureCode::LmpUnknownKind, {{"kind", kind}});
    }
    size = kRecordHeaderSize + size_t(count) * kPointSize + (padded ? PaddedLabelSize(length) : length);
    if (bytes.size() - offset < size) return FailureCode::LmpRecordPastEnd;
    // The points read the same whichever way the label is stored.
    const RecordView record{offset, count, kind, length, p};
    for (size_t i = 0; i < count; ++i) {
        const Point point = record.PointAt(i);
        if (point.x < -kLongitudeLimit || point.x > kLongitudeLimit || point.y < -kLatitudeLimit ||
            point.y > kLatitudeLimit)
            return FailureCode::LmpPointOffGlobe;
    }
    return {};
}

// The number of records when the walk ends exactly at the end, else nothing (reason set).
std::optional<size_t> walk(std::span<const uint8_t> bytes, bool padded, Failure& reason) {
    size_t offset = kBoxSize;
    size_t records = 0;
    while (offset < bytes.size()) {
        size_t size = 0;
        reason = checkRecord(bytes, offset, padded, size);
        if (reason) return {};
        offset += size;
        ++records;
    }
    return records;
}

std::vector<uint8_t> repad(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> out(bytes.begin(), bytes.begin() + kBoxSize);
    out.reserve(bytes.size() + bytes.size() / 8);
    size_t offset = kBoxSize;
    while (offset < bytes.size()) {
        const uint8_t* p = bytes.data() + offset;
        const size_t body = kRecordHeaderSize + size_t(uint16_t(p[0] | p[1] << 8)) * kPointSize;
        const uint8_t length = p[3];
        out.insert(out.end(), p, p + body + length);
        out.resize(out.size() + PaddedLabelSize(length) - length, 0);
        offset += body + length;
    }
    return out;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

LmpCheck CheckLmp(std::span<const uint8_t> bytes) {
    LmpCheck check;
    if (bytes.size() < kBoxSize) {
        check.reason = FailureCode::LmpShortBox;
        return check;
    }
    Failure paddedReason;
    Failure unpaddedReason;
    if (const std::optional<size_t> records = walk(bytes, true, paddedReason)) {
        check.layout = LmpLayout::Padded;
        check.records = *records;
    } else if (const std::optional<size_t> plain = walk(bytes, false, unpaddedReason)) {
        check.layout = LmpLayout::Unpadded;
        check.records = *plain;
    } else {
        check.reason = paddedReason;
    }
    return check;
}

std::optional<std::vector<uint8_t>> ReadLmp(const std::string& path, Failure& error) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = Failure(FailureCode::ImportReadFailed, Failure::System(errno), {{"file", path}});
        return {};
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[1 << 16];
    while (true) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        if (got == 0) break;
        if (bytes.size() + got > size_t(INT32_MAX)) {
            error = Failure(FailureCode::LmpTooLarge, {{"file", path}});
            return {};
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (std::ferror(file.get())) {
        error = Failure(FailureCode::ImportReadFailed, Failure::System(errno), {{"file", path}});
        return {};
    }
    const LmpCheck check = CheckLmp(bytes);
    if (!check.layout) {
        error = Failure(FailureCode::LmpNotCompiled, check.reason, {{"file", path}});
        return {};
    }
    if (*check.layout == LmpLayout::Unpadded) return repad(bytes);
    return bytes;
}

LmpLoadResult LoadLmp(std::vector<uint8_t>& data, const std::string& path, LmpLoadMode mode) {
    LmpLoadResult result;
    try {
        std::optional<std::vector<uint8_t>> file = ReadLmp(path, result.error);
        if (!file) return result;
        result.fileSize = file->size();
        LmpCheck check = CheckLmp(*file);
        result.recordsAdded = check.records;
        if (mode == LmpLoadMode::Replace || data.size() < kBoxSize) {
            data.swap(*file);
        } else {
            if (data.size() + file->size() - kBoxSize > size_t(INT32_MAX)) {
                result.error = FailureCode::LmpOutgrows;
                return result;
            }
            Box box = ReadBox(data);
            box.Widen(ReadBox(*file));
            data.insert(data.end(), file->begin() + kBoxSize, file->end());
            WriteBox(data, box);
        }
    } catch (const std::bad_alloc&) {
        result.error = Failure(FailureCode::LmpNoMemory, {{"file", path}});
        return result;
    }
    result.box = ReadBox(data);
    result.ok = true;
    return result;
}

void SaveLmp(const std::string& path, std::span<const uint8_t> data, const OutputOpener& opener) {
    ProducedFile file(path, opener);
    file.Stream().Write(data.data(), int64_t(data.size()));
    file.Commit();
}

std::string ProposedLmpName(const std::string& openedPath) {
    const size_t slash = openedPath.find_last_of('/');
    const size_t dot = openedPath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return openedPath + ".lmp";
    return openedPath.substr(0, dot) + ".lmp";
}

} // namespace building_data
