// Generated palette resources. The contents are ours, chosen to be easy to explain and to replace:
//   "PAL_ETO": a 6 × 7 × 6 colour cube (red and blue in 6 steps, green in 7, red slowest), then the four
//              inner steps of a five-step grey ramp (51, 102, 153, 204): 252 + 4 = 256 colours.
//   "PAL_ETG": a 256-step grey ramp, entry i = (i, i, i).
//   "PAL_ET4": the 16 standard VGA colours, then 16 greys 8, 24, …, 248: 32 colours.
// Each is stored in the palette form: u16 clear colour code 0, u16 transparent colour code 0xFFFF (none),
// u16 count, count × {red, green, blue, 0}.
#include "kiwi/display/PaletteResources.h"

#include "kiwi/io/MemoryStream.h"

namespace {
struct Rgb {
    uint8_t red, green, blue;
};

std::vector<Rgb> cubePalette() {
    std::vector<Rgb> colors;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 7; ++g)
            for (int b = 0; b < 6; ++b)
                colors.push_back({uint8_t(r * 255 / 5), uint8_t((g * 255 + 3) / 6), uint8_t(b * 255 / 5)});
    for (int k = 1; k <= 4; ++k)
        colors.push_back({uint8_t(k * 51), uint8_t(k * 51), uint8_t(k * 51)});
    return colors;
}

std::vector<Rgb> greyPalette() {
    std::vector<Rgb> colors;
    for (int i = 0; i < 256; ++i)
        colors.push_back({uint8_t(i), uint8_t(i), uint8_t(i)});
    return colors;
}

std::vector<Rgb> smallPalette() {
    std::vector<Rgb> colors = {
        {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
        {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
        {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
    };
    for (int k = 0; k < 16; ++k)
        colors.push_back({uint8_t(8 + 16 * k), uint8_t(8 + 16 * k), uint8_t(8 + 16 * k)});
    return colors;
}

std::vector<uint8_t> paletteForm(const std::vector<Rgb>& colors) {
    std::vector<uint8_t> bytes = {0, 0, 0xFF, 0xFF, uint8_t(colors.size() >> 8), uint8_t(colors.size())};
    for (const Rgb& c : colors)
        bytes.insert(bytes.end(), {c.red, c.green, c.blue, 0});
    return bytes;
}
} // namespace

std::vector<uint8_t> PaletteResourceBytes(const std::string& name) {
    if (name == "PAL_ETO") return paletteForm(cubePalette());
    if (name == "PAL_ETG") return paletteForm(greyPalette());
    if (name == "PAL_ET4") return paletteForm(smallPalette());
    return {};
}

bool LoadPaletteResource(const std::string& name, TLN_Color_Table& out) {
    std::vector<uint8_t> bytes = PaletteResourceBytes(name);
    if (bytes.empty()) return false;
    TLN_MemoryStream stream(std::move(bytes));
    return ReadPaletteStream(stream, out, 0);
}
