// Replacing what is not text in texts shown from data.
#include "mainwindow/model/VisibleText.h"

namespace {
// Control characters, and the mark a decoder leaves for a byte it could not read (a byte of 0x80 or
// above that is no character in the code page).
bool isControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == QChar::ReplacementCharacter;
}
} // namespace

QString VisibleText(const QString& text) {
    // Most texts hold none: they are returned as they are, without a copy.
    qsizetype first = 0;
    while (first < text.size() && !isControl(text[first].unicode()))
        ++first;
    if (first == text.size()) return text;
    QString shown = text;
    for (qsizetype i = first; i < shown.size(); ++i)
        if (isControl(shown[i].unicode())) shown[i] = kNotTextMark;
    return shown;
}
