// Text encoding for fixtures: UTF-8 source text to the bytes of a character set, through iconv.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fixture {

// charset is an iconv name ("CP1251", "UTF-16BE", "UTF-8"); raises std::runtime_error when iconv fails.
std::vector<uint8_t> encodeText(const std::string& utf8, const std::string& charset);
// The iconv name of a KIWI code page number (1200 = big-endian UTF-16).
std::string charsetOf(int codePage);

} // namespace fixture
