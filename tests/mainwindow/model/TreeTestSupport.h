// What the record-tree tests share: a view host that records what views ask of the window, and the
// grid, host and open readers a tree's builders and views work with.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/ViewHost.h"

namespace treetest {

class RecordingHost : public ViewHost {
public:
    std::vector<std::string> log;
    // The stream last handed to the hex viewer (null when it was cleared).
    std::shared_ptr<TLN_Stream> hexStream;

    void ShowInHexViewer(const std::shared_ptr<TLN_Stream>& stream, int64_t offset) override {
        hexStream = stream;
        log.push_back(stream ? "@hex " + std::to_string(offset) : "@hex none");
    }
    void ShowPicture(const QImage&) override { log.push_back("@picture"); }
    void ShowPlayButton(std::function<void()> play) override {
        log.push_back(play ? "@playbutton on" : "@playbutton off");
    }
    void PlaySound(std::vector<uint8_t>) override { log.push_back("@play"); }
    void AddChildren(RecordNode&, std::vector<std::unique_ptr<RecordNode>>) override {
        log.push_back("@children");
    }
    void Beep() override { log.push_back("@beep"); }
    void Progress(int value, int max) override {
        log.push_back("@progress " + std::to_string(value) + "/" + std::to_string(max));
    }
};

// A grid, a recording host and open readers, bound into the context builders and views take.
struct Workbench {
    FieldGridModel gridModel;
    FieldGrid grid{gridModel};
    RecordingHost host;
    OpenData data;
    KindContext context{grid, host, data};

    std::string cell(int row, int column) const { return gridModel.CellText(row, column).toStdString(); }
};

} // namespace treetest
