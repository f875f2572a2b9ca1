# Whether an atomic of the map code page pair (std::atomic<MapCodePagePair>: two ints, 8 bytes, in
# src/kiwi/map/KiwiMap.h) links by itself. Clang leaves the generic load, store and exchange of a struct
# to library calls, even when the type is lock-free, because their value buffers are only int-aligned;
# libatomic supplies them and strovane_link_atomic() links it.
include(CheckCXXSourceCompiles)
set(strovane_atomic_probe [[
#include <atomic>
struct Pair {
    int text = 65001;
    int ansi = 0;
};
std::atomic<Pair> pair{};
int main() {
    Pair old = pair.load();
    pair.compare_exchange_weak(old, Pair{old.ansi, old.text});
    pair.store(old);
    return pair.load(std::memory_order_acquire).text;
}
]])
check_cxx_source_compiles("${strovane_atomic_probe}" STROVANE_ATOMIC_LINKS)
if(NOT STROVANE_ATOMIC_LINKS)
    set(CMAKE_REQUIRED_LIBRARIES atomic)
    check_cxx_source_compiles("${strovane_atomic_probe}" STROVANE_ATOMIC_LINKS_WITH_LIBATOMIC)
    unset(CMAKE_REQUIRED_LIBRARIES)
    if(NOT STROVANE_ATOMIC_LINKS_WITH_LIBATOMIC)
        message(FATAL_ERROR "an atomic pair of ints links neither by itself nor with libatomic")
    endif()
endif()

function(strovane_link_atomic target)
    if(NOT STROVANE_ATOMIC_LINKS)
        target_link_libraries(${target} PUBLIC atomic)
    endif()
endfunction()
