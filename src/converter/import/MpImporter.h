// The import of building outlines, city areas and house numbers from Polish-format text maps (*.mp)
// into compiled building data: the file is streamed through a large buffer with its lines split in
// place, each [POLYGON] and [POI] section read by a small state machine, and one record appended per
// outline or kept house number. A bad line costs that line or its section, never the file.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "converter/import/BuildingData.h"
#include "converter/import/HouseNumberThinning.h"
#include "kiwi/core/Failure.h"

namespace mp_import {

// One change to the import's log as the window shows it.
struct MemoEvent {
    enum class Kind { Append, ReplaceLast, DropLast, Clear };
    Kind kind = Kind::Append;
    std::string text; // Append, ReplaceLast
    int count = 0;    // DropLast
    bool operator==(const MemoEvent&) const = default;
};

struct ImportCounters {
    int cities = 0;
    int buildings = 0;
    int numbers = 0;
    int records = 0;
};

struct ImportSettings {
    // The city-area choice: 0 takes only Type=0x01 as city areas, 1 also 0x02, 2 also 0x03.
    int cityAreaLevel = 0;
    // The buffer never grows past this (its offsets must fit Int32 for the run's lists).
    size_t sizeLimit = size_t(INT32_MAX);
    size_t readBufferSize = size_t(4) << 20;
    // A longer line is skipped with an error line rather than held whole.
    size_t maxLineBytes = size_t(256) << 20;
};

inline constexpr size_t kMaxRings = 64;
inline constexpr size_t kMaxOutlinePoints = UINT16_MAX;

// "Недостаточно памяти, чтобы добавить этот файл !" and the file name on the next line.
std::string OutOfMemoryMessage(const std::string& fileName);
// The file name without its folder.
std::string BaseName(const std::string& path);

class MpImporter {
public:
    enum class Outcome { Done, Stopped, Failed };
    struct FileResult {
        Outcome outcome = Outcome::Done;
        ImportCounters counters;
        Failure message; // why a file failed
    };

    MpImporter(std::vector<uint8_t>& data, ImportSettings settings);

    std::function<void(const MemoEvent&)> onMemo;
    std::function<void(int64_t done, int64_t total)> onProgress; // bytes of the current file
    const std::atomic<bool>* stop = nullptr;                     // tested every few thousand lines

    // Imports one file into the buffer. fresh: no building data is loaded yet, so the buffer starts
    // over with an empty box (and the log is cleared), else an empty line parts the file's log lines
    // from those before. On a stop or a failure the buffer is back as it was before the file and
    // the file's log lines are taken back.
    FileResult ImportFile(const std::string& path, bool fresh);
    // The same for text already in memory (name is what the log shows).
    FileResult ImportText(std::string_view text, const std::string& name, bool fresh);

private:
    enum class Section { None, Polygon, Poi, ImgId, Other };
    FileResult Run(const std::string& name, bool fresh, const std::function<void()>& feed);
    void BeginFile(const std::string& name, bool fresh);
    FileResult EndFile(const FileResult& failure);
    void ProcessLine(std::string_view line);
    void StartSection(std::string_view header);
    void EndSection();
    void ReadKey(std::string_view key, std::string_view value, std::string_view line);
    void ReadType(std::string_view value, std::string_view line);
    void ReadData(int level, std::string_view value, std::string_view line);
    void FinishPolygon();
    void FinishPoi();
    void Append(uint8_t kind, std::span<const building_data::Point> points, std::span<const uint8_t> label);
    void Log(std::string text);
    void Emit(MemoEvent event);

    std::vector<uint8_t>& data_;
    ImportSettings settings_;
    HouseNumberThinning thinning_;

    // The file in progress.
    std::vector<uint8_t> before_; // the buffer's state before the file: its box, or all of it when fresh
    size_t sizeBefore_ = 0;
    bool freshBefore_ = false;
    building_data::Box box_;
    ImportCounters counters_;
    int linesLogged_ = 0;
    bool utf8Labels_ = false;
    int64_t lineNumber_ = 0;

    // The section in progress.
    Section section_ = Section::None;
    int64_t sectionLine_ = 0;
    uint8_t kind_ = 0;     // decided kind; 0 while undecided
    bool refused_ = false; // a line made the whole section unusable
    bool tooLarge_ = false;
    int level_ = INT32_MAX; // the lowest Data<n> level seen
    std::vector<std::vector<building_data::Point>> rings_;
    size_t ringCount_ = 0;
    std::vector<building_data::Point> pairs_;
    std::vector<building_data::Point> scratch_;
    std::string label_;
    bool hasLabel_ = false;
};

} // namespace mp_import
