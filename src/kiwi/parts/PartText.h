// Text of the small KIWI parts (RDS-TMC, voice dictionary): the stored bytes and their decoding through
// the map text code pages.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>

#include "kiwi/core/Failure.h"

struct TLN_PartText {
    QByteArray Raw; // the bytes as stored, cut at the first terminator
    QString Text;   // decoded for display
    // Why the text cannot be read whole (no failure when it can): what the file holds of it is in Raw and
    // Text.
    Failure Error;
};

// Cuts raw at its first terminator (a zero 16-bit unit in code page 1200, a zero byte otherwise) and
// decodes it with MapTextCodePage and MapAnsiCodePage.
TLN_PartText DecodePartText(const QByteArray& raw);
