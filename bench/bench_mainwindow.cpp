// The main window's speed: filling the record tree with 50 000 children against a QStandardItemModel
// filled the same way, the row-text provider calls one paint of a 100 000-row virtual field grid costs,
// and the time to open the sample disc and expand "ALL DATA".
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTreeView>

#include <chrono>
#include <cstdio>

#include "BenchQuietHost.h"
#include "mainwindow/FieldGridView.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/MapCodePageChoice.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "mainwindow/model/SourceOpener.h"

namespace {

constexpr int kChildren = 50000;
constexpr int kListKind = 7001;

using bench::QuietHost;

struct Figures {
    double treeFillMs = 0;
    double standardFillMs = 0;
    int64_t providerCalls = 0;
    double openMs = 0;
    int allDataChildren = 0;
} figures;

// One list node whose builder makes kChildren children, shown in a tree view.
void BM_RecordTreeFill(benchmark::State& state) {
    NodeKinds kinds;
    kinds.Register({kListKind,
                    "ShowNotImplemented",
                    {},
                    [](KindContext&, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
                        out.reserve(kChildren);
                        for (int i = 0; i < kChildren; ++i)
                            out.push_back(
                                RecordNode::MakeChild(&node, 1, QStringLiteral("Record %1").arg(i), i));
                    }});
    FieldGridModel gridModel;
    FieldGrid grid(gridModel);
    QuietHost host;
    OpenData data;
    KindContext context{grid, host, data};
    for (auto _ : state) {
        RecordTree tree(kinds);
        RecordTreeModel model(tree, context);
        QTreeView view;
        view.setUniformRowHeights(true);
        view.setModel(&model);
        view.resize(400, 600);
        view.show();
        auto root = RecordNode::MakeChild(nullptr, kListKind, QStringLiteral("List"));
        root->hasChildren = true;
        tree.AddRoot(std::move(root));
        const auto start = std::chrono::steady_clock::now();
        view.expand(model.index(0, 0));
        if (model.canFetchMore(model.index(0, 0))) model.fetchMore(model.index(0, 0));
        QApplication::sendPostedEvents();
        view.viewport()->grab();
        figures.treeFillMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(model.rowCount(model.index(0, 0)));
    }
}
BENCHMARK(BM_RecordTreeFill)->Unit(benchmark::kMillisecond)->Iterations(5);

// The baseline: the same number of rows appended to a QStandardItemModel in one batch.
void BM_StandardModelFill(benchmark::State& state) {
    for (auto _ : state) {
        QStandardItemModel model;
        QTreeView view;
        view.setUniformRowHeights(true);
        view.setModel(&model);
        view.resize(400, 600);
        view.show();
        auto* list = new QStandardItem(QStringLiteral("List"));
        model.appendRow(list);
        const auto start = std::chrono::steady_clock::now();
        QList<QStandardItem*> rows;
        rows.reserve(kChildren);
        for (int i = 0; i < kChildren; ++i)
            rows.append(new QStandardItem(QStringLiteral("Record %1").arg(i)));
        list->insertRows(0, rows);
        view.expand(model.index(0, 0));
        view.viewport()->grab();
        figures.standardFillMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
}
BENCHMARK(BM_StandardModelFill)->Unit(benchmark::kMillisecond)->Iterations(5);

// One paint of a grid of 100 000 virtual rows: how often the provider is asked for a row's texts.
void BM_VirtualGridPaint(benchmark::State& state) {
    for (auto _ : state) {
        FieldGridModel model;
        FieldGrid grid(model);
        grid.AddSectionHeader(QStringLiteral("Packed Blocks"));
        grid.SetVirtualRows(100000, [](int row, int column, QString& text) {
            text = column == 0 ? QStringLiteral("Block %1").arg(row) : QString::number(row * 7);
            return true;
        });
        FieldGridView view;
        view.SetGridModel(&model);
        view.resize(1000, 700);
        view.show();
        const int64_t before = model.ProviderCalls();
        view.grab();
        figures.providerCalls = model.ProviderCalls() - before;
    }
}
BENCHMARK(BM_VirtualGridPaint)->Unit(benchmark::kMillisecond)->Iterations(3);

// The sample disc written by its tool, opened as a folder, "ALL DATA" expanded.
void BM_OpenSampleDisc(benchmark::State& state) {
    QTemporaryDir folder;
    QProcess tool;
    tool.start(QStringLiteral(STROVANE_SAMPLE_DISC_TOOL), {folder.path()});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0) {
        state.SkipWithError("the sample disc tool failed");
        return;
    }
    FieldGridModel gridModel;
    FieldGrid grid(gridModel);
    QuietHost host;
    for (auto _ : state) {
        RecordTree tree;
        OpenData data;
        KindContext context{grid, host, data};
        MapCodePageChoice codePages;
        SourceOpener opener(tree, data, codePages);
        const auto start = std::chrono::steady_clock::now();
        const OpenOutcome outcome = opener.OpenFolder(folder.path());
        int children = 0;
        if (outcome.expandRoot && tree.Expand(context, *outcome.expandRoot))
            children = int(outcome.expandRoot->children.size());
        figures.openMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        figures.allDataChildren = children;
        SourceOpener::CloseAllHeadless(tree, data);
    }
}
BENCHMARK(BM_OpenSampleDisc)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::printf("tree fill of %d children: %.1f ms; QStandardItemModel: %.1f ms (ratio %.2f)\n", kChildren,
                figures.treeFillMs, figures.standardFillMs,
                figures.standardFillMs > 0 ? figures.treeFillMs / figures.standardFillMs : 0.0);
    std::printf("one paint of a 100000-row virtual grid: %lld provider calls (aim <= 1000)\n",
                static_cast<long long>(figures.providerCalls));
    std::printf("open the sample disc and expand \"ALL DATA\": %.1f ms (%d children)\n", figures.openMs,
                figures.allDataChildren);
    return 0;
}
