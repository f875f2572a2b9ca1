// The files of an output folder that a conversion run and its finishing tasks would replace or remove:
// what a front end names, and asks about, before the run, so that nothing the user did not choose goes.
#pragma once

#include <string>
#include <vector>

#include "converter/job/CompletionRun.h"

// The paths of those files that exist in folder (names matched as the run matches them, ignoring case), in
// the order the run meets them; finish says which finishing tasks follow the run.
std::vector<std::string> FilesARunReplaces(const std::string& folder, const CompletionOptions& finish);
