// Text encoding for fixtures through iconv.
#include "support/TextEncoding.h"

#include <iconv.h>
#include <stdexcept>

namespace fixture {

std::vector<uint8_t> encodeText(const std::string& utf8, const std::string& charset) {
    iconv_t cd = iconv_open(charset.c_str(), "UTF-8");
    if (cd == iconv_t(-1)) throw std::runtime_error("iconv cannot encode " + charset);
    std::vector<char> out(utf8.size() * 4 + 8);
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == size_t(-1)) throw std::runtime_error("iconv failed for " + charset);
    return std::vector<uint8_t>(out.data(), outPtr);
}

std::string charsetOf(int codePage) {
    if (codePage == 1200) return "UTF-16BE";
    if (codePage == 65001) return "UTF-8";
    return "CP" + std::to_string(codePage);
}

} // namespace fixture
