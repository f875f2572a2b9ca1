// The code page table of the charset menu and the automatic choice from the map's system code.
#include "mainwindow/model/MapCodePageChoice.h"

#include "kiwi/core/MapCodePage.h"

namespace {
struct CodePageRow {
    int codePage;
    const char* status;
    // The code page text is converted into for display (0 = the system's).
    int ansiCodePage;
};
constexpr CodePageRow kRows[] = {
    {65001, "UTF-8", 0},         {1200, "UTF-16", 0},         {28591, "ISO 8859-1", 1252},
    {28592, "ISO 8859-2", 1250}, {28595, "ISO 8859-5", 1251}, {50220, "ISO 8859-JP", 0},
    {1251, "ANSI-1251", 1251},
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

int MapCodePageChoice::AutomaticCodePage(const std::string& systemCode, const std::string& identification) {
    if (systemCode == "AFEU:2" || systemCode == "AFUS:2" || systemCode == "AFUS:4") return 28591;
    if (systemCode == "AFEU:4") return 65001;
    if (systemCode.compare(0, 3, "AFJ") == 0) return 50220;
    if (identification.compare(0, 3, "ARU") == 0) return 28595;
    return 0;
}

bool MapCodePageChoice::SetMapCodePage(int codePage) {
    const CodePageRow* row = rowOf(codePage);
    if (row) MapAnsiCodePage.store(row->ansiCodePage);
    checked_ = row ? codePage : 0;
    MapTextCodePage.store(codePage);
    return row != nullptr;
}

bool MapCodePageChoice::SelectAutoCharset(const std::string& systemCode, const std::string& identification) {
    if (!autoSelect_) return false;
    const int codePage = AutomaticCodePage(systemCode, identification);
    if (codePage == 0) return false;
    SetMapCodePage(codePage);
    return true;
}
