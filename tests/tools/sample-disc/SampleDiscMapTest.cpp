// The sample disc's main map read by the readers: the plain form (no file names, list type 0), two levels
// with divided and integrated parcels, every frame record readable, every street and place named, and the
// road frames consistent: points inside their cells, crossing references that meet, start and end nodes.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "SampleDiscFolder.h"
#include "kiwi/map/KiwiMap.h"
#include "support/fixtures/TownGeometry.h"
#include "support/fixtures/TownMapPlan.h"
#include "support/walkers/FrameWalk.h"
#include "support/walkers/MapWalk.h"

namespace {

int count(const std::string& text, const std::string& pattern) {
    const std::regex re(pattern);
    return int(std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

std::string frameDump(uint32_t language = 0) {
    TLN_KiwiMap map(sampleDiscFile("ALLDATA.KWI"));
    std::ostringstream out;
    FrameWalkOptions options;
    options.dump.language = language;
    const FrameWalkResult result = walkFrames(map, &out, options);
    EXPECT_EQ(result.parcels,
              37u); // 14 regular + 4 + 16 sub-parcels on the detailed level, 3 frames on the overview
    return out.str();
}

// The road records of the frame dump: per parcel, per multilink, its links' points and its nodes.
struct DumpNode {
    int x = 0, y = 0, relX = 0, relY = 0;
    int type = 0;
    int crossClass = 0, crossNumber = 0, crossNode = 0;
};
struct DumpParcel {
    int level = 0;
    std::map<int, std::vector<std::vector<DumpNode>>> classes; // class index → multilinks
};

std::vector<DumpParcel> roadsOf(const std::string& dump) {
    std::vector<DumpParcel> parcels;
    std::istringstream in(dump);
    std::string line;
    int roadClass = -1;
    size_t node = 0;
    const std::regex parcel(R"(^parcel (\d+)/\S+ frame \d+ size )"); // not the members seen before
    const std::regex roadClassLine(R"(^road-class (\d+) )");
    const std::regex link(R"(^link \d+ node (\d+) oneway \S+ x (\d+):(\d+) y (\d+):(\d+) )");
    const std::regex nodeLine(R"(^node \d+ node (\d+) type (\d+) .* crossing (\d+)/(\d+)/(\d+) )");
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_search(line, m, parcel)) {
            parcels.push_back({std::stoi(m[1]), {}});
        } else if (std::regex_search(line, m, roadClassLine)) {
            roadClass = std::stoi(m[1]);
        } else if (line.rfind("multilink ", 0) == 0) {
            parcels.back().classes[roadClass].emplace_back();
        } else if (std::regex_search(line, m, link)) {
            DumpNode n;
            n.relX = std::stoi(m[2]);
            n.x = std::stoi(m[3]);
            n.relY = std::stoi(m[4]);
            n.y = std::stoi(m[5]);
            parcels.back().classes[roadClass].back().push_back(n);
        } else if (std::regex_search(line, m, nodeLine)) {
            node = size_t(std::stoi(m[1]));
            DumpNode& n = parcels.back().classes[roadClass].back().at(node);
            n.type = std::stoi(m[2]);
            n.crossClass = std::stoi(m[3]);
            n.crossNumber = std::stoi(m[4]);
            n.crossNode = std::stoi(m[5]);
        }
    }
    return parcels;
}

} // namespace

TEST(SampleDiscMap, IsThePlainFormWithTwoLevelsOfDividedAndIntegratedParcels) {
    TLN_KiwiMap map(sampleDiscFile("ALLDATA.KWI"));
    ASSERT_TRUE(map.IsValid());
    EXPECT_FALSE(map.FileNameDesignation());
    EXPECT_EQ(map.BlockRecordSize(), 6u);
    EXPECT_EQ(map.LevelCount(), 2u);
    EXPECT_EQ(map.CoverageSouth(), fixture::town::kTownSouth);
    EXPECT_EQ(map.CoverageEast(), fixture::town::kTownEast);
    const std::string walk = dumpMap(map);
    EXPECT_EQ(count(walk, "not found|truncated|limit "), 0) << walk;
    EXPECT_EQ(count(walk, R"(\nblock \S+ .* list 0 )"), 5);  // every block list of type 0
    EXPECT_EQ(count(walk, R"(\nblock \S+ .* file "" )"), 5); // no block names a file
    EXPECT_EQ(count(walk, R"(\nparcel \S+ .* divided \d+ division 1 )"), 1);
    EXPECT_EQ(count(walk, R"(\nparcel \S+ .* divided \d+ division 2 )"), 1);
    EXPECT_EQ(count(walk, R"(\nsubparcel )"), 20);
    EXPECT_EQ(count(walk, R"(\nheader 0/\S+ .* id 2 type 0 numbers 2x1 )"),
              2);                             // the overview's group, seen from both parcels
    EXPECT_EQ(count(walk, R"(\nroute )"), 3); // route guidance in block 0's regular parcels
}

TEST(SampleDiscMap, EveryFrameRecordReadsAndEveryStreetAndPlaceIsNamed) {
    const std::string dump = frameDump();
    EXPECT_EQ(count(dump, "unreadable|truncated"), 0);
    for (const auto& street : fixture::town::townMap().streets)
        EXPECT_NE(dump.find('"' + street.name + '"'), std::string::npos) << street.name;
    for (const auto& figure : fixture::town::townMap().figures)
        if (!figure.name.empty()) {
            EXPECT_NE(dump.find('"' + figure.name + '"'), std::string::npos) << figure.name;
        }
    for (const auto& label : fixture::town::townMap().labels)
        EXPECT_NE(dump.find('"' + label.text + '"'), std::string::npos) << label.text;
    EXPECT_EQ(dump.find("\"Zarechye\""), std::string::npos);
    EXPECT_NE(frameDump(2).find("\"Zarechye\""), std::string::npos); // the overview's second language
    EXPECT_GT(count(dump, R"(\ninfra-link )"), 10);
    EXPECT_GT(count(dump, R"(\ngraphics \S+ .* type 323 )"), 500); // buildings
}

TEST(SampleDiscMap, RoadFramesAreConsistent) {
    const std::vector<DumpParcel> parcels = roadsOf(frameDump());
    ASSERT_EQ(parcels.size(), 37u);
    size_t multiLinks = 0, crossings = 0;
    for (const DumpParcel& parcel : parcels)
        for (const auto& [roadClass, links] : parcel.classes)
            for (const auto& nodes : links) {
                ++multiLinks;
                ASSERT_GE(nodes.size(), 2u);
                EXPECT_EQ(nodes.front().type, 1);
                EXPECT_EQ(nodes.back().type, 2);
                for (size_t k = 0; k < nodes.size(); ++k) {
                    const DumpNode& n = nodes[k];
                    EXPECT_LE(n.x, 4095);
                    EXPECT_LE(n.y, 4095);
                    // Only the overview's integrated frame (two parcels wide) has points one parcel on.
                    EXPECT_LE(n.relX, parcel.level == fixture::kOverviewLevel ? 1 : 0);
                    EXPECT_EQ(n.relY, 0);
                    if (k > 0 && k + 1 < nodes.size()) {
                        EXPECT_EQ(n.type, 0);
                    }
                    if (n.crossClass == 0 && n.crossNumber == 0 && n.crossNode == 0) continue;
                    // The crossing multilink has a node at the same point.
                    ++crossings;
                    const auto found = parcel.classes.find(n.crossClass);
                    ASSERT_NE(found, parcel.classes.end());
                    ASSERT_LT(size_t(n.crossNumber), found->second.size());
                    const auto& other = found->second[size_t(n.crossNumber)];
                    ASSERT_LT(size_t(n.crossNode), other.size());
                    EXPECT_EQ(other[size_t(n.crossNode)].x, n.x);
                    EXPECT_EQ(other[size_t(n.crossNode)].y, n.y);
                }
            }
    EXPECT_GT(multiLinks, 150u);
    EXPECT_GT(crossings, 300u);
}
