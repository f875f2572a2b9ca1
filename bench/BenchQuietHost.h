// Shared by the benchmarks that open a source's record tree: a view host that does nothing, so that the tree
// and the grid are measured alone.
#pragma once

#include <QImage>
#include <functional>
#include <memory>
#include <vector>

#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/ViewHost.h"

namespace bench {

struct QuietHost : ViewHost {
    void ShowInHexViewer(const std::shared_ptr<TLN_Stream>&, int64_t) override {}
    void ShowPicture(const QImage&) override {}
    void ShowPlayButton(std::function<void()>) override {}
    void PlaySound(std::vector<uint8_t>) override {}
    void AddChildren(RecordNode&, std::vector<std::unique_ptr<RecordNode>>) override {}
    void Beep() override {}
    void Progress(int, int) override {}
};

} // namespace bench
