// Code page 1251 fold table and Latin look-alikes of Cyrillic capitals.
#include "converter/names/Cp1251Text.h"

namespace {

std::array<uint8_t, 256> makeFoldTable() {
    std::array<uint8_t, 256> table{};
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = uint8_t(i);
    for (size_t c = 'a'; c <= 'z'; ++c)
        table[c] = uint8_t(c - 0x20);
    for (size_t c = 0xE0; c <= 0xFF; ++c)
        table[c] = uint8_t(c - 0x20);
    table[0xB8] = 0xA8; // ё
    table[0xB3] = 0xB2; // і
    table[0xBF] = 0xAF; // ї
    table[0xBA] = 0xAA; // є
    table[0xB4] = 0xA5; // ґ
    table[0xA2] = 0xA1; // ў
    return table;
}

// Latin look-alikes of А..Я in order.
constexpr std::string_view kLatinCapitals = "A-BGDEJZIIKLMHO-PCTUFX----------";

} // namespace

const std::array<uint8_t, 256>& Cp1251FoldTable() {
    static const std::array<uint8_t, 256> table = makeFoldTable();
    return table;
}

void FoldCp1251(std::string_view text, std::string& out) {
    const auto& table = Cp1251FoldTable();
    out.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        out[i] = char(table[uint8_t(text[i])]);
}

std::string FoldedCp1251(std::string_view text) {
    std::string out;
    FoldCp1251(text, out);
    return out;
}

std::string LatinizeCapitals(std::string_view text) {
    static_assert(kLatinCapitals.size() == 32);
    std::string out(text);
    for (char& c : out) {
        const uint8_t b = uint8_t(c);
        if (b >= 192 && b <= 223) c = kLatinCapitals[b - 192];
    }
    return out;
}
