// The data volume header templates of the target systems, built here from the data volume layout: the
// system identification text, format and data versions, disc title and the identification records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kVolumeTemplateCount = 16;

// The template's name ("AFEU23D" ...), or "" for an index outside 0..15.
std::string VolumeTemplateName(int index);
// The template's bytes (320, or 1264 for "AFJ21B"); empty for an index outside 0..15.
std::vector<uint8_t> VolumeTemplate(int index);
// Bytes of a template the run writes over the new map's first bytes: the record fields up to the disc
// title. Past them lie the coverage, sector sizes and level lists of the new map, which no template may
// replace.
inline constexpr int64_t kVolumeTemplateWritten = 320;
