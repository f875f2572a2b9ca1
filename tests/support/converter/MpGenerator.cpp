// Generated Polish-format maps with their expected compiled bytes.
#include "support/converter/MpGenerator.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <stdexcept>

namespace mpgen {
namespace {

constexpr int64_t kStepsPerDegree = 3200;
constexpr int32_t kUnitsPerStep = 144; // 460800 / 3200
constexpr int64_t kSlotSteps = 16;     // objects sit in slots far enough apart not to interact

struct GridPoint {
    int64_t x = 0; // longitude steps
    int64_t y = 0; // latitude steps
    bool operator==(const GridPoint&) const = default;
};

void putU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void putI32(std::vector<uint8_t>& out, int32_t v) {
    const auto u = uint32_t(v);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(u >> shift));
}
void overwriteI32(std::vector<uint8_t>& out, size_t at, int32_t v) {
    const auto u = uint32_t(v);
    for (int i = 0; i < 4; ++i)
        out[at + size_t(i)] = uint8_t(u >> (8 * i));
}

class Writer {
public:
    Writer(const Plan& plan, const std::function<void(const std::string&)>& sink) : plan_(plan), sink_(sink) {
        if (plan.buildExpected) {
            putI32(expected_.data, INT32_MAX);
            putI32(expected_.data, INT32_MIN);
            putI32(expected_.data, INT32_MIN);
            putI32(expected_.data, INT32_MAX);
        }
    }

    void Line(const std::string& text) {
        buffer_ += text;
        buffer_ += plan_.crlf ? "\r\n" : "\n";
        written_ += text.size() + (plan_.crlf ? 2 : 1);
        if (buffer_.size() > (1u << 20)) Flush();
    }
    void Flush() {
        if (!buffer_.empty()) sink_(buffer_);
        buffer_.clear();
    }
    size_t Written() const { return written_; }

    void Widen(GridPoint p) {
        if (!plan_.buildExpected) return;
        west_ = std::min(west_, Units(p.x));
        east_ = std::max(east_, Units(p.x));
        south_ = std::min(south_, Units(p.y));
        north_ = std::max(north_, Units(p.y));
    }
    void Record(uint8_t kind, const std::vector<GridPoint>& points, const std::string& label = {}) {
        ++expected_.records;
        if (!plan_.buildExpected) return;
        std::vector<uint8_t>& out = expected_.data;
        putU16(out, uint16_t(points.size()));
        out.push_back(kind);
        out.push_back(uint8_t(label.size()));
        for (const GridPoint& p : points) {
            putI32(out, Units(p.x));
            putI32(out, Units(p.y));
        }
        if (!label.empty()) {
            out.insert(out.end(), label.begin(), label.end());
            out.resize(out.size() + (label.size() / 4 + 1) * 4 - label.size(), 0);
        }
    }
    Expected Finish() {
        Flush();
        if (plan_.buildExpected && west_ <= east_) {
            overwriteI32(expected_.data, 0, west_);
            overwriteI32(expected_.data, 4, north_);
            overwriteI32(expected_.data, 8, east_);
            overwriteI32(expected_.data, 12, south_);
        }
        return std::move(expected_);
    }
    Expected& Counts() { return expected_; }

private:
    static int32_t Units(int64_t steps) { return int32_t(steps * kUnitsPerStep); }
    const Plan& plan_;
    const std::function<void(const std::string&)>& sink_;
    std::string buffer_;
    size_t written_ = 0;
    Expected expected_;
    int32_t west_ = INT32_MAX, north_ = INT32_MIN, east_ = INT32_MIN, south_ = INT32_MAX;
};

std::string pairs(const std::vector<GridPoint>& points) {
    std::string text;
    for (const GridPoint& p : points) {
        if (!text.empty()) text += ',';
        text += '(' + GridText(p.y) + ',' + GridText(p.x) + ')';
    }
    return text;
}

std::vector<GridPoint> rectangle(GridPoint corner, int64_t w, int64_t h) {
    return {corner, {corner.x + w, corner.y}, {corner.x + w, corner.y + h}, {corner.x, corner.y + h}};
}

} // namespace

std::string GridText(int64_t steps) {
    const bool negative = steps < 0;
    const int64_t a = negative ? -steps : steps;
    char text[40];
    std::snprintf(text, sizeof text, "%s%lld.%07lld", negative ? "-" : "",
                  static_cast<long long>(a / kStepsPerDegree),
                  static_cast<long long>(a % kStepsPerDegree * 3125));
    return text;
}

Expected Generate(const Plan& plan, const std::function<void(const std::string&)>& sink) {
    std::mt19937 random(plan.seed);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    Writer out(plan, sink);
    out.Line("; generated map");
    out.Line("[IMG ID]");
    out.Line(plan.utf8 ? "CodePage=65001" : "CodePage=1251");
    out.Line("Name=Generated");
    out.Line("[END-IMG ID]");
    out.Line("");
    const GridPoint origin{plan.originX, plan.originY};
    const size_t perRow = std::max<size_t>(plan.slotsPerRow, 1);
    size_t slot = 0;
    const auto nextCorner = [&] {
        const size_t i = slot++;
        return GridPoint{origin.x + int64_t(i % perRow) * kSlotSteps,
                         origin.y + int64_t(i / perRow) * kSlotSteps};
    };
    const std::string letterA = plan.utf8 ? "\xD0\x90" : "\xC0"; // "А" in the file's page
    const auto label = [&](int number, bool letter) {
        return std::to_string(number) + (letter ? letterA : "");
    };
    const auto labelBytes = [&](const std::string& fileLabel) { // the label as the buffer holds it
        std::string ansi = fileLabel;
        if (plan.utf8) {
            for (size_t at; (at = ansi.find("\xD0\x90")) != std::string::npos;)
                ansi.replace(at, 2, "\xC0");
        }
        return ansi;
    };
    const auto poi = [&](GridPoint p, const std::string& text, const char* type = "0x3300") {
        out.Line("[POI]");
        out.Line(std::string("Type=") + type);
        if (!text.empty() || pick(0, 1) == 0) out.Line("Label=" + text);
        out.Line("Data0=" + pairs({p}));
        out.Line("[END]");
        out.Widen(p);
    };

    for (size_t n = 0; plan.targetBytes > 0 ? out.Written() < plan.targetBytes : n < plan.objects; ++n) {
        const GridPoint c = nextCorner();
        const int choice = pick(0, plan.malformed ? 13 : 9);
        if (choice <= 3) { // a building with 0, 1 or 2 holes, sometimes a coarser level beside it
            const int64_t w = pick(10, 15);
            const int64_t h = pick(10, 15);
            std::vector<GridPoint> outer = rectangle(c, w, h);
            const int holes = pick(0, 2);
            const std::vector<GridPoint> hole1 = rectangle({c.x + 1, c.y + 1}, 2, 2);
            const std::vector<GridPoint> hole2 = rectangle({c.x + w - 3, c.y + h - 3}, 2, 2);
            const char* types[] = {"0x13", "0x6C", "0x6d", "0x6F"};
            const bool typeLast = pick(0, 1) == 0;
            out.Line("[POLYGON]");
            if (!typeLast) out.Line(std::string("Type=") + types[pick(0, 3)]);
            out.Line("Label=Building");
            std::vector<GridPoint> written = outer;
            if (pick(0, 1) == 0) written.push_back(outer[0]); // a closing point
            if (pick(0, 3) == 0) out.Line("Data1=" + pairs(outer));
            out.Line("Data0=" + pairs(written));
            if (holes >= 1) out.Line("Data0=" + pairs(hole1));
            if (holes >= 2) out.Line("Data0=" + pairs(hole2));
            if (typeLast) out.Line(std::string("Type=") + types[pick(0, 3)]);
            out.Line("[END]");
            for (const GridPoint& p : outer)
                out.Widen(p);
            // The hole joins at the nearest corners: outer 0 with hole 0, then outer 2 with hole 2.
            std::vector<GridPoint> merged = outer;
            if (holes >= 1)
                merged = {outer[0], hole1[0], hole1[1], hole1[2], hole1[3],
                          hole1[0], outer[0], outer[1], outer[2], outer[3]};
            if (holes >= 2)
                merged = {outer[0], hole1[0], hole1[1], hole1[2], hole1[3], hole1[0], outer[0], outer[1],
                          outer[2], hole2[2], hole2[3], hole2[0], hole2[1], hole2[2], outer[2], outer[3]};
            ++out.Counts().buildings;
            out.Record(0x13, merged);
        } else if (choice == 4) { // a city area of type 1, 2 or 3
            const int type = pick(1, 3);
            const std::vector<GridPoint> area = rectangle(c, 12, 12);
            out.Line("[POLYGON]");
            out.Line("Type=0x0" + std::to_string(type));
            out.Line("Data0=" + pairs(area));
            out.Line("[END]");
            if (type == 1 || (type == 2 && plan.cityAreaLevel >= 1) ||
                (type == 3 && plan.cityAreaLevel >= 2)) {
                for (const GridPoint& p : area)
                    out.Widen(p);
                ++out.Counts().cities;
                out.Record(0x01, area);
            }
        } else if (choice == 5) { // a lone number
            const std::string text = label(pick(1, 99999), pick(0, 1) == 0);
            poi(c, text);
            ++out.Counts().numbers;
            out.Record(0x33, {c}, labelBytes(text));
        } else if (choice == 6) { // a number 144 units from a kept one, then one on top of the first
            const std::string first = label(pick(1, 999), false);
            const std::string second = label(pick(1, 999), true);
            poi(c, first);
            poi({c.x + 1, c.y}, second);
            poi(c, label(pick(1, 999), false));
            out.Counts().numbers += 2;
            out.Record(0x33, {c}, labelBytes(first));
            out.Record(0x34, {{c.x + 1, c.y}}, labelBytes(second));
        } else if (choice == 7) { // a label too long to keep, then a number on the same spot
            poi(c, plan.utf8 ? "1234567" : "12345" + letterA + "7");
            const std::string text = label(pick(1, 99), true);
            poi(c, text);
            ++out.Counts().numbers;
            out.Record(0x33, {c}, labelBytes(text));
        } else if (choice == 8) { // a number without a label still keeps the next one at 0x34
            poi(c, "");
            const std::string text = label(pick(1, 99), false);
            poi({c.x, c.y + 1}, text);
            ++out.Counts().numbers;
            out.Record(0x34, {{c.x, c.y + 1}}, labelBytes(text));
        } else if (choice == 9) { // other sections and a POI of another type are passed over
            out.Line("[POLYLINE]");
            out.Line("Type=0x1");
            out.Line("Data0=" + pairs(rectangle(c, 3, 3)));
            out.Line("[END]");
            out.Line("[POI]");
            out.Line("Type=0x2800");
            out.Line("HouseNumber=5");
            out.Line("Data0=" + pairs({c}));
            out.Line("[END]");
        } else if (choice == 10) { // a type that is no hexadecimal number: the section goes
            out.Line("[POLYGON]");
            out.Line("Type=0xZZ");
            out.Line("Data0=" + pairs(rectangle(c, 10, 10)));
            out.Line("[END]");
            ++out.Counts().errorLines;
        } else if (choice == 11) { // unreadable rings: counted, nothing written, box untouched
            const char* bad[] = {"Data0=(55.1,abc)", "Data0=", "Data0=(55.1 37.2)", "Data0=(99999.5,37.2)",
                                 "Data0=(55.1,37.2),(55.2,37.3"};
            out.Line("[POLYGON]");
            out.Line("Type=0x13");
            out.Line(bad[pick(0, 4)]);
            out.Line("[END]");
            ++out.Counts().errorLines;
            ++out.Counts().buildings;
        } else if (choice == 12) { // a missing [END]: the building still counts, the next section too
            const std::vector<GridPoint> b = rectangle(c, 10, 10);
            out.Line("[POLYGON]");
            out.Line("Type=0x13");
            out.Line("Data0=" + pairs(b));
            for (const GridPoint& p : b)
                out.Widen(p);
            ++out.Counts().buildings;
            out.Record(0x13, b);
            ++out.Counts().errorLines;
            const std::string text = label(pick(1, 99), false);
            poi({c.x + 5, c.y + 5}, text);
            ++out.Counts().numbers;
            out.Record(0x33, {{c.x + 5, c.y + 5}}, labelBytes(text));
        } else { // junk lines between sections, and a finer level key with two digits
            out.Line("garbage \x01\x02 (((");
            out.Line("=");
            const std::vector<GridPoint> b = rectangle(c, 11, 11);
            out.Line("[POLYGON]");
            out.Line("type=0x13");
            out.Line("Data10=" + pairs(rectangle(c, 3, 3)));
            out.Line("Data2=" + pairs(b));
            out.Line("[END]");
            for (const GridPoint& p : b)
                out.Widen(p);
            ++out.Counts().buildings;
            out.Record(0x13, b);
        }
    }
    return out.Finish();
}

Expected GenerateText(const Plan& plan, std::string& text) {
    text.clear();
    return Generate(plan, [&](const std::string& piece) { text += piece; });
}

Expected GenerateFile(const Plan& plan, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot create " + path);
    Expected expected =
        Generate(plan, [&](const std::string& piece) { std::fwrite(piece.data(), 1, piece.size(), file); });
    std::fclose(file);
    return expected;
}

} // namespace mpgen
