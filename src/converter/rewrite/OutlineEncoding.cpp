// Outline, position and name record encodings.
#include "converter/rewrite/OutlineEncoding.h"

#include <cstdlib>

#include "converter/output/OutputEncoding.h"
#include "platform/MulDiv.h"

namespace rewrite {

uint16_t EncodePosition(int32_t p) {
    return uint16_t((uint32_t(p) & 0xFFFu) | ((uint32_t(p) & 0x7000u) << 1));
}

int32_t ParcelPosition(int64_t coordinate, int64_t reference, int64_t extent, int32_t scale) {
    if (extent <= 0 || extent > INT32_MAX) return 0;
    const int64_t delta = coordinate - reference;
    if (delta < INT32_MIN || delta > INT32_MAX) return 0;
    return MulDiv(int32_t(delta), scale, int32_t(extent));
}

Step StepToward(Step a, Step b) {
    const int32_t sx = a.x > b.x ? -127 : 127;
    const int32_t sy = a.y > b.y ? -127 : 127;
    int64_t x = b.y != a.y ? a.x + (int64_t(b.x - a.x) * sy) / (b.y - a.y) : int64_t(a.x) + sx;
    if (std::llabs(x - a.x) > 127) x = int64_t(a.x) + sx;
    int64_t y = b.x != a.x ? a.y + (int64_t(b.y - a.y) * sx) / (b.x - a.x) : int64_t(a.y) + sy;
    if (std::llabs(y - a.y) > 127) y = int64_t(a.y) + sy;
    return {int32_t(x), int32_t(y)};
}

EncodedOutline EncodeOutline(const ParcelRect& rect, const std::vector<building_data::Point>& path,
                             int shift) {
    EncodedOutline out;
    if (path.empty()) return out;
    const int64_t w = rect.ExtentX(), h = rect.ExtentY();
    const int32_t px = ParcelPosition(path[0].x, rect.x0, w);
    const int32_t py = ParcelPosition(path[0].y, rect.y0, h);
    out.startX = EncodePosition(px);
    out.startY = EncodePosition(py);
    Step c{px >> shift, py >> shift};
    auto emit = [&](Step to) {
        out.steps.push_back(int8_t(to.x - c.x));
        out.steps.push_back(int8_t(to.y - c.y));
        c = to;
    };
    const int32_t scale = 4096 >> shift;
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] == path[i - 1]) continue;
        const Step q{ParcelPosition(path[i].x, rect.x0, w, scale),
                     ParcelPosition(path[i].y, rect.y0, h, scale)};
        if (q.x == c.x && q.y == c.y) continue;
        if (std::abs(q.x - c.x) < 128 && std::abs(q.y - c.y) < 128) {
            emit(q);
            continue;
        }
        while (!(std::abs(q.x - c.x) <= 127 && std::abs(q.y - c.y) < 128))
            emit(StepToward(c, q));
        emit(q);
    }
    return out;
}

namespace {

std::vector<uint8_t> outlineRecord(const EncodedOutline& outline, uint16_t word2, uint16_t word4,
                                   uint16_t word6) {
    const size_t n = outline.StepCount();
    std::vector<uint8_t> bytes;
    bytes.reserve(12 + 2 * n);
    AppendWord(bytes, uint16_t(((2 * n + 12) / 2) & 0xFFF));
    AppendWord(bytes, word2);
    AppendWord(bytes, word4);
    AppendWord(bytes, word6);
    AppendWord(bytes, outline.startX);
    AppendWord(bytes, outline.startY);
    for (int8_t s : outline.steps)
        bytes.push_back(uint8_t(s));
    return bytes;
}

} // namespace

std::vector<uint8_t> BuildingRecord(const EncodedOutline& outline, uint16_t typeCode, bool extraLevel,
                                    bool detailed) {
    uint16_t word2 = uint16_t((outline.StepCount() & 0x1FFF) | (extraLevel ? 0xD000 : 0xC000));
    if (!detailed) word2 = uint16_t(word2 & ~0x4000);
    return outlineRecord(outline, word2, typeCode, 0);
}

std::vector<uint8_t> CityAreaRecord(const EncodedOutline& outline) {
    return outlineRecord(outline, uint16_t(outline.StepCount() & 0x1FFF), 0x0101, 7);
}

std::vector<uint8_t> HouseNumberRecord(const ParcelRect& rect, building_data::Point at, uint16_t typeCode,
                                       const std::string& label, int codePage) {
    const std::string text = ConvertToCodePage(label, codePage);
    std::vector<uint8_t> bytes;
    // The string field is a character string: its size word, then the text's own length word and the text,
    // as every name record holds it (without the inner word the readers take the text for its length).
    AppendWord(bytes, uint16_t((text.size() + 16) / 2));
    AppendWord(bytes, 0x8120);
    AppendWord(bytes, typeCode);
    AppendWord(bytes, 0);
    AppendWord(bytes, EncodePosition(ParcelPosition(at.x, rect.x0, rect.ExtentX())));
    AppendWord(bytes, EncodePosition(ParcelPosition(at.y, rect.y0, rect.ExtentY())));
    AppendWord(bytes, uint16_t((text.size() + 2) / 2));
    AppendWord(bytes, uint16_t(text.size() / 2));
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
}

std::vector<uint8_t> ArrowNameRecord(const ParcelRect& rect, building_data::Point at, uint16_t angle) {
    std::vector<uint8_t> bytes;
    AppendWord(bytes, 8);
    AppendWord(bytes, 0x8520);
    AppendWord(bytes, 498);
    AppendWord(bytes, 0);
    AppendWord(bytes, EncodePosition(ParcelPosition(at.x, rect.x0, rect.ExtentX())));
    AppendWord(bytes, EncodePosition(ParcelPosition(at.y, rect.y0, rect.ExtentY())));
    AppendWord(bytes, uint16_t((angle & 0x1FF) | 0x1600));
    AppendWord(bytes, 0);
    return bytes;
}

} // namespace rewrite
