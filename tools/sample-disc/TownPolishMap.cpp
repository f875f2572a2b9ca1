// The sample town as a Polish-format map of buildings, its city area and house numbers.
#include "TownPolishMap.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "DiscOutput.h"

#include "support/fixtures/TownGeometry.h"

namespace {

using fixture::town::Point;

// A coordinate in 1/8 arc-second as degrees with seven decimals (28800 units a degree).
std::string degrees(int32_t units) {
    const int64_t tenMillionths = (int64_t(units) * 3125 * 2 + 9) / 18;
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%07lld", static_cast<long long>(tenMillionths / 10000000),
                  static_cast<long long>(tenMillionths % 10000000));
    return text;
}

std::string pair(Point p) {
    return "(" + degrees(fixture::town::townLatitude(p.y)) + "," +
           degrees(fixture::town::townLongitude(p.x)) + ")";
}

std::string ring(const std::vector<Point>& points) {
    std::string line = "Data0=";
    for (size_t i = 0; i < points.size(); ++i)
        line += (i ? "," : "") + pair(points[i]);
    return line + "\r\n";
}

struct Building {
    const std::vector<Point>* outline;
    Point inside;
    bool cornerCut;
};

} // namespace

std::string buildTownPolishMap() {
    using namespace fixture::town;
    std::string text = "; The sample disc's town: its buildings, city area and house numbers.\r\n"
                       "[IMG ID]\r\nID=20260001\r\nName=Zarechye\r\nCodePage=1251\r\n[END-IMG ID]\r\n\r\n";
    text += "[POLYGON]\r\nType=0x01\r\nLabel=Zarechye\r\n" +
            ring({{0, 0}, {kTownUnits, 0}, {kTownUnits, kTownUnits}, {0, kTownUnits}}) + "[END]\r\n\r\n";
    // Buildings by the street south of them (a grid row and a side of it), west to east: each row's
    // houses are numbered from 1, a house with a corner cut out gets the letter "А".
    std::map<std::pair<int, int>, std::vector<Building>> rows;
    for (const Figure& figure : townMap().figures) {
        if (figure.buildingId == 0 || figure.points.size() < 3) continue;
        const std::vector<Point>& p = figure.points;
        text += "[POLYGON]\r\nType=0x13\r\n" + ring(p) + "[END]\r\n\r\n";
        // Halfway between the first corner and the third lies inside a rectangle and inside the full part
        // of a house with a corner cut out.
        const Point inside{(p[0].x + p[2].x) / 2, (p[0].y + p[2].y) / 2};
        const int row = (inside.y - gridLine(0)) / 1024;
        const int side = inside.y - gridLine(row) > 512 ? 1 : 0;
        rows[{row, side}].push_back({&p, inside, p.size() > 4});
    }
    for (auto& [row, buildings] : rows) {
        std::sort(buildings.begin(), buildings.end(),
                  [](const Building& a, const Building& b) { return a.inside.x < b.inside.x; });
        int number = 1;
        for (const Building& b : buildings) {
            text += "[POI]\r\nType=0x3300\r\nLabel=" + std::to_string(number++) +
                    (b.cornerCut ? "\xC0" : "") + "\r\n" + ring({b.inside}) + "[END]\r\n\r\n";
        }
    }
    return text;
}

QString townPolishMapPath(const QString& imagePath) {
    const QFileInfo image(imagePath);
    return image.dir().filePath(image.completeBaseName() + "-town.mp");
}

bool writeTownPolishMap(const QString& path, QString& error) {
    const std::string text = buildTownPolishMap();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        error = "cannot create " + QFileInfo(path).absolutePath();
        return false;
    }
    return writeWholeFile(path, text.data(), text.size(), error);
}
