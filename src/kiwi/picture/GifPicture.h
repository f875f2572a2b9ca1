// GIF pictures of picture data, decoded with giflib straight from a stream range.
#pragma once

#include <cstdint>
#include <string>

#include <QImage>

#include "kiwi/io/Stream.h"

// Decodes the first image of the GIF that starts at start; the decoder never reads at or past end. An I/O
// error of the stream is raised after giflib has been closed.
// The result has the logical screen's size (the first frame's extent when the screen is empty), is
// Format_ARGB32, and is transparent where the graphics control block's transparent index is painted,
// where a pixel's index lies beyond the colour map and outside the frame. Any error (not a GIF, truncated
// data, no colour map, a screen or frame above kMaxImagePixels) gives a null image, and why (giflib's
// reason, or which check failed) in *why when given.
QImage DecodeGifPicture(TLN_Stream& stream, int64_t start, int64_t end, std::string* why = nullptr);
