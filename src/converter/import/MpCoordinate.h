// Polish-format coordinate text to whole map units (1/128 arc-second, 460800 per degree), in the exact
// two-step integer form (whole seconds, then the rest), so results match the compiled maps of other
// tools to the unit.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace mp_import {

inline constexpr int32_t kUnitsPerDegree = 460800;

// The text of one coordinate ("55.75", "-0.5", ".5", "1.5E-3"; blanks around are ignored) in map
// units, or nothing when it is not a number or its integer part has more than 3 digits or its size
// exceeds limitDegrees (90 for latitudes, 180 for longitudes).
std::optional<int32_t> CoordToMapUnits(std::string_view text, int limitDegrees = 180);

} // namespace mp_import
