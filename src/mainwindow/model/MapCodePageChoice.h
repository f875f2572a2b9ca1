// The choice of the code page of names in map data: the seven code pages the charset menu offers, the fonts
// of the font menu, the automatic choice from the map's system code, the two global code pages the choice
// sets and the language of multi-language data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <QString>

class MapCodePageChoice {
public:
    // The code pages the charset menu lists, in menu order.
    static constexpr int kCodePages[7] = {65001, 1200, 28591, 28592, 28595, 50220, 1251};
    // The font menu's items ("Default", "West Europe", ... "Japanese"): their tags are 0 .. kFonts - 1.
    static constexpr int kFonts = 10;
    static bool IsMenuCodePage(int codePage);
    // The status text of a code page ("UTF-8", "ISO 8859-1", ...); empty for one the menu does not list.
    static QString StatusText(int codePage);
    // The font charset that goes with a code page (0 for one the menu does not list).
    static int CharsetOf(int codePage);
    // The font menu item that goes with a code page; -1 for one the menu does not list.
    static int FontTagOf(int codePage);
    // The code page the automatic choice takes for a map: from its system code ("AFEU:2" West, "AFEU:4"
    // UTF-8, "AFJ..." Japan) or its identification text ("ARU..." Russian); 0 when neither says.
    static int AutomaticCodePage(const std::string& systemCode, const std::string& identification);

    // Sets the map text code page and, for a menu code page, the display code page, the font charset and the
    // font item that go with it; another value sets the text code page only, checks no item and gives
    // charset 0. Returns whether the menu lists the code page.
    bool SetMapCodePage(int codePage);
    // The code page checked in the charset menu (0 when none is).
    int CheckedCodePage() const { return checked_; }
    QString StatusText() const { return StatusText(checked_); }
    // The font charset of the views that show names, and the font item checked (-1 none).
    int Charset() const { return charset_; }
    int CheckedFont() const { return font_; }

    struct FontChange {
        bool charsetChanged = false;
        bool codePageChanged = false;
    };
    // A font item: sets the display code page and charset of its row; nothing for a tag the menu does not
    // have.
    std::optional<FontChange> SetFont(int tag);

    // The automatic choice is on (the Auto menu item is checked).
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }

    // The code page AutomaticCodePage gives for the map, when the automatic choice is on and it gives one;
    // 0 otherwise. Nothing is set: the caller chooses it as the menu item would be.
    int AutoCharset(const std::string& systemCode, const std::string& identification) const;
    // With the automatic choice on: sets the code page AutomaticCodePage gives, if any. True when it set one.
    bool SelectAutoCharset(const std::string& systemCode, const std::string& identification);

    // The language of multi-language data (0 first); the open map keeps a copy.
    uint32_t DataLanguage() const { return dataLanguage_; }
    void SetDataLanguage(uint32_t language) { dataLanguage_ = language; }

private:
    bool autoSelect_ = true;
    int checked_ = 65001;
    int charset_ = 1;
    int font_ = 0;
    uint32_t dataLanguage_ = 0;
};
