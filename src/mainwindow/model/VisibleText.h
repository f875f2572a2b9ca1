// What the windows show of a text read from data: bytes that are not text (control codes, line breaks
// among them) replaced, so that a damaged or misread record never reaches a cell or a caption raw.
#pragma once

#include <QString>

// What is shown for a byte that is not text: a dot, as the hex viewer shows it.
inline constexpr QChar kNotTextMark{u'.'};

// text with every control character (C0, DEL and C1) and every byte its decoder could not read (U+FFFD)
// replaced by kNotTextMark.
QString VisibleText(const QString& text);
