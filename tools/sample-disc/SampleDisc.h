// The files of the generated sample disc, made with the fixture builders: a complete, well-formed disc
// with every part the readers know, drawn from one small town.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// File name on the disc (its root) → contents.
using DiscFiles = std::map<std::string, std::vector<uint8_t>>;

DiscFiles buildSampleDisc();
