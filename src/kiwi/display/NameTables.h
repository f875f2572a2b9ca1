// English names of KIWI codes (road classes, background kinds, name kinds …), indexed by the code as stored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The text a lookup gives for a code past the end of a table that marks unused codes "(RESERVED)".
inline constexpr std::string_view kReservedName = "(RESERVED)";

extern const std::array<std::string_view, 16> RoadClassNames;
extern const std::array<std::string_view, 32> BackgroundKindNames;
extern const std::array<std::string_view, 16> NameKindNames;
extern const std::array<std::string_view, 8> StringDisplayKindNames;
extern const std::array<std::string_view, 4> ElementShapeNames;
extern const std::array<std::string_view, 16> RoadTypeNames;
extern const std::array<std::string_view, 4> LandmarkPatternKindNames;
extern const std::array<std::string_view, 7> ManagementDataKindNames;

// The order in which the map view draws the background kinds: 31 first, 0 last.
extern const std::array<int, 32> BackgroundKindOrder;

// The name of a code read from a file, or fallback when the code lies outside the table.
template <std::size_t N>
constexpr std::string_view NameOf(const std::array<std::string_view, N>& table, int64_t code,
                                  std::string_view fallback) {
    if (code < 0 || static_cast<uint64_t>(code) >= N) return fallback;
    return table[static_cast<std::size_t>(code)];
}

// Tables that mark their unused codes "(RESERVED)" give "(RESERVED)" for codes past their end.
std::string_view RoadClassName(int64_t code);
std::string_view BackgroundKindName(int64_t code);
std::string_view NameKindName(int64_t code);
std::string_view StringDisplayKindName(int64_t code);
// The other tables give "" for codes past their end.
std::string_view ElementShapeName(int64_t code);
std::string_view RoadTypeName(int64_t code);
std::string_view LandmarkPatternKindName(int64_t code);
std::string_view ManagementDataKindName(int64_t code);
