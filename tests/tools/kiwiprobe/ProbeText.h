// Quoting of stored 8-bit texts for probe output: printable ASCII as is, other bytes as \xNN.
#pragma once

#include <cstdio>
#include <string>

namespace probe {

inline std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += char(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            out += escape;
        }
    }
    return out + "\"";
}

} // namespace probe
