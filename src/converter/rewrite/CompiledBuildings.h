// Reading a compiled building data file (*.lmp) for a conversion run: the 16-byte box, then records with
// labels padded to whole words; a file whose labels are not padded is re-padded in memory, and a file
// that neither layout fits exactly is refused.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rewrite {

// The buffer in the one compiled layout, or nothing with the reason in `problem`.
std::optional<std::vector<uint8_t>> ParseCompiledBuildings(const std::vector<uint8_t>& file,
                                                           std::string& problem);
std::optional<std::vector<uint8_t>> LoadCompiledBuildings(const std::string& path, std::string& problem);

} // namespace rewrite
