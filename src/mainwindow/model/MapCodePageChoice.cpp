// The code page table of the charset menu, the font menu's table, and the automatic choice from the map's
// system code.
#include "mainwindow/model/MapCodePageChoice.h"

#include "kiwi/core/MapCodePage.h"

namespace {
struct CodePageRow {
    int codePage;
    const char* status;
    int charset;
    // The code page text is converted into for display (0 = the system's).
    int ansiCodePage;
    int fontTag;
};
constexpr CodePageRow kRows[] = {
    {65001, "UTF-8", 1, 0, 0},           {1200, "UTF-16", 1, 0, 0},
    {28591, "ISO 8859-1", 0, 1252, 1},   {28592, "ISO 8859-2", 238, 1250, 2},
    {28595, "ISO 8859-5", 204, 1251, 7}, {50220, "ISO 8859-JP", 128, 0, 9},
    {1251, "ANSI-1251", 204, 1251, 7},
};

// Font items by tag: "Default", "West Europe", "East Europe", "Greek", "Turkish", "Baltic", "Arabic",
// "Russian", "Chinese", "Japanese".
struct FontRow {
    int charset;
    int ansiCodePage;
};
constexpr FontRow kFontRows[MapCodePageChoice::kFonts] = {
    {1, 0},      {0, 1252},   {238, 1250}, {161, 1253}, {162, 1254},
    {186, 1257}, {178, 1256}, {204, 1251}, {136, 0},    {128, 0},
};

const CodePageRow* rowOf(int codePage) {
    for (const CodePageRow& row : kRows)
        if (row.codePage == codePage) return &row;
    return nullptr;
}
} // namespace

bool MapCodePageChoice::IsMenuCodePage(int codePage) {
    return rowOf(codePage) != nullptr;
}

QString MapCodePageChoice::StatusText(int codePage) {
    const CodePageRow* row = rowOf(codePage);
    return row ? QString::fromLatin1(row->status) : QString();
}

int MapCodePageChoice::CharsetOf(int codePage) {
    const CodePageRow* row = rowOf(codePage);
    return row ? row->charset : 0;
}

int MapCodePageChoice::FontTagOf(int codePage) {
    const CodePageRow* row = rowOf(codePage);
    return row ? row->fontTag : -1;
}

int MapCodePageChoice::AutomaticCodePage(const std::string& systemCode, const std::string& identification) {
    if (systemCode == "AFEU:2" || systemCode == "AFUS:2" || systemCode == "AFUS:4") return 28591;
    if (systemCode == "AFEU:4") return 65001;
    if (systemCode.compare(0, 3, "AFJ") == 0) return 50220;
    if (identification.compare(0, 3, "ARU") == 0) return 28595;
    return 0;
}

bool MapCodePageChoice::SetMapCodePage(int codePage) {
    const CodePageRow* row = rowOf(codePage);
    checked_ = row ? codePage : 0;
    charset_ = row ? row->charset : 0;
    font_ = row ? row->fontTag : -1;
    // Both pages change in one write: a render or search on another thread sees the old pair or the new.
    StoreMapCodePages(MapCodePagePair{codePage, row ? row->ansiCodePage : MapAnsiCodePage.load()});
    return row != nullptr;
}

std::optional<MapCodePageChoice::FontChange> MapCodePageChoice::SetFont(int tag) {
    if (tag < 0 || tag >= kFonts) return std::nullopt;
    const FontRow& row = kFontRows[tag];
    FontChange change;
    change.charsetChanged = row.charset != charset_;
    change.codePageChanged = row.ansiCodePage != MapAnsiCodePage.load();
    MapAnsiCodePage.store(row.ansiCodePage);
    charset_ = row.charset;
    font_ = tag;
    return change;
}

int MapCodePageChoice::AutoCharset(const std::string& systemCode, const std::string& identification) const {
    return autoSelect_ ? AutomaticCodePage(systemCode, identification) : 0;
}

bool MapCodePageChoice::SelectAutoCharset(const std::string& systemCode, const std::string& identification) {
    const int codePage = AutoCharset(systemCode, identification);
    if (codePage == 0) return false;
    SetMapCodePage(codePage);
    return true;
}
