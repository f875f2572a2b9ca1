// The program's reopen list as it reads it from the settings, and the settings that make the sample disc
// its first entry.
#pragma once

#include <QString>
#include <QStringList>

// The paths of the reopen list, read the way the program reads them: "ReopenData" (text lines, each
// followed by CR LF; CR LF or LF accepted, empty lines skipped) when it holds any, whatever
// "ReopenDataSize" says; otherwise the older single values: "Disk" when not empty, "Folder" when that
// folder exists, "File" and "IsoFile" when those files exist.
QStringList readReopenList();

// Stores imagePath as the only reopen entry ("ReopenData" with its CR LF, "ReopenDataSize") and as the last
// ISO image ("IsoFile"). False when a value could not be saved, or when the path holds CR or LF (the list
// would read it as several entries).
bool storeSampleInReopenList(const QString& imagePath);
