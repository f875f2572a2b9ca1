// The first-run installation of the sample disc: its image in the user's data folder and, while the
// program's reopen list is empty, the settings that make the image the list's first entry.
#pragma once

#include <QString>

// "$XDG_DATA_HOME/strovane/sample-disc.iso" ($XDG_DATA_HOME defaults to ~/.local/share).
QString sampleImagePath();

// Writes the image and the town's Polish-format map beside it when they are missing, and seeds the reopen
// list when it is empty, adding a line per step to report. False with a message in error on failure.
bool installSampleDisc(QString& report, QString& error);
