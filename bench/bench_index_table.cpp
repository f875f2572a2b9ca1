// An index table of 1 000 000 records in a data grid scrolled to its end: how many records the table reads
// for it and how long it takes, for fixed-size records (every row at once) and for records of variable
// length (fetched in steps; the stored lengths are walked once as rows are fetched).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QTableView>

#include <chrono>
#include <cstdio>

#include "kiwi/index/IndexRecords.h"
#include "kiwi/io/MemoryStream.h"
#include "mainwindow/model/index/IndexTableModel.h"

namespace {

constexpr int64_t kRecords = 1000000;

struct Figures {
    int64_t reads = 0;
    double ms = 0;
    int rows = 0;
};
Figures fixedFigures, variableFigures;

TLN_Definition_Column column(const char* name, const char* type, uint16_t count) {
    TLN_Definition_Column c;
    c.Name = name;
    c.TypeCode = type;
    c.ElementCount = count;
    return c;
}

// Records of 8 bytes: a length word count (4) at byte 1 when variable, a key and a value.
std::shared_ptr<IndexTable> table(bool variable) {
    std::vector<uint8_t> bytes(size_t(kRecords) * 8);
    for (int64_t i = 0; i < kRecords; ++i) {
        uint8_t* r = bytes.data() + i * 8;
        r[0] = 0x10;
        r[1] = 4;
        r[2] = uint8_t(i >> 24), r[3] = uint8_t(i >> 16), r[4] = uint8_t(i >> 8), r[5] = uint8_t(i);
        r[6] = 0xAB, r[7] = 0xCD;
    }
    TLN_Definition_Frame definition;
    definition.Columns = {column(variable ? "FDRL" : "HEAD", "UB", 2), column("KEY ", "UL", 1),
                          column("VALU", "UW", 1)};
    IndexTableSource source;
    source.stream = std::make_shared<TLN_MemoryStream>(std::move(bytes));
    source.start = 0;
    source.recordSize = variable ? 0 : 8;
    source.count = kRecords;
    source.frameEnd = kRecords * 8;
    return std::make_shared<IndexTable>(QStringLiteral("BENCH"), QStringLiteral("Bench"),
                                        IndexLayout(definition), source);
}

void scrollToEnd(bool variable, Figures& figures) {
    const auto data = table(variable);
    IndexTableModel model(data);
    QTableView view;
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.resize(900, 600);
    const auto start = std::chrono::steady_clock::now();
    view.setModel(&model);
    view.show();
    // A grid scrolled to its end fetches what it shows; fetching every step is what scrolling does.
    while (model.canFetchMore({}))
        model.fetchMore({});
    view.scrollToBottom();
    view.grab();
    figures.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    figures.reads = data->RecordReads();
    figures.rows = model.rowCount();
}

void BM_FixedRecordsScrollToEnd(benchmark::State& state) {
    for (auto _ : state)
        scrollToEnd(false, fixedFigures);
}
BENCHMARK(BM_FixedRecordsScrollToEnd)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_VariableRecordsScrollToEnd(benchmark::State& state) {
    for (auto _ : state)
        scrollToEnd(true, variableFigures);
}
BENCHMARK(BM_VariableRecordsScrollToEnd)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::printf(
        "fixed-size index table of %lld rows scrolled to its end: %d rows, %lld records read, %.1f ms\n",
        static_cast<long long>(kRecords), fixedFigures.rows, static_cast<long long>(fixedFigures.reads),
        fixedFigures.ms);
    std::printf(
        "variable-length index table of %lld rows fetched and scrolled to its end: %d rows, %lld records "
        "read, %.1f ms\n",
        static_cast<long long>(kRecords), variableFigures.rows, static_cast<long long>(variableFigures.reads),
        variableFigures.ms);
    return 0;
}
