// An independent check of the outline clipping: Sutherland-Hodgman against a rectangle and the perimeter
// that bounds the rounding of an encoded outline, written apart from the converter's Clipper path.
#pragma once

#include <cmath>
#include <utility>
#include <vector>

namespace convtest {

using Poly = std::vector<std::pair<double, double>>;

inline double perimeter(const Poly& p) {
    double s = 0;
    for (size_t i = 0; i < p.size(); ++i)
        s += std::hypot(p[(i + 1) % p.size()].first - p[i].first, p[(i + 1) % p.size()].second - p[i].second);
    return s;
}

// Sutherland-Hodgman against an axis-parallel rectangle. Clipping by half-planes keeps the winding number
// of every point inside, so the signed area of the result is the bridged outline's area inside (holes
// included) even though the result may run along the rectangle's edges twice.
inline Poly clip(Poly poly, double x0, double y0, double x1, double y1) {
    auto edge = [&](auto inside, auto cross) {
        Poly out;
        for (size_t i = 0; i < poly.size(); ++i) {
            const auto a = poly[i], b = poly[(i + 1) % poly.size()];
            if (inside(b)) {
                if (!inside(a)) out.push_back(cross(a, b));
                out.push_back(b);
            } else if (inside(a))
                out.push_back(cross(a, b));
        }
        poly = out;
    };
    auto atX = [](double x) {
        return [x](auto a, auto b) {
            return std::pair{x, a.second + (b.second - a.second) * (x - a.first) / (b.first - a.first)};
        };
    };
    auto atY = [](double y) {
        return [y](auto a, auto b) {
            return std::pair{a.first + (b.first - a.first) * (y - a.second) / (b.second - a.second), y};
        };
    };
    edge([&](auto p) { return p.first >= x0; }, atX(x0));
    edge([&](auto p) { return p.first <= x1; }, atX(x1));
    edge([&](auto p) { return p.second >= y0; }, atY(y0));
    edge([&](auto p) { return p.second <= y1; }, atY(y1));
    return poly;
}

} // namespace convtest
