// What the hex viewer window's tests share: dialogs that answer from the test and record what they were
// asked (the progress dialog shown without a modal wait), and a window built over the recording services.
#pragma once

#include <deque>
#include <optional>
#include <vector>

#include <QPointer>

#include "hexview/HexGrid.h"
#include "hexview/HexViewerWindow.h"
#include "hexview/dialogs/HexDialogs.h"
#include "hexview/dialogs/ProgressDialog.h"
#include "mainwindow/WindowTestSupport.h"
#include "model/HexTestSupport.h"

namespace hexwindowtest {

class RecordingHexDialogs : public HexDialogs {
public:
    std::optional<SearchInfo> Find(QWidget* parent, const FindSetup& setup) override {
        findSetups.push_back(setup);
        parents.push_back(parent);
        if (findAnswers.empty()) return std::nullopt;
        auto answer = findAnswers.front();
        findAnswers.pop_front();
        return answer;
    }
    std::optional<int64_t> Goto(QWidget* parent, int64_t streamSize) override {
        gotoSizes.push_back(streamSize);
        parents.push_back(parent);
        return gotoAnswer;
    }
    std::optional<BlockRange> DefineBlock(QWidget* parent, const BlockSetup& setup) override {
        blockSetups.push_back(setup);
        parents.push_back(parent);
        return blockAnswer;
    }
    ProgressDialog* OpenProgress(QWidget* parent, std::function<void()> cancel) override {
        auto* dialog = new ProgressDialog(std::move(cancel), parent);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        // Shown without any modality, so nothing waits and the modal guard stays quiet.
        dialog->setWindowModality(Qt::NonModal);
        dialog->show();
        progress.push_back(dialog);
        return dialog;
    }

    std::deque<std::optional<SearchInfo>> findAnswers;
    std::vector<FindSetup> findSetups;
    std::optional<int64_t> gotoAnswer;
    std::vector<int64_t> gotoSizes;
    std::optional<BlockRange> blockAnswer;
    std::vector<BlockSetup> blockSetups;
    std::vector<QWidget*> parents;
    std::vector<QPointer<ProgressDialog>> progress;
};

inline SearchInfo hexSearch(const QByteArray& pattern, int zone = SearchInfo::WholeFile) {
    SearchInfo info;
    info.type = SearchInfo::Hex;
    info.zone = zone;
    info.matchCase = true;
    info.pattern = pattern;
    return info;
}

// A hex viewer window over the recording services and dialogs.
class HexWindowTest : public windowtest::WindowTest {
protected:
    RecordingHexDialogs dialogs;
};

} // namespace hexwindowtest
