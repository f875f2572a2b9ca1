// Writing the sample disc: its files into a folder, and its ISO 9660 image made by xorriso.
#pragma once

#include <QString>

#include "SampleDisc.h"

// Writes every file into folder (created when missing), each to a temporary name renamed into place.
// False with a message in error when a file cannot be written.
bool writeDiscFolder(const QString& folder, const DiscFiles& files, QString& error);

// Runs xorriso (an external process with an argument list, no shell) on folder, writing the image under a
// temporary name beside imagePath and renaming it into place only when xorriso succeeded.
bool buildIsoImage(const QString& folder, const QString& imagePath, QString& error);
