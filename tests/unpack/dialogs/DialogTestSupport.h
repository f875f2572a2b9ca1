// What the unpack dialog tests share: the window tests' recording services and settings folders, a
// recording taskbar backend, and outputs that write slowly so that a run can be watched.
#pragma once

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "mainwindow/WindowTestSupport.h"
#include "platform/TaskBar.h"
#include "support/window/RecordingTaskbarBackend.h"
#include "unpack/UnpackTestSupport.h"
#include "unpack/engine/UnpackOutput.h"

namespace unpackdialogtest {

using RecordingBackend = testsupport::RecordingTaskbarBackend;

// Sleeps before each write, so a run of a few blocks lasts long enough to be seen or stopped.
class SlowOutput : public TempFileOutput {
public:
    SlowOutput(const std::string& folder, const std::string& name, int milliseconds)
        : TempFileOutput(folder, name, false), milliseconds_(milliseconds) {}

protected:
    ssize_t WriteSome(int fd, const uint8_t* data, size_t size) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds_));
        return TempFileOutput::WriteSome(fd, data, size);
    }

private:
    int milliseconds_;
};

inline OutputFactory slowOutputs(int milliseconds) {
    return
        [milliseconds](const std::string& folder, const std::string& name) -> std::unique_ptr<UnpackOutput> {
            return std::make_unique<SlowOutput>(folder, name, milliseconds);
        };
}

class DialogTest : public windowtest::WindowTest {
protected:
    DialogTest() { services.messenger = &messenger; }
    RecordingBackend backend;
    TaskBar taskBar{&backend};
    windowtest::WarningMessenger messenger;
};

inline std::vector<std::string> partFiles(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        if (it->path().extension() == ".part") found.push_back(it->path().string());
    return found;
}

} // namespace unpackdialogtest
