// The test builder of a parcel's data frames: road, background, name, infrastructure link, guidance and
// character string frames, written byte by byte from the layouts with the fixture's own writer. Texts are
// encoded with iconv in the map text code page (1200 as big-endian UTF-16).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fixture {

// What the frames of one parcel depend on.
struct FrameOptions {
    // A number of the parcel that varies the contents (coordinates, numbers, texts).
    int counter = 0;
    int level = 0;
    // System number 8 or more: wide background entries and type unit headers, name entries from N + 4.
    bool wide = false;
    int textCodePage = 65001;
    // The level's node record size in bytes and its background and name display class counts.
    int nodeRecordBytes = 8;
    int backgroundClasses = 2;
    int nameClasses = 3;
    // Every record kind; otherwise a small frame set (one multilink, one area, one name, no
    // infrastructure links) that keeps a map's text short.
    bool full = true;
};

// Frames laid out one after another; references are {offset from the body's start, size} in bytes, with
// offset -1 for an absent frame.
struct FrameBody {
    std::vector<uint8_t> bytes;
    std::vector<std::pair<int64_t, int64_t>> references;
};

// The basic frames (roads, background, names, then 16 filler bytes for any further basic frame) and the
// extended frames (the first: infrastructure links; the second absent; then filler).
FrameBody buildMainMapFrames(const FrameOptions& options, int basic, int extended);
// The route guidance basic frames (guidance data, character strings, then filler) and extended filler.
FrameBody buildRouteGuidanceFrames(const FrameOptions& options, int basic, int extended);

// Single frames, byte 0 = the frame start. roadFrame reports where its multilinks start (byte offsets).
std::vector<uint8_t> roadFrame(const FrameOptions& options, std::vector<int64_t>* multiLinks = nullptr);
std::vector<uint8_t> backgroundFrame(const FrameOptions& options, int64_t nameRecordWordOffset);
// nameRecords receives the byte offsets of the records written.
std::vector<uint8_t> nameFrame(const FrameOptions& options, std::vector<int64_t>* nameRecords = nullptr);
std::vector<uint8_t> infraLinkFrame(const FrameOptions& options, const std::vector<int64_t>& multiLinks);
std::vector<uint8_t> guidanceFrame(const FrameOptions& options);
std::vector<uint8_t> stringFrame(const FrameOptions& options);

// The texts the frames hold (UTF-8), so that tests know what to expect.
std::string nameText(int counter, int which);
std::string otherLanguageText(int counter);
std::string displayText(int counter, int item);

// UTF-8 text encoded with iconv in a Windows code page number (65001, 1251, 1200 = UTF-16BE, ...).
std::vector<uint8_t> encodeText(const std::string& utf8, int codePage);
// A text as a character string: a word count, then the text padded with NUL to whole words.
std::vector<uint8_t> characterString(const std::string& utf8, int codePage);

} // namespace fixture
