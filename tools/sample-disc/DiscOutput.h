// Writing the sample disc: its files into a folder, and its ISO 9660 image made by xorriso.
#pragma once

#include <QString>

#include "SampleDisc.h"

// Writes every file into folder (created when missing), each to a temporary name renamed into place.
// False with a message in error when a file cannot be written.
bool writeDiscFolder(const QString& folder, const DiscFiles& files, QString& error);

// Runs xorriso (an external process with an argument list, no shell) on the files of folder that files
// names, writing the image under a temporary name beside imagePath and renaming it into place only when
// xorriso succeeded. Nothing else in folder goes into the image: the image itself, its temporary folder
// and anything else the folder holds stay out.
bool buildIsoImage(const QString& folder, const DiscFiles& files, const QString& imagePath, QString& error);
