// ISO test images: layout wrappers and the xorriso oracle.
#include "support/IsoFixture.h"

#include <algorithm>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "support/FixtureWriter.h"

namespace fixture {

namespace {
constexpr size_t DataSize = 2048;
constexpr size_t RawSize = 2352;
constexpr size_t Mode2Size = 2336;
constexpr size_t LeadingBlock = 307200;

uint8_t bcd(unsigned value) {
    return uint8_t((value / 10) << 4 | value % 10);
}

// A raw sector header: 12 sync bytes, the sector's address as minutes/seconds/frames (BCD, counted
// from the 150-frame pre-gap), then the mode byte.
void rawHeader(uint8_t* out, size_t sector, uint8_t mode) {
    out[0] = 0;
    std::fill(out + 1, out + 11, 0xFF);
    out[11] = 0;
    const size_t frame = sector + 150;
    out[12] = bcd(unsigned(frame / (60 * 75)));
    out[13] = bcd(unsigned(frame / 75 % 60));
    out[14] = bcd(unsigned(frame % 75));
    out[15] = mode;
}

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
} // namespace

const char* layoutName(IsoLayout layout) {
    switch (layout) {
    case IsoLayout::Plain:
        return "Plain";
    case IsoLayout::LeadingBlock:
        return "LeadingBlock";
    case IsoLayout::RawMode1:
        return "RawMode1";
    case IsoLayout::RawMode1LeadingBlock:
        return "RawMode1LeadingBlock";
    case IsoLayout::Mode2:
        return "Mode2";
    }
    return "?";
}

std::vector<uint8_t> wrapIsoImage(const std::vector<uint8_t>& plain, IsoLayout layout, uint8_t rawModeByte) {
    const size_t sectors = (plain.size() + DataSize - 1) / DataSize;
    const bool leading = layout == IsoLayout::LeadingBlock || layout == IsoLayout::RawMode1LeadingBlock;
    const bool raw = layout == IsoLayout::RawMode1 || layout == IsoLayout::RawMode1LeadingBlock;
    const size_t stored = raw ? RawSize : layout == IsoLayout::Mode2 ? Mode2Size : DataSize;
    const size_t base = leading ? LeadingBlock : 0;
    std::vector<uint8_t> out(base + sectors * stored, 0);
    for (size_t s = 0; s < sectors; ++s) {
        uint8_t* sector = out.data() + base + s * stored;
        if (raw) rawHeader(sector, s, rawModeByte);
        const size_t from = s * DataSize;
        const size_t count = std::min(DataSize, plain.size() - from);
        std::copy_n(plain.begin() + long(from), count, sector + (raw ? 16 : 0));
    }
    return out;
}

bool xorrisoAvailable() {
    return runCommand("xorriso -version >/dev/null 2>&1") == 0;
}

void makeIsoWithXorriso(const std::string& sourceFolder, const std::string& image) {
    const std::string command =
        "xorriso -as mkisofs -quiet -J -R -o " + shellQuote(image) + " " + shellQuote(sourceFolder) + " 2>&1";
    std::string output;
    if (runCommand(command, &output) != 0) throw std::runtime_error("xorriso failed: " + output);
}

std::vector<IsoListedFile> xorrisoListing(const std::string& image) {
    // "-read_fs ecma119" loads the plain ISO 9660 tree; xorriso drops the ";1" versions itself.
    const std::string command =
        "xorriso -read_fs ecma119 -indev " + shellQuote(image) + " -find / -type f -exec lsdl 2>/dev/null";
    std::string output;
    if (runCommand(command, &output) != 0) throw std::runtime_error("xorriso listing failed");
    static const std::regex line(R"(^\S+\s+\d+\s+\S+\s+\S+\s+(\d+)\s+.*'(/.*)'$)");
    std::vector<IsoListedFile> files;
    std::istringstream lines(output);
    for (std::string text; std::getline(lines, text);) {
        std::smatch match;
        if (!std::regex_match(text, match, line)) continue;
        std::string path = match[2].str().substr(1);
        const size_t cut = path.rfind('/');
        IsoListedFile file;
        file.name = cut == std::string::npos ? path : path.substr(cut + 1);
        file.folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
        std::replace(file.folder.begin(), file.folder.end(), '/', '\\');
        file.size = std::stoull(match[1].str());
        files.push_back(file);
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace fixture
