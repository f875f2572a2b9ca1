// The roots of the record tree for a source, made the way the program opens a folder, a single file or
// the files of a mounted image. A stand-in until the program's own opener (SourceOpener of the model)
// is merged: then openRoots only calls it.
#pragma once

#include <string>

class RecordTree;
struct OpenData;

namespace probe {

// Adds the roots for path (a folder or a file; with inImage, a folder of the mounted image, "" or "." for
// its root) to tree and the readers the window would hold to data. Returns the number of roots added.
int openRoots(const std::string& path, bool inImage, RecordTree& tree, OpenData& data);

} // namespace probe
