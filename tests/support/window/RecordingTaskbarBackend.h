// A taskbar backend for window tests that records the progress states and values a window sets.
#pragma once

#include <string>
#include <vector>

#include "platform/TaskBar.h"

namespace testsupport {

class RecordingTaskbarBackend : public TaskbarBackend {
public:
    bool Available() const override { return true; }
    void SetProgressState(TaskBarProgressStyle state) override {
        calls.push_back("state " + std::to_string(taskBarProgressFlag(state)));
    }
    void SetProgressValue(int completed, int) override {
        calls.push_back("value " + std::to_string(completed));
    }
    void SetOverlayIcon(const QIcon&, const QString&) override {}
    void SetUrgent(bool) override {}
    std::vector<std::string> calls;
};

} // namespace testsupport
