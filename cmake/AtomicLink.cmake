# Whether a 64-bit std::atomic (the pair of map code pages in src/kiwi/core/MapCodePage.cpp) links by
# itself. Where the compiler leaves its operations to library calls (clang on some targets), libatomic
# supplies them and strovane_link_atomic() links it.
include(CheckCXXSourceCompiles)
set(strovane_atomic_probe [[
#include <atomic>
#include <cstdint>
std::atomic<std::uint64_t> word{0};
int main() {
    std::uint64_t old = word.load();
    word.compare_exchange_weak(old, old + 1);
    word.store(old);
    return int(word.load(std::memory_order_acquire));
}
]])
check_cxx_source_compiles("${strovane_atomic_probe}" STROVANE_ATOMIC_LINKS)
if(NOT STROVANE_ATOMIC_LINKS)
    set(CMAKE_REQUIRED_LIBRARIES atomic)
    check_cxx_source_compiles("${strovane_atomic_probe}" STROVANE_ATOMIC_LINKS_WITH_LIBATOMIC)
    unset(CMAKE_REQUIRED_LIBRARIES)
    if(NOT STROVANE_ATOMIC_LINKS_WITH_LIBATOMIC)
        message(FATAL_ERROR "a 64-bit std::atomic links neither by itself nor with libatomic")
    endif()
endif()

function(strovane_link_atomic target)
    if(NOT STROVANE_ATOMIC_LINKS)
        target_link_libraries(${target} PUBLIC atomic)
    endif()
endfunction()
