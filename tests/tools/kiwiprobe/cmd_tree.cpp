// kiwiprobe tree: the record tree of a source as the program opens it (its own opener) and builds it,
// crawled to a bounded depth, one node per line (caption, kind, index, offset, file, expandable, reader),
// optionally with each node's field grid rows and the side effects its view asked for.
#include <filesystem>
#include <iostream>
#include <string>

#include "ProbeCommand.h"
#include "kiwi/core/FileNames.h"
#include "mainwindow/model/MapCodePageChoice.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/SourceFiles.h"
#include "mainwindow/model/SourceOpener.h"
#include "mainwindow/model/TreeDump.h"

namespace {

// Opens what the program would: an ISO image, a folder or one file. Its messages are printed on one line
// each, the source's folder written as "<dir>" so that the output does not depend on where it lies.
OpenOutcome openSource(SourceOpener& opener, const std::string& path, const std::string& image) {
    OpenOutcome outcome;
    std::error_code error;
    if (!image.empty())
        outcome = opener.OpenIsoImage(ToQtPath(image));
    else if (std::filesystem::is_directory(path, error))
        outcome = opener.OpenFolder(ToQtPath(path));
    else
        outcome = opener.OpenFile(ToQtPath(path));
    std::cout << DumpOpenMessages(outcome, ToQtPath(folderPart(path.empty() ? image : path)));
    return outcome;
}

int treeCommand(const probe::Args& args) {
    const probe::Args paths = probe::positional(args, {"--image", "--depth", "--max-nodes"});
    const std::string image = probe::option(args, "--image");
    if (image.empty() ? paths.size() != 1 : !paths.empty()) {
        std::cerr << "tree: give a folder or a file, or --image IMAGE\n";
        return 2;
    }
    const std::string path = image.empty() ? paths[0] : std::string();
    OpenData data;
    RecordTree tree;
    MapCodePageChoice codePages;
    SourceOpener opener(tree, data, codePages);
    const OpenOutcome outcome = openSource(opener, path, image);
    if (!outcome.found) {
        std::cout << "no KIWI data in " << fileNamePart(image.empty() ? path : image) << "\n";
        SourceOpener::CloseAllHeadless(tree, data);
        return 1;
    }
    CrawlOptions options;
    options.maxDepth = int(probe::parseNumber(probe::option(args, "--depth", "12")));
    options.maxNodes = int(probe::parseNumber(probe::option(args, "--max-nodes", "20000")));
    std::cout << DumpSource(tree, data, options, probe::hasFlag(args, "--grid"));
    // The tree goes before the readers the window holds, and the image last.
    SourceOpener::CloseAllHeadless(tree, data);
    return 0;
}

probe::Register reg("tree", "PATH | --image IMAGE [--depth N] [--max-nodes N] [--grid]", treeCommand);

} // namespace
