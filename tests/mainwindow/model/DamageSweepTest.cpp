// Every file kind of the sample disc cut at a spread of places and overwritten in windows, opened in its
// folder and every node shown: the tree either equals the undamaged one or says that it is damaged
// ("(Error)", "Ошибка", an opening error, or the missing-file view of a name that no longer finds its file).
// A cut is never lawful; an overwrite may be (a name, a kind, a code changed to another lawful value), and
// the overwrites that are, are listed with why. The named cuts of each row are the damages users met first.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <set>
#include <sstream>

#include "kiwi/disc/FileManager.h"
#include "mainwindow/model/SourceFiles.h"
#include "mainwindow/model/SourceOpener.h"
#include "sample-disc/SampleDisc.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/model/TreeDump.h"

namespace damage_sweep {

// The rows of route planning, the compression list, voice and the index join once their readers mark
// what they cannot read.
constexpr bool kSweepRegionVoiceIndex = true;

// The kind of the "Map Data" node: rows of other files leave it closed (the map is swept in its own row).
constexpr int kMapDataKind = 100;

struct SweepRow {
    const char* file;
    // Cuts (bytes kept) that must be marked.
    std::vector<int64_t> namedCuts;
    // Overwrite places whose change is lawful data (why in the comment of the row).
    std::vector<int64_t> lawful;
    bool later = false;
    // The file also opens alone, as a root of its own, and is swept so too.
    bool alone = false;
};

const SweepRow kRows[] = {
    {"ALLDATA.KWI", {512, 2100, 3000, 40000}, {}},
    {"REGION.KWI", {322}, {}, true},
    {"05.CMP", {6}, {}, true},
    {"VOICEDAT.KWI", {6323, 88}, {}, true},
    // 34: a data classification code of no known layout.
    {"PARAMDAT.KWI", {4}, {34}},
    {"DICVCE56.KWI", {24}, {}, false, true},
    {"RDSTMC.KWI", {19}, {}},
    {"COVERAGE.BIN", {4}, {}, false, true},
    // 10, 32: a file kind the list does not know.
    {"PCT2MNG.KWI", {14}, {10, 32}, false, true},
    {"VOICE001.ME", {52}, {}, true},
    {"INDEXDAT.KWI", {101}, {}, true},
    // 2-7: the first system's office position, which names its maker: another maker has no file lists.
    {"LOADING.KWI", {2047, 100}, {2, 3, 4, 5, 6, 7}},
};

struct Damage {
    int64_t place = 0;
    bool cut = false;
    std::vector<uint8_t> bytes;
    std::string Name() const { return (cut ? "cut at " : "0xA5 at ") + std::to_string(place); }
};

// Cuts at the first bytes and at sixteenths of the file; windows of 4 bytes of 0xA5 (a count or an address
// made of them lies far past any of these files) at the same places.
std::vector<Damage> damagesOf(const std::vector<uint8_t>& whole, const std::vector<int64_t>& named) {
    const auto size = int64_t(whole.size());
    std::set<int64_t> places(named.begin(), named.end());
    for (int64_t p = 0; p < 8; ++p)
        places.insert(p);
    for (int64_t k = 1; k < 16; ++k)
        places.insert(size * k / 16);
    std::vector<Damage> damages;
    for (const int64_t place : places) {
        if (place >= size) continue;
        damages.push_back({place, true, std::vector<uint8_t>(whole.begin(), whole.begin() + place)});
        Damage window{place, false, whole};
        for (int64_t i = place; i < std::min(size, place + 4); ++i)
            window.bytes[size_t(i)] = 0xA5;
        damages.push_back(std::move(window));
    }
    return damages;
}

struct Shown {
    std::string text;
    int nodes = 0;
    int rows = 0;
    bool marked = false;
};

// The folder opened (or only its file named alone), every node shown.
Shown show(const std::string& folder, int leaveClosed, const char* alone) {
    RecordTree tree;
    OpenData data;
    MapCodePageChoice codePages;
    SourceOpener opener(tree, data, codePages);
    const OpenOutcome outcome =
        alone ? opener.OpenFile(ToQtPath(folder + "/" + alone)) : opener.OpenFolder(ToQtPath(folder));
    Shown shown;
    CrawlOptions options;
    options.leaveClosed = leaveClosed;
    const std::string messages = DumpOpenMessages(outcome, QString());
    shown.text = messages + DumpSource(tree, data, options, true);
    SourceOpener::CloseAllHeadless(tree, data);
    std::istringstream lines(shown.text);
    for (std::string line; std::getline(lines, line);) {
        const size_t first = line.find_first_not_of(' ');
        if (first == std::string::npos) continue;
        if (line[first] == '|') ++shown.rows;
        if (line[first] == '"') ++shown.nodes;
    }
    const auto has = [&](const char* text) { return shown.text.find(text) != std::string::npos; };
    shown.marked = messages.find("error: ") != std::string::npos || has("(Error)") || has("Ошибка") ||
                   has("Sorry. File doesn''t exists") || has("File doesnt exist or is unreadable");
    return shown;
}

// The rows swept, each in its folder and, when it opens alone, so too.
std::vector<std::pair<SweepRow, bool>> sweeps() {
    std::vector<std::pair<SweepRow, bool>> out;
    for (const SweepRow& row : kRows) {
        if (row.later && !kSweepRegionVoiceIndex) continue;
        out.emplace_back(row, false);
        if (row.alone) out.emplace_back(row, true);
    }
    return out;
}

} // namespace damage_sweep

TEST(DamageSweep, EveryDamageIsShownOrTheTreeIsWhole) {
    using namespace damage_sweep;
    const DiscFiles disc = buildSampleDisc();
    const std::string folder = fixture::scratchDir("damage-sweep");
    for (const auto& [name, bytes] : disc)
        fixture::writeFile(folder + "/" + name, bytes);
    int tried = 0, marked = 0, equal = 0, lawful = 0, unmarked = 0;
    for (const auto& [row, alone] : sweeps()) {
        const int leaveClosed = std::string(row.file) == "ALLDATA.KWI" ? 0 : kMapDataKind;
        const std::vector<uint8_t>& whole = disc.at(row.file);
        const char* file = alone ? row.file : nullptr;
        const Shown undamaged = show(folder, leaveClosed, file);
        ASSERT_FALSE(undamaged.marked) << row.file;
        int counts[4] = {};
        for (const Damage& damage : damagesOf(whole, row.namedCuts)) {
            fixture::writeFile(folder + "/" + row.file, damage.bytes);
            const Shown damaged = show(folder, leaveClosed, file);
            ++tried;
            const bool named =
                damage.cut && std::count(row.namedCuts.begin(), row.namedCuts.end(), damage.place);
            const bool allowed =
                !damage.cut && std::count(row.lawful.begin(), row.lawful.end(), damage.place);
            const bool same = damaged.text == undamaged.text;
            EXPECT_FALSE(named && damaged.text.find("(Error)") == std::string::npos)
                << row.file << " " << damage.Name() << " shows no (Error) node";
            if (same) {
                ++counts[0];
            } else if (damaged.marked) {
                ++counts[1];
            } else if (allowed) {
                ++counts[2];
            } else if (damage.cut || damaged.nodes < undamaged.nodes || damaged.rows < undamaged.rows) {
                ++counts[3];
                ADD_FAILURE() << row.file << " " << damage.Name() << ": " << damaged.nodes << " of "
                              << undamaged.nodes << " nodes, " << damaged.rows << " of " << undamaged.rows
                              << " rows, and no mark";
            } else {
                // Values changed in place, every node and row still there.
                ++counts[2];
            }
        }
        fixture::writeFile(folder + "/" + row.file, whole);
        equal += counts[0];
        marked += counts[1];
        lawful += counts[2];
        unmarked += counts[3];
        std::cout << row.file << (alone ? " alone" : "") << ": equal " << counts[0] << " marked " << counts[1]
                  << " lawful values " << counts[2] << " unmarked " << counts[3] << "\n";
    }
    std::cout << "damages " << tried << " marked " << marked << " equal " << equal << " lawful values "
              << lawful << " unmarked " << unmarked << "\n";
    EXPECT_EQ(unmarked, 0);
}
