// What the window tests share: recording desktop services (the colour chooser among them), recording hex and
// map views, a per-test settings and runtime folder, a guard that fails the test when a modal window
// appears, and a wait on the event loop.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMainWindow>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include "hexview/model/HexViewApi.h"
#include "kiwi/io/Stream.h"
#include "mapview/core/MapViewApi.h"
#include "support/fixtures/QtPrinting.h"
#include "support/fixtures/ScopedEnvironment.h"
#include "support/window/MapViewPlaceholder.h"
#include "widgets/Services.h"

namespace windowtest {

// One shared log, so that tests can see the order of calls across the fakes.
using Log = std::vector<std::string>;

class RecordingMessenger : public Messenger {
public:
    void Error(QWidget*, const QString& text) override { errors << text; }
    void Information(QWidget*, const QString& text) override { information << text; }
    bool Question(QWidget*, const QString& text) override {
        questions << text;
        return answer;
    }
    std::optional<bool> QuestionOrCancel(QWidget*, const QString& title, const QString& text) override {
        questions << title + "|" + text;
        if (cancels) return std::nullopt;
        return answer;
    }
    QStringList errors, information, questions;
    bool answer = false;
    // Three-way questions are cancelled.
    bool cancels = false;
};

// Tells warning boxes from questions.
class WarningMessenger : public RecordingMessenger {
public:
    bool Warning(QWidget*, const QString& text) override {
        warnings << text;
        return answer;
    }
    QStringList warnings;
};

class RecordingPathChooser : public PathChooser {
public:
    struct Call {
        std::string kind;
        QString title, filter, start;
    };
    QString OpenFile(QWidget*, const QString& title, const QString& filter, const QString& start) override {
        calls.push_back({"file", title, filter, start});
        return answer;
    }
    QStringList OpenFiles(QWidget*, const QString& title, const QString& filter,
                          const QString& start) override {
        calls.push_back({"files", title, filter, start});
        return answers;
    }
    QString Folder(QWidget*, const QString& title, const QString& start) override {
        calls.push_back({"folder", title, {}, start});
        return answer;
    }
    QString Disk(QWidget*, const QString& title) override {
        calls.push_back({"disk", title, {}, {}});
        return answer;
    }
    QString SaveFile(QWidget*, const QString& title, const QString& filter, const QString& start) override {
        calls.push_back({"save", title, filter, start});
        return answer;
    }
    QString SaveFileUnconfirmed(QWidget*, const QString& title, const QString& filter,
                                const QString& start) override {
        calls.push_back({"save, asking nothing", title, filter, start});
        return answer;
    }
    std::vector<Call> calls;
    QString answer;
    // What OpenFiles gives; empty stands for a cancelled choice.
    QStringList answers;
};

class RecordingUrls : public UrlOpener {
public:
    bool Open(const QUrl& url) override {
        urls << url.toString();
        return opens;
    }
    QStringList urls;
    bool opens = true; // false: no program shows the document
};

class RecordingProcesses : public ProcessLauncher {
public:
    bool StartDetached(const QString& program, const QStringList& arguments) override {
        started << (QStringList{program} + arguments);
        return true;
    }
    QList<QStringList> started;
};

// Answers colour choices with a colour set by the test (none: the user cancels) and records the colours
// the choice started from.
class RecordingColors : public ColorChooser {
public:
    std::optional<QColor> Choose(QWidget*, const QColor& initial) override {
        initials << initial;
        return answer;
    }
    QList<QColor> initials;
    std::optional<QColor> answer;
};

// Answers password boxes with a text set by the test (none: the user cancels) and records each box as
// "title|prompt".
class RecordingTexts : public TextInput {
public:
    std::optional<QString> Password(QWidget*, const QString& title, const QString& prompt) override {
        asked << title + "|" + prompt;
        return answer;
    }
    QStringList asked;
    std::optional<QString> answer;
};

class RecordingHexView : public HexViewApi {
public:
    explicit RecordingHexView(Log& log) : log_(log) {}
    void SetStream(std::shared_ptr<TLN_Stream> stream, int64_t offset) override {
        stream_ = std::move(stream);
        log_.push_back("hex stream " + std::to_string(offset));
    }
    void SetOwnedStream(std::shared_ptr<TLN_Stream> stream, int64_t offset) override {
        stream_ = std::move(stream);
        log_.push_back("hex owned stream " + std::to_string(offset));
    }
    // The stream shown (null when cleared).
    const std::shared_ptr<TLN_Stream>& Stream() const { return stream_; }
    void GotoOffset(int64_t offset) override { log_.push_back("hex goto " + std::to_string(offset)); }
    void Clear() override {
        stream_.reset();
        log_.push_back("hex clear");
    }
    void SetCodePageName(const QString& name) override { codePageName = name; }
    void SetDisplayCodePage(int codePage) override { displayCodePage = codePage; }
    bool HasStream() const override { return stream_ != nullptr; }

    QString codePageName;
    int displayCodePage = -1;

private:
    Log& log_;
    std::shared_ptr<TLN_Stream> stream_;
};

class RecordingMapView : public StoredMapView {
public:
    explicit RecordingMapView(Log& log) : log_(log) { colours_.fill(0x00112233); }
    void SetMap(std::shared_ptr<TLN_KiwiMap> m) override {
        StoredMapView::SetMap(std::move(m));
        log_.push_back(map_ ? "map set" : "map none");
    }
    void SetRoadColors(const std::array<uint32_t, 16>& c) override {
        StoredMapView::SetRoadColors(c);
        log_.push_back("map colours");
    }
    void NamesChanged() override {
        StoredMapView::NamesChanged();
        log_.push_back("map names");
    }
    void SetLayers(int mask, bool repaint) override {
        StoredMapView::SetLayers(mask, repaint);
        log_.push_back("map layers " + std::to_string(mask) + (repaint ? " repaint" : ""));
    }

private:
    Log& log_;
};

// Runs the event loop until done() holds or timeoutMs passes; returns done().
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

// The window's tabs, and whether a page's tab is shown.
inline QTabWidget* tabsOf(const QMainWindow& window) {
    return qobject_cast<QTabWidget*>(window.centralWidget());
}
inline bool tabShown(const QMainWindow& window, QWidget* page) {
    const int index = page ? tabsOf(window)->indexOf(page) : -1;
    return index >= 0 && tabsOf(window)->isTabVisible(index);
}

// Presses Enter on a widget as the keyboard does.
inline void pressEnter(QWidget* widget) {
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
}

// Fails the running test and closes the window when a modal window shows while the guard lives: every
// dialog of the windows must go through the recording services.
class ModalGuard {
public:
    ModalGuard() {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "a modal window appeared: " << modal->windowTitle().toStdString();
                modal->close();
            }
        });
        timer_.start();
    }
    ~ModalGuard() { EXPECT_EQ(QApplication::activeModalWidget(), nullptr); }

private:
    QTimer timer_;
};

// Each window test gets its own settings and runtime folders and the recording services.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() {
        QApplication::setApplicationName(QStringLiteral("Strovane"));
        services.messenger = &messenger;
        services.paths = &paths;
        services.urls = &urls;
        services.processes = &processes;
        services.colors = &colors;
        services.texts = &texts;
        services.beep = [] {};
    }

    QString path(const QString& name) const { return sandbox.path() + "/" + name; }
    std::string spath(const std::string& name) const { return (sandbox.path() + "/").toStdString() + name; }

    QTemporaryDir config;
    QTemporaryDir runtime;
    QTemporaryDir sandbox;
    QTemporaryDir dataHome;
    fixture::ScopedEnvironment configHome{"XDG_CONFIG_HOME", config.path().toUtf8()};
    fixture::ScopedEnvironment dataHomeDir{"XDG_DATA_HOME", dataHome.path().toUtf8()};
    fixture::ScopedEnvironment runtimeDir{"XDG_RUNTIME_DIR", runtime.path().toUtf8()};
    RecordingMessenger messenger;
    RecordingPathChooser paths;
    RecordingUrls urls;
    RecordingProcesses processes;
    RecordingColors colors;
    RecordingTexts texts;
    Services services;
    Log log;
    RecordingHexView hex{log};
    RecordingMapView mapView{log};
    ModalGuard modalGuard;
};

} // namespace windowtest
