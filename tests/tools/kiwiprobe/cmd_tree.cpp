// kiwiprobe tree: the record tree of a source as the program opens it (its own opener) and builds it,
// crawled to a bounded depth, one node per line (caption, kind, index, offset, file, expandable, reader),
// optionally with each node's field grid rows and the side effects its view asked for. --per-kind N lists
// only the first N nodes of each kind (the crawl still visits every node); --codepage CP decodes map texts
// in CP as the charset menu would, with the automatic choice off.
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "ProbeCommand.h"
#include "kiwi/core/FileNames.h"
#include "mainwindow/model/MapCodePageChoice.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/SourceFiles.h"
#include "mainwindow/model/SourceOpener.h"
#include "support/model/GridDump.h"
#include "support/model/TreeDump.h"
#include "support/model/ViewHostLog.h"

namespace {

// Opens what the program would: an ISO image, a folder or one file. Its messages go to stderr, one line
// each, naming the files as they are.
OpenOutcome openSource(SourceOpener& opener, const std::string& path, const std::string& image) {
    OpenOutcome outcome;
    std::error_code error;
    if (!image.empty())
        outcome = opener.OpenIsoImage(ToQtPath(image));
    else if (std::filesystem::is_directory(path, error))
        outcome = opener.OpenFolder(ToQtPath(path));
    else
        outcome = opener.OpenFile(ToQtPath(path));
    std::cerr << DumpOpenMessages(outcome, QString());
    return outcome;
}

// The crawl of DumpSource with at most perKind nodes of each kind listed (with their rows when shown).
std::string dumpPerKind(RecordTree& tree, OpenData& data, CrawlOptions options, bool shown, int perKind) {
    FieldGridModel gridModel;
    FieldGrid grid(gridModel);
    ViewHostLog host;
    host.SetTree(&tree);
    KindContext context{grid, host, data};
    std::ostringstream out;
    std::map<int, int> listed;
    options.select = shown;
    options.visit = [&](RecordNode& node, int depth, const std::string& error) {
        const std::vector<std::string> effects = host.Take();
        if (++listed[node.kind] > perKind) return;
        const std::string indent(size_t(depth) * 2, ' ');
        out << indent << DumpNodeLine(node) << (error.empty() ? "" : " error " + error) << "\n";
        if (!shown) return;
        for (const QString& row : DumpGrid(gridModel).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            out << indent << "  | " << row.toStdString() << "\n";
        for (const std::string& line : effects)
            out << indent << "  " << line << "\n";
    };
    const CrawlResult result = CrawlTree(tree, context, options);
    out << "nodes " << result.nodes << " select errors " << result.selectErrors << " expand errors "
        << result.expandErrors << (result.capped ? " capped" : "") << "\n";
    grid.Clear();
    return out.str();
}

int treeCommand(const probe::Args& args) {
    const auto& paths = args.words();
    const std::string image = args.value("--image");
    if (image.empty() ? paths.size() != 1 : !paths.empty()) {
        std::cerr << "tree: give a folder or a file, or --image IMAGE\n";
        return 2;
    }
    const std::string path = image.empty() ? paths[0] : std::string();
    CrawlOptions options;
    options.maxDepth = int(args.number("--depth", 12, 0, INT_MAX));
    options.maxNodes = int(args.number("--max-nodes", 20000, 0, INT_MAX));
    const int perKind = int(args.number("--per-kind", 0, 0, INT_MAX));
    const int codePage = args.codePage("--codepage", -1);
    OpenData data;
    RecordTree tree;
    MapCodePageChoice codePages;
    if (codePage >= 0) {
        codePages.SetAutoSelect(false);
        codePages.SetMapCodePage(codePage);
    }
    SourceOpener opener(tree, data, codePages);
    const OpenOutcome outcome = openSource(opener, path, image);
    if (!outcome.found) {
        std::cerr << "no KIWI data in " << fileNamePart(image.empty() ? path : image) << "\n";
        SourceOpener::CloseAllHeadless(tree, data);
        return 1;
    }
    const bool shown = args.has("--grid");
    std::cout << (perKind > 0 ? dumpPerKind(tree, data, options, shown, perKind)
                              : DumpSource(tree, data, options, shown));
    // The tree goes before the readers the window holds, and the image last.
    SourceOpener::CloseAllHeadless(tree, data);
    return 0;
}

probe::Register
    reg("tree", "PATH | --image IMAGE [--depth N] [--max-nodes N] [--grid] [--per-kind N] [--codepage CP]",
        "The record tree of a folder, a file or an image as the program opens it; --grid adds what each "
        "node shows.",
        treeCommand);

} // namespace
