// The choice of the code page of names in map data: the seven code pages the charset menu offers, the
// automatic choice from the map's system code, and the two global code pages the choice sets.
#pragma once

#include <string>

#include <QString>

class MapCodePageChoice {
public:
    // The code pages the charset menu lists, in menu order.
    static constexpr int kCodePages[7] = {65001, 1200, 28591, 28592, 28595, 50220, 1251};
    static bool IsMenuCodePage(int codePage);
    // The status text of a code page ("UTF-8", "ISO 8859-1", ...); empty for one the menu does not list.
    static QString StatusText(int codePage);
    // The code page the automatic choice takes for a map: from its system code ("AFEU:2" West, "AFEU:4"
    // UTF-8, "AFJ..." Japan) or its identification text ("ARU..." Russian); 0 when neither says.
    static int AutomaticCodePage(const std::string& systemCode, const std::string& identification);

    // Sets the map text code page and, for a menu code page, the display code page that goes with it;
    // another value sets the text code page only. Returns whether the menu lists the code page.
    bool SetMapCodePage(int codePage);
    // The code page checked in the charset menu (0 when none is).
    int CheckedCodePage() const { return checked_; }
    QString StatusText() const { return StatusText(checked_); }

    // The automatic choice is on (the Auto menu item is checked).
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }

    // With the automatic choice on: sets the code page AutomaticCodePage gives, if any. True when it set one.
    bool SelectAutoCharset(const std::string& systemCode, const std::string& identification);

private:
    bool autoSelect_ = true;
    int checked_ = 65001;
};
