// How long the converter wizard's window stops answering while it loads and saves a 1 000 000-line
// dictionary: a 1 ms timer on the window's thread records the longest gap between its ticks (the click
// itself included), against the same load and save done on the window's thread (printed, never failed;
// the aim is under 100 ms; STROVANE_BENCH_DICT_STALL_LINES makes it smaller).
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "converter/wizard/ConverterWizard.h"
#include "converter/wizard/ConverterWizardDictionary.h"
#include "platform/TaskBar.h"
#include "support/walkers/CommandNumber.h"

namespace {

class QuietMessenger : public Messenger {
public:
    void Error(QWidget*, const QString&) override {}
    void Information(QWidget*, const QString&) override {}
    bool Question(QWidget*, const QString&) override { return false; }
};

// Answers every file choice with one path.
class FixedPaths : public PathChooser {
public:
    QString OpenFile(QWidget*, const QString&, const QString&, const QString&) override { return answer; }
    QStringList OpenFiles(QWidget*, const QString&, const QString&, const QString&) override {
        return {answer};
    }
    QString Folder(QWidget*, const QString&, const QString&) override { return answer; }
    QString Disk(QWidget*, const QString&) override { return answer; }
    QString SaveFile(QWidget*, const QString&, const QString&, const QString&) override { return answer; }
    QString answer;
};

int lineCount() {
    return int(BenchSizeVariable("STROVANE_BENCH_DICT_STALL_LINES", 1000000, 1, INT_MAX));
}

void writeDictionary(const std::string& path, int lines) {
    std::ofstream file(path, std::ios::binary);
    for (int i = 0; i < lines; ++i) {
        const uint32_t n = uint32_t((uint64_t(i) * 2654435761u) % uint64_t(lines));
        std::string key = "W";
        for (uint32_t v = n;; v /= 26) {
            key += char('a' + v % 26);
            if (v < 26) break;
        }
        file << key << "=\xC0\xC1\xC2" << n << "\r\n";
    }
}

// The longest time the window's thread went without running its 1 ms timer while action and the work it
// starts run, in milliseconds.
double longestStall(ConverterWizard& wizard, const std::function<void()>& action) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    tick.start();
    QEventLoop loop;
    QTimer::singleShot(0, [&] {
        last = clock.nsecsElapsed();
        action();
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!wizard.DictionaryBusy()) loop.quit();
    });
    watch.start(5);
    loop.exec();
    return double(longest) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The wizard reads and writes its settings: a scratch settings folder keeps the user's own untouched.
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toUtf8());
    QApplication app(argc, argv);
    const int lines = lineCount();
    const std::string text = folder.filePath(QStringLiteral("dictionary.txt")).toStdString();
    writeDictionary(text, lines);

    // The same work on the window's thread: what the window used to wait for.
    QElapsedTimer clock;
    clock.start();
    LatRusDictionary direct;
    direct.LoadFromTextFile(text);
    const double directLoad = double(clock.nsecsElapsed()) / 1e6;
    clock.restart();
    direct.SaveToTextFile(folder.filePath(QStringLiteral("direct.txt")).toStdString());
    const double directSave = double(clock.nsecsElapsed()) / 1e6;

    QuietMessenger messenger;
    FixedPaths paths;
    Services services;
    services.messenger = &messenger;
    services.paths = &paths;
    TaskBar taskBar(nullptr);
    ConverterSource source;
    source.mapOpen = true;
    source.levelCount = 4;
    source.backgroundCodes = {1, 2, 3, 26, 18, 14};
    source.nameCodes = {0, 1, 9, 7, 8};
    source.north = 200000;
    source.south = 100000;
    source.west = 50000;
    source.east = 150000;
    ConverterWizard wizard(source, services, taskBar, true);
    wizard.SetDictionary(std::make_unique<EditorWizardDictionary>(messenger));
    wizard.show();
    wizard.findChild<QCheckBox*>(QStringLiteral("translateCheckBox"))->click();
    wizard.NextBtnClick();
    paths.answer = QString::fromStdString(text);
    const double loadStall = longestStall(wizard, [&] { wizard.LoadDictionaryBtnClick(); });
    paths.answer = folder.filePath(QStringLiteral("saved.txt"));
    const double saveStall = longestStall(wizard, [&] { wizard.SaveDictionaryBtnClick(); });

    std::printf("dictionary of %d lines, window thread's longest stall (aim under 100 ms):\n", lines);
    std::printf("  load: %.1f ms in the background (%.1f ms on the window's thread: %.3fx)\n", loadStall,
                directLoad, loadStall / directLoad);
    std::printf("  save: %.1f ms in the background (%.1f ms on the window's thread: %.3fx)\n", saveStall,
                directSave, saveStall / directSave);
    std::printf("  %s\n", std::max(loadStall, saveStall) < 100 ? "aim met" : "aim missed");
    return 0;
}
