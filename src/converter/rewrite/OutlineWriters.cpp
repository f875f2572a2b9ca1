// Clipping and writing of imported records into one parcel.
#include "converter/rewrite/OutlineWriters.h"

#include <polyclipping/clipper.hpp>

namespace rewrite {

using namespace building_data;

namespace {

ClipperLib::Path makePath(const std::vector<Point>& points, bool close) {
    ClipperLib::Path path;
    path.reserve(points.size() + 1);
    for (const Point& p : points)
        path.emplace_back(p.x, p.y);
    if (close && !path.empty() && !(path.back() == path.front())) path.push_back(path.front());
    return path;
}

ClipperLib::Path rectanglePath(const ParcelRect& r) {
    return {{r.x0, r.y0}, {r.x1, r.y0}, {r.x1, r.y1}, {r.x0, r.y1}, {r.x0, r.y0}};
}

std::vector<Point> toPoints(const ClipperLib::Path& path) {
    std::vector<Point> points;
    points.reserve(path.size() + 1);
    for (const ClipperLib::IntPoint& p : path)
        points.push_back({int32_t(p.X), int32_t(p.Y)});
    if (!points.empty() && !(points.back() == points.front())) points.push_back(points.front());
    return points;
}

// A closed outline wholly inside: one path, counter-clockwise.
std::vector<Point> wholePath(const std::vector<Point>& outline) {
    ClipperLib::Path path = makePath(outline, true);
    if (!ClipperLib::Orientation(path)) ClipperLib::ReversePath(path);
    return toPoints(path);
}

bool tooBig(const WrittenRecords& out, size_t recordSize, int64_t budget, int64_t limit) {
    return int64_t(out.bytes.size() + recordSize) + budget > limit;
}

} // namespace

Box RectBox(const ParcelRect& rect) {
    return {int32_t(rect.x0), int32_t(rect.y1), int32_t(rect.x1), int32_t(rect.y0)};
}

std::vector<std::vector<Point>> ClipToRectangle(const std::vector<Point>& outline, const ParcelRect& rect,
                                                bool& holesLeftOut) {
    ClipperLib::Clipper clipper;
    clipper.AddPath(makePath(outline, true), ClipperLib::ptSubject, true);
    clipper.AddPath(rectanglePath(rect), ClipperLib::ptClip, true);
    ClipperLib::Paths solution;
    clipper.Execute(ClipperLib::ctIntersection, solution, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
    std::vector<std::vector<Point>> paths;
    for (const ClipperLib::Path& path : solution) {
        if (path.size() < 3) continue;
        if (!ClipperLib::Orientation(path)) {
            holesLeftOut = true;
            continue;
        }
        paths.push_back(toPoints(path));
    }
    return paths;
}

WrittenRecords WriteBuildings(ImportedOutlines& outlines, size_t& index, const ParcelRect& rect,
                              int64_t budget, const BuildingSettings& settings) {
    WrittenRecords out;
    const Box parcel = RectBox(rect);
    const std::vector<uint32_t>& selected = outlines.Selected();
    for (; index < selected.size() && out.count < kBatchRecords; ++index) {
        const uint32_t i = selected[index];
        if (outlines.Kind(i) != kBuilding) continue;
        const Box& box = outlines.BoxOf(i);
        // The parcel's far edges belong to the neighbour.
        if (box.west >= parcel.east || parcel.west > box.east || box.north < parcel.south ||
            parcel.north <= box.south)
            continue;
        const bool detailed = int64_t(box.east) - box.west >= settings.filters.detailed &&
                              int64_t(box.north) - box.south >= settings.filters.detailed;
        const bool inside = BoxWithin(box, parcel);
        std::vector<std::vector<Point>> paths;
        if (inside)
            paths.push_back(wholePath(outlines.Points(i)));
        else
            paths = ClipToRectangle(outlines.Points(i), rect, out.holesLeftOut);
        // A batch never splits a building: the next batch starts with it.
        if (out.count + paths.size() > kBatchRecords) break;
        bool dropped = false;
        for (const std::vector<Point>& path : paths) {
            const EncodedOutline encoded = EncodeOutline(rect, path, 0);
            if (encoded.StepCount() < 2) continue;
            if (encoded.StepCount() > kMaxOutlineSteps) {
                out.tooMany = true;
                continue;
            }
            std::vector<uint8_t> record =
                BuildingRecord(encoded, settings.typeCode, settings.extraLevel, detailed);
            if (tooBig(out, record.size(), budget, kBuildingLimit)) {
                out.tooMany = true;
                dropped = true;
                break;
            }
            out.bytes.insert(out.bytes.end(), record.begin(), record.end());
            ++out.count;
        }
        // A building that did not fit is dropped for the rest of the run, as one wholly inside is used up.
        if (inside || dropped) outlines.Consume(i);
    }
    if (out.count == kBatchRecords) out.tooMany = true;
    return out;
}

bool CityAreaMeets(const ImportedOutlines& outlines, const ParcelRect& rect) {
    const Box parcel = RectBox(rect);
    for (uint32_t i : outlines.BlockCityAreas()) {
        const Box& box = outlines.BoxOf(i);
        if (!(box.west >= parcel.east || parcel.west > box.east || box.north < parcel.south ||
              parcel.north <= box.south))
            return true;
    }
    return false;
}

WrittenRecords WriteCityAreas(const ImportedOutlines& outlines, const ParcelRect& rect, int64_t base) {
    WrittenRecords out;
    const Box parcel = RectBox(rect);
    for (uint32_t i : outlines.BlockCityAreas()) {
        if (out.count >= kBatchRecords) break;
        const Box& box = outlines.BoxOf(i);
        if (box.west >= parcel.east || parcel.west > box.east || box.north < parcel.south ||
            parcel.north <= box.south)
            continue;
        std::vector<std::vector<Point>> paths;
        if (BoxWithin(box, parcel))
            paths.push_back(wholePath(outlines.Points(i)));
        else
            paths = ClipToRectangle(outlines.Points(i), rect, out.holesLeftOut);
        for (const std::vector<Point>& path : paths) {
            const EncodedOutline encoded = EncodeOutline(rect, path, 7);
            if (encoded.StepCount() < 2) continue;
            if (encoded.StepCount() > kMaxOutlineSteps) {
                out.tooMany = true;
                continue;
            }
            const std::vector<uint8_t> record = CityAreaRecord(encoded);
            if (tooBig(out, record.size(), base, kCityAreaLimit) || out.count >= kBatchRecords) {
                out.tooMany = true;
                continue;
            }
            out.bytes.insert(out.bytes.end(), record.begin(), record.end());
            ++out.count;
        }
    }
    return out;
}

namespace {

bool pointInside(Point p, const ParcelRect& rect) {
    return rect.x0 <= p.x && p.x < rect.x1 && rect.y0 <= p.y && p.y < rect.y1;
}

} // namespace

WrittenRecords WriteHouseNumbers(ImportedOutlines& outlines, const ParcelRect& rect, int64_t budget,
                                 bool consume, const NumberSettings& settings) {
    WrittenRecords out;
    for (uint32_t i : outlines.Selected()) {
        if (out.count >= kBatchRecords) {
            out.tooMany = true;
            break;
        }
        const uint8_t kind = outlines.Kind(i);
        if (kind != kHouseNumber && (consume || kind != kHouseNumberNear)) continue;
        const RecordView view = outlines.View(i);
        if (view.count == 0 || view.labelLength == 0) continue;
        const Point at = view.PointAt(view.count - 1);
        if (!pointInside(at, rect)) continue;
        const std::span<const uint8_t> label = view.Label();
        bool digits = true;
        for (uint8_t c : label)
            digits = digits && c >= '0' && c <= '9';
        if (!digits && !settings.lettersAllowed) continue;
        const std::vector<uint8_t> record = HouseNumberRecord(
            rect, at, settings.typeCode, std::string(label.begin(), label.end()), settings.codePage);
        if (tooBig(out, record.size(), budget, kNameLimit)) {
            out.tooMany = true;
            break;
        }
        out.bytes.insert(out.bytes.end(), record.begin(), record.end());
        ++out.count;
        if (consume) outlines.Consume(i);
    }
    return out;
}

WrittenRecords WriteArrowNames(ImportedOutlines& outlines, const ParcelRect& rect, int64_t base) {
    WrittenRecords out;
    for (uint32_t i : outlines.Selected()) {
        if (out.count >= kBatchRecords) {
            out.tooMany = true;
            break;
        }
        if (outlines.Kind(i) != kOneWayArrow) continue;
        const RecordView view = outlines.View(i);
        if (view.count == 0 || view.labelLength != 2) continue;
        const Point at = view.PointAt(0);
        if (!pointInside(at, rect)) continue;
        const std::span<const uint8_t> label = view.Label();
        const uint16_t angle = uint16_t(label[0] | (label[1] << 8));
        if (tooBig(out, 16, base, kArrowLimit)) {
            out.tooMany = true;
            break;
        }
        const std::vector<uint8_t> record = ArrowNameRecord(rect, at, angle);
        out.bytes.insert(out.bytes.end(), record.begin(), record.end());
        ++out.count;
        outlines.Consume(i);
    }
    return out;
}

} // namespace rewrite
