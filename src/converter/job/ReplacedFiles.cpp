// The output folder's files that a run replaces: the map, its log, the CMP list it writes or removes, and
// the finishing tasks' volumes, lists, region, voice and read-me files.
#include "converter/job/ReplacedFiles.h"

#include "converter/output/ProducedFile.h"

std::vector<std::string> FilesARunReplaces(const std::string& folder, const CompletionOptions& finish) {
    std::vector<std::string> names{"ALLDATA.KWI", "Log.txt", "05.CMP"};
    for (int n = 1; finish.split && n <= 15; ++n)
        names.push_back(VolumeName(n));
    if (finish.fileCon) names.push_back("FILECON.MNG");
    if (finish.region) names.push_back("REGION.KWI");
    if (finish.voice) names.push_back("STDVCE.KWI");
    if (finish.split || finish.fileCon || finish.region || finish.voice) names.push_back("ReadMe.txt");
    std::vector<std::string> found;
    for (const std::string& name : names)
        if (std::string path = FindInFolder(folder, name); !path.empty()) found.push_back(std::move(path));
    return found;
}
