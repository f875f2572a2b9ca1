// The sample town's Polish-format map, read here line by line as the format's text says: every building
// of the town is one outline inside the town, each with one house number inside it, the town a city area;
// and the first run puts the map beside the installed image.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <sstream>

#include "sample-disc/SampleInstall.h"
#include "sample-disc/TownPolishMap.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "support/fixtures/ScopedEnvironment.h"
#include "support/fixtures/TownGeometry.h"

namespace {

struct Section {
    std::string kind, type, label;
    std::vector<std::pair<double, double>> points; // latitude, longitude
};

std::vector<Section> readSections(const std::string& text) {
    std::vector<Section> sections;
    std::istringstream lines(text);
    std::string line;
    Section* open = nullptr;
    while (std::getline(lines, line)) {
        EXPECT_TRUE(!line.empty() && line.back() == '\r') << "CRLF lines: " << line;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "[POLYGON]" || line == "[POI]") {
            sections.push_back({line, {}, {}, {}});
            open = &sections.back();
        } else if (line == "[END]") {
            open = nullptr;
        } else if (open && line.rfind("Type=", 0) == 0) {
            open->type = line.substr(5);
        } else if (open && line.rfind("Label=", 0) == 0) {
            open->label = line.substr(6);
        } else if (open && line.rfind("Data0=", 0) == 0) {
            std::istringstream pairs(line.substr(6));
            char open_, comma, close;
            double lat, lon;
            while (pairs >> open_ >> lat >> comma >> lon >> close) {
                open->points.push_back({lat, lon});
                pairs.ignore(1);
            }
        }
    }
    return sections;
}

TEST(TownPolishMap, HoldsEveryBuildingWithAHouseNumberInsideTheTown) {
    using namespace fixture::town;
    const std::string text = buildTownPolishMap();
    EXPECT_NE(text.find("CodePage=1251"), std::string::npos);
    size_t buildings = 0;
    for (const Figure& figure : townMap().figures)
        buildings += figure.buildingId != 0;
    ASSERT_GT(buildings, 100u);
    // The town's box in degrees (28800 units of 1/8 arc-second a degree).
    const double south = kTownSouth / 28800.0, north = kTownNorth / 28800.0;
    const double west = kTownWest / 28800.0, east = kTownEast / 28800.0;
    const double slack = 1e-6;
    size_t outlines = 0, numbers = 0, areas = 0;
    for (const Section& s : readSections(text)) {
        ASSERT_FALSE(s.points.empty()) << s.kind << " " << s.type;
        for (const auto& [lat, lon] : s.points) {
            EXPECT_GE(lat, south - slack);
            EXPECT_LE(lat, north + slack);
            EXPECT_GE(lon, west - slack);
            EXPECT_LE(lon, east + slack);
        }
        if (s.kind == "[POLYGON]" && s.type == "0x13") {
            ++outlines;
            EXPECT_GE(s.points.size(), 4u);
        } else if (s.kind == "[POLYGON]" && s.type == "0x01") {
            ++areas;
        } else if (s.kind == "[POI]" && s.type == "0x3300") {
            ++numbers;
            EXPECT_EQ(s.points.size(), 1u);
            // One to six bytes, digits then at most one letter.
            EXPECT_GE(s.label.size(), 1u);
            EXPECT_LE(s.label.size(), 6u);
            EXPECT_TRUE(std::isdigit(uint8_t(s.label[0]))) << s.label;
        } else {
            ADD_FAILURE() << "unexpected " << s.kind << " " << s.type;
        }
    }
    EXPECT_EQ(outlines, buildings);
    EXPECT_EQ(numbers, buildings);
    EXPECT_EQ(areas, 1u);
    EXPECT_EQ(buildTownPolishMap(), text);
}

TEST(TownPolishMap, LiesBesideTheImageAndTheFirstRunWritesIt) {
    EXPECT_EQ(townPolishMapPath("/discs/sample-disc.iso"), QStringLiteral("/discs/sample-disc-town.mp"));
    KIWI_NEED_XORRISO();
    const QString scratch = QString::fromStdString(fixture::scratchDir("town-map-install"));
    fixture::ScopedEnvironment data{"XDG_DATA_HOME", QFile::encodeName(scratch + "/data")};
    fixture::ScopedEnvironment config{"XDG_CONFIG_HOME", QFile::encodeName(scratch + "/config")};
    QString report, error;
    ASSERT_TRUE(installSampleDisc(report, error)) << error.toStdString();
    const QString written = scratch + "/data/strovane/sample-disc-town.mp";
    EXPECT_TRUE(report.contains(written)) << report.toStdString();
    QFile file(written);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), buildTownPolishMap());
    // A later run leaves it alone.
    report.clear();
    ASSERT_TRUE(installSampleDisc(report, error));
    EXPECT_FALSE(report.contains(QStringLiteral("town map"))) << report.toStdString();
}

} // namespace
