// The word that holds both map text code pages: the text page in the low 32 bits, the ANSI page above.
#include "kiwi/core/MapCodePage.h"

namespace {

constexpr uint64_t pack(MapCodePagePair pages) {
    return uint64_t(uint32_t(pages.text)) | uint64_t(uint32_t(pages.ansi)) << 32;
}

constexpr MapCodePagePair unpack(uint64_t word) {
    return MapCodePagePair{int(uint32_t(word)), int(uint32_t(word >> 32))};
}

constinit std::atomic<uint64_t> codePages{pack(MapCodePagePair{})};
static_assert(std::atomic<uint64_t>::is_always_lock_free);

} // namespace

MapCodePageGlobal MapTextCodePage{MapCodePageGlobal::Half::Text};
MapCodePageGlobal MapAnsiCodePage{MapCodePageGlobal::Half::Ansi};

MapCodePagePair LoadMapCodePages(std::memory_order order) {
    return unpack(codePages.load(order));
}

void StoreMapCodePages(MapCodePagePair pages) {
    codePages.store(pack(pages));
}

int MapCodePageGlobal::load(std::memory_order order) const {
    const MapCodePagePair pages = LoadMapCodePages(order);
    return half_ == Half::Text ? pages.text : pages.ansi;
}

void MapCodePageGlobal::store(int codePage) {
    uint64_t old = codePages.load();
    MapCodePagePair pages;
    do {
        pages = unpack(old);
        (half_ == Half::Text ? pages.text : pages.ansi) = codePage;
    } while (!codePages.compare_exchange_weak(old, pack(pages)));
}
