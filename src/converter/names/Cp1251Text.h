// Code page 1251 text helpers of the dictionary: the case fold that makes keys compare without regard to
// case, and the mapping of Cyrillic capitals to Latin letters for names that may hold only A-Z and digits.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Upper-case fold of every cp1251 byte: a-z, а-я, ё, і, ї, є, ґ and ў to their capitals; others unchanged.
const std::array<uint8_t, 256>& Cp1251FoldTable();
// text folded into out (out's storage is reused, so a warm buffer allocates nothing).
void FoldCp1251(std::string_view text, std::string& out);
std::string FoldedCp1251(std::string_view text);

// Every byte from 192 to 223 (А..Я) becomes its Latin look-alike, or "-" where there is none.
std::string LatinizeCapitals(std::string_view text);
