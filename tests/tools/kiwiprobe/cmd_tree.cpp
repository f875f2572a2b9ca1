// kiwiprobe tree: the record tree of a source as the program builds it, crawled to a bounded depth, one
// node per line (caption, kind, index, offset, file, expandable, reader), optionally with each node's
// field grid rows and the side effects its view asked for.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ProbeCommand.h"
#include "ProbeRoots.h"
#include "kiwi/core/FileNames.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/TreeDump.h"
#include "mainwindow/model/ViewHost.h"

namespace {

// Virtual rows printed per node before the rest are counted.
constexpr int kVirtualRowLimit = 200;

// Records what views ask of the window, one line each.
class LoggingHost : public ViewHost {
public:
    std::vector<std::string> log;

    void ShowInHexViewer(const std::shared_ptr<TLN_Stream>& stream, int64_t offset) override {
        log.push_back(stream ? "@hex " + fileNamePart(stream->FileName()) + " " + std::to_string(offset)
                             : "@hex none");
    }
    void ShowPicture(const QImage& image) override {
        log.push_back(image.isNull() ? "@picture none"
                                     : "@picture " + std::to_string(image.width()) + "x" +
                                           std::to_string(image.height()));
    }
    void ShowPlayButton(std::function<void()> play) override {
        log.push_back(play ? "@playbutton on" : "@playbutton off");
    }
    void PlaySound(std::vector<uint8_t> waveImage) override {
        log.push_back("@play " + std::to_string(waveImage.size()));
    }
    void AddChildren(RecordNode& node, std::vector<std::unique_ptr<RecordNode>> children) override {
        log.push_back("@children " + std::to_string(children.size()));
        if (tree) tree->AddChildren(node, std::move(children));
    }
    void Beep() override { log.push_back("@beep"); }
    void Progress(int value, int max) override {
        // Only the end of a progress run: the steps would fill the dump.
        if (max == 0 && value == 0) log.push_back("@progress end");
    }

    RecordTree* tree = nullptr;
};

std::string cell(const FieldGridModel& model, int row, int column) {
    return model.CellText(row, column).toStdString();
}

void printGrid(const FieldGridModel& model, const std::string& indent, std::ostream& out) {
    for (int row = 0; row < model.StoredRowCount(); ++row)
        out << indent << "| " << int(model.Row(row).tag) << "|" << cell(model, row, 0) << "|"
            << cell(model, row, 1) << "|" << cell(model, row, 2) << "\n";
    const int first = model.FirstVirtualRow();
    if (first == FieldGridModel::kNoVirtualRows) return;
    const int shown = std::min(model.VirtualRowCount(), kVirtualRowLimit);
    for (int i = 0; i < shown; ++i)
        out << indent << "| v|" << cell(model, first + i, 0) << "|" << cell(model, first + i, 1) << "|"
            << cell(model, first + i, 2) << "\n";
    if (model.VirtualRowCount() > shown)
        out << indent << "| ...(" << model.VirtualRowCount() - shown << " more)\n";
}

int treeCommand(const probe::Args& args) {
    const probe::Args paths = probe::positional(args, {"--image", "--depth", "--max-nodes"});
    if (!probe::oneArgument(paths, "tree: give a folder or a file")) return 2;
    if (!probe::mountImageOption(args, "tree")) return 1;
    OpenData data;
    RecordTree tree;
    const bool image = !probe::option(args, "--image").empty();
    const int roots = probe::openRoots(paths[0], image, tree, data);
    if (roots == 0) {
        std::cout << "no KIWI data in " << fileNamePart(paths[0]) << "\n";
        return 1;
    }
    FieldGridModel gridModel;
    FieldGrid grid(gridModel);
    LoggingHost host;
    host.tree = &tree;
    KindContext context{grid, host, data};
    CrawlOptions options;
    options.maxDepth = int(probe::parseNumber(probe::option(args, "--depth", "12")));
    options.maxNodes = int(probe::parseNumber(probe::option(args, "--max-nodes", "20000")));
    const bool withGrid = probe::hasFlag(args, "--grid");
    options.select = withGrid;
    options.visit = [&](RecordNode& node, int depth, const std::string& error) {
        const std::string indent(size_t(depth) * 2, ' ');
        std::cout << indent << DumpNodeLine(node);
        if (!error.empty()) std::cout << " error " << error;
        std::cout << "\n";
        if (!withGrid) return;
        printGrid(gridModel, indent + "  ", std::cout);
        for (const std::string& line : host.log)
            std::cout << indent << "  " << line << "\n";
        host.log.clear();
    };
    const CrawlResult result = CrawlTree(tree, context, options);
    std::cout << "nodes " << result.nodes << " select errors " << result.selectErrors << " expand errors "
              << result.expandErrors << (result.capped ? " capped" : "") << "\n";
    // The tree goes before the readers the window holds.
    tree.Clear();
    data.Clear();
    return 0;
}

probe::Register reg("tree", "PATH [--image IMAGE] [--depth N] [--max-nodes N] [--grid]", treeCommand);

} // namespace
