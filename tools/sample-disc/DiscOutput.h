// Writing the sample disc: its files into a folder, and its ISO 9660 image made by xorriso.
#pragma once

#include <QString>
#include <atomic>

#include "SampleDisc.h"

// Set by a stop signal (SIGINT, SIGTERM, SIGHUP): the writers stop at their next step, xorriso is ended,
// and nothing half-made is left. Lock-free, so a signal handler may set it.
std::atomic<bool>& discOutputStop();

// Writes size bytes to path through the guarded writer (a temporary file renamed into place on success);
// false with the reason in error when it cannot, or when a stop was asked for.
bool writeWholeFile(const QString& path, const char* data, size_t size, QString& error);

// Writes every file into folder (created when missing), each to a temporary name renamed into place.
// False with a message in error when a file cannot be written.
bool writeDiscFolder(const QString& folder, const DiscFiles& files, QString& error);

// Why imagePath cannot take the image of the disc written into folder: it is one of the disc's files there
// (by name or as another name of it); empty when it can.
QString imageOverDiscFile(const QString& folder, const DiscFiles& files, const QString& imagePath);

// Runs xorriso (an external process with an argument list, no shell) on the files of folder that files
// names, writing the image under a temporary name beside imagePath and renaming it into place only when
// xorriso succeeded. An imagePath that is one of the disc's files in folder is refused. Nothing else in
// folder goes into the image: the image itself, its temporary folder and anything else the folder holds stay
// out.
bool buildIsoImage(const QString& folder, const DiscFiles& files, const QString& imagePath, QString& error);
