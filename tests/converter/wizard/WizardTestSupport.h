// What the converter wizard's window tests share: the window tests' recording services and settings
// folder, a recording taskbar, a plain source map on disk and runs that stand in for the converter.
#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

#include "WizardSources.h"
#include "converter/wizard/ConverterWizard.h"
#include "mainwindow/WindowTestSupport.h"
#include "platform/TaskBar.h"
#include "support/window/RecordingTaskbarBackend.h"

namespace wizardtest {

using RecordingBackend = testsupport::RecordingTaskbarBackend;

// A run that ends at once with the given status.
inline ConversionWork finishedWork(ConversionStatus status, const Failure& why = {}) {
    return [status, why](ConversionProgress& progress, const std::atomic<bool>&) {
        progress.AddLog("Creating New Map started...");
        ConversionResult result;
        result.SetFailure(status, why);
        return result;
    };
}

// A run that works until it is asked to stop.
inline ConversionWork endlessWork(std::atomic<int>* steps = nullptr) {
    return [steps](ConversionProgress& progress, const std::atomic<bool>& stop) {
        progress.SetTaskBarProgress(1, 2);
        while (!stop.load()) {
            if (steps) ++*steps;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ConversionResult result;
        result.status = ConversionStatus::Stopped;
        return result;
    };
}

// The wizard's control of that objectName: the window tests' only way to its widgets. A missing or
// doubled name fails the test here rather than crashing it later.
template <class Control> Control* control(const ConverterWizard& wizard, const char* objectName) {
    const auto found = wizard.findChildren<Control*>(QLatin1String(objectName));
    EXPECT_EQ(found.size(), 1) << objectName;
    return found.isEmpty() ? nullptr : found.front();
}

class WizardTest : public windowtest::WindowTest {
protected:
    WizardTest() {
        services.messenger = &messenger;
        std::filesystem::create_directories(spath("src"));
        std::filesystem::create_directories(spath("out"));
        std::ofstream(spath("src/ALLDATA.KWI")) << "source map";
    }
    // An open, uncompressed map of system number 4 with Management 32 and the usual display classes.
    ConverterSource plainSource() const { return wizardtest::plainConverterSource(spath("src/ALLDATA.KWI")); }
    std::unique_ptr<ConverterWizard> make(ConverterSource source) {
        auto wizard = std::make_unique<ConverterWizard>(std::move(source), services, taskBar);
        wizard->SetCreationFactory([](const std::string&, const ConversionOptions&, const WizardRunInputs&) {
            return finishedWork(ConversionStatus::Done);
        });
        return wizard;
    }
    // Next until the page is reached (at most the whole table).
    static void nextTo(ConverterWizard& wizard, WizardPage page) {
        for (int i = 0; i < kWizardPageCount && wizard.CurrentPage() != page; ++i)
            wizard.NextBtnClick();
    }
    windowtest::WarningMessenger messenger;
    RecordingBackend backend;
    TaskBar taskBar{&backend};
};

} // namespace wizardtest
