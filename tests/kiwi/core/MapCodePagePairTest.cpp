// The two map text code pages kept as one pair: a half written alone leaves the other half, and a reader on
// another thread sees only pairs that were written, never one half of a change.
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

#include "kiwi/core/MapCodePage.h"

namespace {

// Puts the pair back as the test found it.
struct PairScope {
    MapCodePagePair saved = LoadMapCodePages();
    ~PairScope() { StoreMapCodePages(saved); }
};

TEST(MapCodePagePair, EachHalfIsWrittenAloneAndBothAreReadInOne) {
    PairScope scope;
    StoreMapCodePages(MapCodePagePair{65001, 0});
    MapTextCodePage = 28595;
    EXPECT_EQ(LoadMapCodePages(), (MapCodePagePair{28595, 0}));
    MapAnsiCodePage.store(1251);
    EXPECT_EQ(LoadMapCodePages(), (MapCodePagePair{28595, 1251}));
    const int text = MapTextCodePage;
    EXPECT_EQ(text, 28595);
    // Values of every sign survive the packing.
    StoreMapCodePages(MapCodePagePair{1200, -1});
    EXPECT_EQ(MapTextCodePage.load(), 1200);
    EXPECT_EQ(MapAnsiCodePage.load(), -1);
}

TEST(MapCodePagePair, AReaderNeverSeesHalfAChange) {
    PairScope scope;
    const MapCodePagePair utf8{65001, 0};
    const MapCodePagePair russian{28595, 1251};
    StoreMapCodePages(utf8);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop.load(); ++i)
            StoreMapCodePages(i % 2 ? russian : utf8);
    });
    int mixed = 0;
    for (int i = 0; i < 200000; ++i) {
        const MapCodePagePair seen = LoadMapCodePages();
        mixed += !(seen == utf8 || seen == russian);
    }
    stop.store(true);
    writer.join();
    EXPECT_EQ(mixed, 0);
}

TEST(MapCodePagePair, HalvesWrittenAtOnceFromTwoThreadsAreBothKept) {
    PairScope scope;
    StoreMapCodePages(MapCodePagePair{0, 0});
    std::thread text([] {
        for (int i = 1; i <= 20000; ++i)
            MapTextCodePage.store(i);
    });
    std::thread ansi([] {
        for (int i = 1; i <= 20000; ++i)
            MapAnsiCodePage.store(-i);
    });
    text.join();
    ansi.join();
    EXPECT_EQ(LoadMapCodePages(), (MapCodePagePair{20000, -20000}));
}

} // namespace
