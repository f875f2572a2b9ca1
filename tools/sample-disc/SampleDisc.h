// The files of the generated sample disc, made with the fixture builders: a complete, well-formed disc
// with every part the readers know, drawn from one small town.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/fixtures/PictureFixture.h"

// File name on the disc (its root) → contents.
using DiscFiles = std::map<std::string, std::vector<uint8_t>>;

DiscFiles buildSampleDisc();

// The small numbered markers after the town's pictures in PICT0001.KWI: 8 x 8, a frame of colour
// 1 + i % 6 around colour 0, enough of them that the image list is shown in pages.
constexpr int kSampleMarkers = 600;
constexpr int kSampleMarkerSide = 8;
// PICT0001.KWI before compression: the town's pictures, then the markers.
fixture::PictureFile samplePictureFile();
