// What a name's new text is under the run's name options: re-encoded from UTF-8 to code page 1251 or
// translated through the dictionary, then encoded for the new map. Shared by the name records and the
// route guidance strings.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <string>

#include "converter/names/LatRusDictionary.h"
#include "kiwi/core/KiwiText.h"

struct NameOptions {
    bool translate = false;
    bool utfToAnsi = false;
    bool byWords = false;
    bool excludeFreeways = false;
    // Levels above this one are translated only in parcels of the dictionary's area.
    int translationLevel = 3;
    // The map's text code page (how the stored bytes are encoded).
    int textCodePage = 65001;
};

// Type code of freeway names.
inline constexpr uint16_t kFreewayTypeCode = 510;

class NameTextPolicy {
public:
    NameTextPolicy(NameOptions options, LatRusDictionary* dictionary)
        : options_(options), dictionary_(dictionary) {}

    const NameOptions& Options() const { return options_; }
    LatRusDictionary* Dictionary() const { return dictionary_; }
    // The dictionary's area code byte (0 without a dictionary).
    uint8_t AreaCode() const { return dictionary_ ? uint8_t(dictionary_->areaCode) : 0; }
    // False when parcels of this level and area code are copied as they are (translation alone, no
    // dictionary, or a level above the translation level outside the dictionary's area).
    bool Applies(int level, uint8_t parcelAreaCode) const;

    // The stored bytes to write for a name record's text, or nothing when the record stays as it is
    // (unchanged, refused because the result holds "?", a freeway name while freeways are excluded).
    std::optional<QByteArray> NameRecordText(const KiwiText& stored, uint16_t typeCode,
                                             uint8_t parcelAreaCode);
    // The same for a route guidance string field of fieldBytes: nothing when it stays, else the new bytes
    // (not yet padded) that fit the field.
    std::optional<QByteArray> GuidanceText(const KiwiText& stored, size_t fieldBytes);

    // Code page 1251 text as the new map stores it: unchanged with the UTF-8 conversion on or a 1251 map,
    // else encoded in the map's text code page; nothing when that page cannot hold it.
    std::optional<QByteArray> Encode(const std::string& ansi) const;
    // The stored text as code page 1251 bytes (what the dictionary reads).
    static std::string AnsiOf(const KiwiText& stored);

private:
    // The stored text as code page 1251 bytes without trailing 00 bytes.
    static QByteArray ansiBytes(const KiwiText& stored);

    NameOptions options_;
    LatRusDictionary* dictionary_;
};

// The text without its trailing 00 bytes.
std::string TrimTrailingZeros(std::string text);
