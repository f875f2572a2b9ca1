// The two global code pages of map text, kept together in one atomic word so that any thread reads both
// as they were set together.
#pragma once

#include <atomic>
#include <cstdint>

// The code page in which KIWI text is stored (1200 = big-endian UTF-16) and the code page such text is
// converted into for display (0 = the system ANSI code page).
struct MapCodePagePair {
    int text = 65001;
    int ansi = 0;
    friend bool operator==(const MapCodePagePair&, const MapCodePagePair&) = default;
};

// Both code pages in one read; work that runs for a while (a map render, a search) takes them once at its
// start and keeps them.
MapCodePagePair LoadMapCodePages(std::memory_order order = std::memory_order_seq_cst);
// Sets both in one write: no reader sees one of them changed and the other not.
void StoreMapCodePages(MapCodePagePair pages);

// One of the two pages, read and written alone; a write leaves the other as it is.
class MapCodePageGlobal {
public:
    enum class Half { Text, Ansi };
    explicit constexpr MapCodePageGlobal(Half half) : half_(half) {}
    MapCodePageGlobal(const MapCodePageGlobal&) = delete;
    MapCodePageGlobal& operator=(const MapCodePageGlobal&) = delete;

    int load(std::memory_order order = std::memory_order_seq_cst) const;
    void store(int codePage);
    operator int() const { return load(); }
    MapCodePageGlobal& operator=(int codePage) {
        store(codePage);
        return *this;
    }

private:
    Half half_;
};

// The code page in which KIWI text is stored; 65001 (UTF-8) at start-up.
extern MapCodePageGlobal MapTextCodePage;
// The code page into which map text is converted for display; 0 at start-up.
extern MapCodePageGlobal MapAnsiCodePage;
