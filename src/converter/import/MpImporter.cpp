// Streaming Polish-format import: line splitting, the section state machine and record output.
#include "converter/import/MpImporter.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "converter/import/MpCoordinate.h"
#include "converter/import/RingMerge.h"
#include "converter/output/OutputEncoding.h"
#include "platform/CodePage.h"

namespace mp_import {

using building_data::Point;

namespace {

constexpr size_t kMaxLabelBytes = 6;
constexpr int64_t kStopCheckLines = 4096;

// The buffer outgrew its limit: the file is abandoned like on a shortage of memory.
struct SizeLimitReached {};
// A read error of the file.
struct ReadFailure {
    Failure why;
};
struct StopRequested {};

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'a' && a[i] <= 'z' ? char(a[i] - 32) : a[i];
        const char y = b[i] >= 'a' && b[i] <= 'z' ? char(b[i] - 32) : b[i];
        if (x != y) return false;
    }
    return true;
}

bool startsNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}

// The number after a key's name ("Data10" -> 10), or -1 when the rest is not all digits.
int keyLevel(std::string_view key, std::string_view name) {
    if (!startsNoCase(key, name) || key.size() == name.size() || key.size() > name.size() + 4) return -1;
    int level = 0;
    for (const char c : key.substr(name.size())) {
        if (c < '0' || c > '9') return -1;
        level = level * 10 + (c - '0');
    }
    return level;
}

// Reads "(lat,lon),(lat,lon)..." into points (x = longitude); false when any part is unreadable.
// A malformed line, or a ring with more points than an outline may hold (collecting stops there).
enum class PairsRead { Bad, Read, TooMany };

// A line quoted into the log is cut: a file may hold a single line of any length.
constexpr size_t kQuotedLineBytes = 300;

std::string quoted(std::string_view line) {
    if (line.size() <= kQuotedLineBytes) return std::string(line);
    return std::string(line.substr(0, kQuotedLineBytes)) + "...";
}

// A label's bytes in the ANSI code page; nothing when they are not text in the file's code page that the
// ANSI page can hold.
std::optional<QByteArray> labelInAnsi(const QByteArray& bytes, bool utf8) {
    const QString text = decodeFromCodePage(bytes, utf8 ? CodePageUtf8 : kAnsiCodePage);
    if (text.contains(QChar::ReplacementCharacter)) return std::nullopt;
    if (!utf8) return bytes;
    QByteArray ansi = encodeToCodePage(text, kAnsiCodePage);
    if (decodeFromCodePage(ansi, kAnsiCodePage) != text) return std::nullopt;
    return ansi;
}

PairsRead readPairs(std::string_view text, std::vector<Point>& points, size_t limit) {
    points.clear();
    size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
    };
    skipBlanks();
    if (i == text.size()) return PairsRead::Bad;
    while (true) {
        if (i >= text.size() || text[i] != '(') return PairsRead::Bad;
        const size_t comma = text.find(',', i + 1);
        if (comma == std::string_view::npos) return PairsRead::Bad;
        const size_t close = text.find(')', comma + 1);
        if (close == std::string_view::npos) return PairsRead::Bad;
        const std::optional<int32_t> lat = CoordToMapUnits(text.substr(i + 1, comma - i - 1), 90);
        const std::optional<int32_t> lon = CoordToMapUnits(text.substr(comma + 1, close - comma - 1), 180);
        if (!lat || !lon) return PairsRead::Bad;
        points.push_back(Point{*lon, *lat});
        if (points.size() == limit) return PairsRead::TooMany;
        i = close + 1;
        skipBlanks();
        if (i == text.size()) return PairsRead::Read;
        if (text[i] != ',') return PairsRead::Bad;
        ++i;
        skipBlanks();
    }
}

bool parseHex(std::string_view text, uint32_t& value) {
    if (text.empty() || text.size() > 8) return false;
    value = 0;
    for (const char c : text) {
        uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = uint32_t(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = uint32_t(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = uint32_t(c - 'A' + 10);
        else
            return false;
        value = value << 4 | digit;
    }
    return true;
}

std::string elapsedText(std::chrono::steady_clock::duration elapsed) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

// The import's own message for a file that does not fit, already in the user's words.
Failure outOfMemory(const std::string& name) {
    return Failure(FailureCode::Told, {{"words", OutOfMemoryMessage(BaseName(name))}});
}

} // namespace

std::string OutOfMemoryMessage(const std::string& fileName) {
    return "Недостаточно памяти, чтобы добавить этот файл !\n" + fileName;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

MpImporter::MpImporter(std::vector<uint8_t>& data, ImportSettings settings)
    : data_(data), settings_(settings), rings_(kMaxRings) {}

void MpImporter::Emit(MemoEvent event) {
    if (onMemo) onMemo(event);
}

void MpImporter::Log(std::string text) {
    ++linesLogged_;
    Emit(MemoEvent{MemoEvent::Kind::Append, std::move(text), 0});
}

void MpImporter::BeginFile(const std::string& name, bool fresh) {
    freshBefore_ = fresh;
    sizeBefore_ = data_.size();
    if (fresh) {
        before_ = data_;
        data_.clear();
        box_ = building_data::Box{};
        building_data::WriteBox(data_, box_);
        Emit(MemoEvent{MemoEvent::Kind::Clear, {}, 0});
    } else {
        if (data_.size() < building_data::kBoxSize) building_data::WriteBox(data_, building_data::Box{});
        before_.assign(data_.begin(), data_.begin() + building_data::kBoxSize);
        box_ = building_data::ReadBox(data_);
        // An empty line parts this file's lines from those before.
        Emit(MemoEvent{MemoEvent::Kind::Append, {}, 0});
    }
    linesLogged_ = 0;
    Log("Импорт данных из файла " + BaseName(name));
    Log("Началась компиляция. Пожалуйста, подождите...");
    linesLogged_ = 0; // lines after the start line
    thinning_.Clear();
    counters_ = {};
    utf8Labels_ = false;
    lineNumber_ = 0;
    section_ = Section::None;
}

MpImporter::FileResult MpImporter::EndFile(const FileResult& failure) {
    if (failure.outcome != Outcome::Done) {
        // Everything this file added goes: records, box and log lines.
        if (freshBefore_)
            data_.swap(before_);
        else {
            data_.resize(sizeBefore_);
            std::copy(before_.begin(), before_.end(), data_.begin());
        }
        before_.clear();
        Emit(MemoEvent{MemoEvent::Kind::DropLast, {}, linesLogged_ + (freshBefore_ ? 2 : 3)});
        FileResult result = failure;
        result.counters = {};
        return result;
    }
    return {Outcome::Done, counters_, {}};
}

void MpImporter::Append(uint8_t kind, std::span<const Point> points, std::span<const uint8_t> label) {
    if (data_.size() + building_data::RecordSize(uint16_t(points.size()), uint8_t(label.size())) >
        settings_.sizeLimit)
        throw SizeLimitReached{};
    building_data::AppendRecord(data_, kind, points, label);
    ++counters_.records;
}

void MpImporter::StartSection(std::string_view header) {
    sectionLine_ = lineNumber_;
    kind_ = 0;
    refused_ = false;
    tooLarge_ = false;
    level_ = INT32_MAX;
    ringCount_ = 0;
    pairs_.clear();
    label_.clear();
    hasLabel_ = false;
    if (equalsNoCase(header, "[POLYGON]"))
        section_ = Section::Polygon;
    else if (equalsNoCase(header, "[POI]"))
        section_ = Section::Poi;
    else if (equalsNoCase(header, "[IMG ID]"))
        section_ = Section::ImgId;
    else
        section_ = Section::Other;
}

void MpImporter::EndSection() {
    if (section_ == Section::Polygon)
        FinishPolygon();
    else if (section_ == Section::Poi)
        FinishPoi();
    section_ = Section::None;
}

void MpImporter::ProcessLine(std::string_view line) {
    ++lineNumber_;
    if (lineNumber_ % kStopCheckLines == 0 && stop && stop->load(std::memory_order_relaxed))
        throw StopRequested{};
    line = trim(line);
    if (lineNumber_ == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line = trim(line.substr(3));
    if (line.empty() || line.front() == ';') return;
    if (line.front() == '[') {
        if (startsNoCase(line, "[END")) {
            EndSection();
            return;
        }
        // A section header inside an open section: its [END] is missing, so the section ends here.
        if (section_ == Section::Polygon || section_ == Section::Poi) {
            Log("ERROR : missing [END] before line " + std::to_string(lineNumber_));
            EndSection();
        }
        StartSection(line);
        return;
    }
    if (section_ == Section::None || section_ == Section::Other) return;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    ReadKey(trim(line.substr(0, equals)), trim(line.substr(equals + 1)), line);
}

void MpImporter::ReadKey(std::string_view key, std::string_view value, std::string_view line) {
    if (section_ == Section::ImgId) {
        if (equalsNoCase(key, "CodePage")) utf8Labels_ = value == "65001";
        return;
    }
    if (refused_) return;
    if (equalsNoCase(key, "Type")) {
        ReadType(value, line);
        return;
    }
    if (section_ == Section::Poi && equalsNoCase(key, "Label")) {
        if (!hasLabel_) label_.assign(value);
        hasLabel_ = true;
        return;
    }
    int level = keyLevel(key, "Data");
    if (level < 0 && section_ == Section::Poi) level = keyLevel(key, "Origin");
    if (level >= 0) ReadData(level, value, line);
}

void MpImporter::ReadType(std::string_view value, std::string_view line) {
    if (!startsNoCase(value, "0x")) return;
    uint32_t type = 0;
    if (!parseHex(value.substr(2), type)) {
        Log("ERROR : " + quoted(line));
        refused_ = true;
        return;
    }
    if (section_ == Section::Poi) {
        if (type == 0x3300) kind_ = building_data::kHouseNumber;
        return;
    }
    if (kind_ != 0) return; // the first type that decides wins
    if (type == 0x13 || (type >= 0x6C && type <= 0x6F))
        kind_ = building_data::kBuilding;
    else if (type == 0x01 || (type == 0x02 && settings_.cityAreaLevel >= 1) ||
             (type == 0x03 && settings_.cityAreaLevel >= 2))
        kind_ = building_data::kCityArea;
}

void MpImporter::ReadData(int level, std::string_view value, std::string_view line) {
    if (level > level_) return; // a coarser zoom level of the same object
    const PairsRead read = readPairs(value, scratch_, kMaxOutlinePoints + 1);
    if (read == PairsRead::Bad) {
        Log("ERROR : " + quoted(line));
        return;
    }
    if (level < level_) {
        level_ = level;
        ringCount_ = 0;
        pairs_.clear();
        tooLarge_ = false;
    }
    if (section_ == Section::Poi) {
        if (read == PairsRead::TooMany)
            Log("ERROR : more than 65535 points: " + std::string(line.substr(0, 80)));
        else
            pairs_.insert(pairs_.end(), scratch_.begin(), scratch_.end());
        return;
    }
    if (ringCount_ == kMaxRings) return;
    if (read == PairsRead::TooMany) {
        Log("ERROR : more than 65535 points: " + std::string(line.substr(0, 80)));
        tooLarge_ = true;
    }
    rings_[ringCount_++].swap(scratch_);
}

void MpImporter::FinishPolygon() {
    if (refused_ || kind_ == 0 || tooLarge_) return;
    size_t total = 0;
    for (size_t r = 0; r < ringCount_; ++r)
        total += rings_[r].size();
    // Each joined ring adds its points and two seam points; a refused polygon widens nothing.
    if (ringCount_ > 1 && total + 2 * (ringCount_ - 1) > kMaxOutlinePoints) {
        Log("ERROR : more than 65535 points in the polygon at line " + std::to_string(sectionLine_));
        return;
    }
    for (size_t r = 0; r < ringCount_; ++r)
        for (const Point p : rings_[r])
            box_.Widen(p);
    if (kind_ == building_data::kBuilding)
        ++counters_.buildings;
    else
        ++counters_.cities;
    if (ringCount_ == 0) return;
    MergeRings(rings_, ringCount_, scratch_);
    std::vector<Point>& outline = rings_[0];
    DropClosingPoints(outline);
    if (outline.size() > 2) Append(kind_, outline, {});
}

void MpImporter::FinishPoi() {
    if (refused_ || kind_ == 0) return;
    for (const Point p : pairs_)
        box_.Widen(p);
    if (pairs_.empty()) return; // no position: nothing to place
    QByteArray label(label_.data(), qsizetype(label_.size()));
    if (!label.isEmpty()) {
        std::optional<QByteArray> ansi = labelInAnsi(label, utf8Labels_);
        if (!ansi) {
            // Kept, its bytes would show as "?" or as other letters on the map.
            Log("ERROR : the label of the house number at line " + std::to_string(sectionLine_) +
                " is not text in code page " + std::to_string(utf8Labels_ ? CodePageUtf8 : kAnsiCodePage));
            return;
        }
        label = std::move(*ansi);
    }
    if (size_t(label.size()) > kMaxLabelBytes) return;
    const uint8_t kind = thinning_.Decide(pairs_.back());
    if (kind == 0 || label.isEmpty()) return;
    const Point position = pairs_.back();
    Append(kind, std::span(&position, 1),
           std::span(reinterpret_cast<const uint8_t*>(label.constData()), size_t(label.size())));
    ++counters_.numbers;
}

namespace {

// Splits the bytes of buffer[0, size) into lines in place; returns how many bytes of a last, unfinished
// line are left at the end.
template <typename F> size_t splitLines(const char* buffer, size_t size, bool atEnd, F&& f) {
    size_t start = 0;
    while (start < size) {
        const void* found = std::memchr(buffer + start, '\n', size - start);
        if (!found) break;
        const size_t end = size_t(static_cast<const char*>(found) - buffer);
        f(std::string_view(buffer + start, end - start));
        start = end + 1;
    }
    if (atEnd && start < size) {
        f(std::string_view(buffer + start, size - start));
        start = size;
    }
    return size - start;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

MpImporter::FileResult MpImporter::Run(const std::string& name, bool fresh,
                                       const std::function<void()>& feed) {
    const auto started = std::chrono::steady_clock::now();
    BeginFile(name, fresh);
    try {
        feed();
        if (section_ == Section::Polygon || section_ == Section::Poi)
            Log("ERROR : missing [END] before line " + std::to_string(lineNumber_ + 1));
        EndSection();
        // Used size is the buffer's size; the box goes over its first 16 bytes.
        building_data::WriteBox(data_, box_);
    } catch (const SizeLimitReached&) {
        return EndFile({Outcome::Failed, {}, outOfMemory(name)});
    } catch (const std::bad_alloc&) {
        return EndFile({Outcome::Failed, {}, outOfMemory(name)});
    } catch (const ReadFailure& failure) {
        return EndFile({Outcome::Failed, {}, failure.why});
    } catch (const StopRequested&) {
        return EndFile({Outcome::Stopped, {}, {}});
    }
    const std::string done =
        "Файл скомпилирован. Затраченное время: " + elapsedText(std::chrono::steady_clock::now() - started);
    // The start line becomes the result line, unless error lines came after it.
    if (linesLogged_ == 0)
        Emit(MemoEvent{MemoEvent::Kind::ReplaceLast, done, 0});
    else
        Emit(MemoEvent{MemoEvent::Kind::Append, done, 0});
    Emit(MemoEvent{MemoEvent::Kind::Append, "Размер в памяти: " + std::to_string(data_.size() / 1024) + " kb",
                   0});
    Emit(MemoEvent{MemoEvent::Kind::Append,
                   "Найдено на карте: городов " + std::to_string(counters_.cities) + ", зданий " +
                       std::to_string(counters_.buildings) + ", c нумерацией " +
                       std::to_string(counters_.numbers),
                   0});
    if (counters_.records == 0) Emit(MemoEvent{MemoEvent::Kind::Append, "На этой карте нет зданий !!!", 0});
    return EndFile({});
}

MpImporter::FileResult MpImporter::ImportText(std::string_view text, const std::string& name, bool fresh) {
    return Run(name, fresh, [&] {
        splitLines(text.data(), text.size(), true, [&](std::string_view line) { ProcessLine(line); });
        if (onProgress) onProgress(int64_t(text.size()), int64_t(text.size()));
    });
}

MpImporter::FileResult MpImporter::ImportFile(const std::string& path, bool fresh) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        const Failure why(FailureCode::ImportReadFailed, Failure::System(errno), {{"file", path}});
        FileResult result = Run(path, fresh, [&] { throw ReadFailure{why}; });
        return result;
    }
    std::fseek(file.get(), 0, SEEK_END);
    const int64_t total = std::max<int64_t>(0, std::ftell(file.get()));
    std::fseek(file.get(), 0, SEEK_SET);
    return Run(path, fresh, [&] {
        // Room for the records at about a quarter of the text, within the limit.
        data_.reserve(std::min(settings_.sizeLimit, data_.size() + size_t(total / 4)));
        std::vector<char> buffer(std::max<size_t>(settings_.readBufferSize, 64));
        size_t kept = 0; // bytes of an unfinished line at the buffer's start
        int64_t done = 0;
        bool skipping = false; // inside a line longer than any buffer allowed
        while (true) {
            if (kept == buffer.size()) {
                if (buffer.size() < settings_.maxLineBytes) {
                    buffer.resize(buffer.size() * 2);
                } else {
                    Log("ERROR : line " + std::to_string(lineNumber_ + 1) + " is too long");
                    ++lineNumber_;
                    kept = 0;
                    skipping = true;
                }
            }
            const size_t got = std::fread(buffer.data() + kept, 1, buffer.size() - kept, file.get());
            if (got == 0 && std::ferror(file.get()))
                throw ReadFailure{
                    Failure(FailureCode::ImportReadFailed, Failure::System(errno), {{"file", path}})};
            const bool atEnd = got == 0;
            done += int64_t(got);
            size_t size = kept + got;
            const char* start = buffer.data();
            if (skipping) {
                const void* newline = std::memchr(start, '\n', size);
                if (!newline && !atEnd) {
                    kept = 0;
                    continue;
                }
                const size_t skip = newline ? size_t(static_cast<const char*>(newline) - start) + 1 : size;
                start += skip;
                size -= skip;
                skipping = false;
            }
            const size_t left =
                splitLines(start, size, atEnd, [&](std::string_view line) { ProcessLine(line); });
            if (left > 0 && start + size - left != buffer.data())
                std::memmove(buffer.data(), start + size - left, left);
            kept = left;
            if (onProgress) onProgress(done, total);
            if (atEnd) break;
            // A stop is also heard between pieces, so that nothing is read after a reported step.
            if (stop && stop->load(std::memory_order_relaxed)) throw StopRequested{};
        }
    });
}

} // namespace mp_import
