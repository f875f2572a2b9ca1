// What the dialog tests share: recorded beeps and questions, a settings store per test, and a guard that
// fails when a modal window would open.
#pragma once

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPalette>
#include <QWidget>
#include <gtest/gtest.h>

#include "hexview/dialogs/DialogPrompts.h"
#include "hexview/dialogs/HexInputCombo.h"
#include "model/TempSettings.h"

namespace hexdialogstest {

struct RecordingPrompts {
    int beeps = 0;
    QStringList questions;
    bool answer = true;

    DialogPrompts Prompts() {
        DialogPrompts prompts;
        prompts.beep = [this] { ++beeps; };
        prompts.question = [this](QWidget*, const QString& text) {
            questions << text;
            return answer;
        };
        return prompts;
    }
};

class DialogTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(QApplication::activeModalWidget(), nullptr); }

    TempSettings settings;
    RecordingPrompts prompts;
};

inline QColor boxColor(const HexInputCombo* box) {
    return box->palette().color(QPalette::Active, QPalette::Base);
}

// Saves a picture for a person to look at when STROVANE_SCREENSHOT_DIR is set.
inline void keepPicture(const QImage& image, const QString& name) {
    const QByteArray folder = qgetenv("STROVANE_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    image.save(QString::fromLocal8Bit(folder) + "/" + name);
}

} // namespace hexdialogstest
