// A view host that writes what views ask of the window as text lines instead of doing it, for the probe's
// and the tests' dumps of shown records.
#pragma once

#include <string>
#include <vector>

#include "mainwindow/model/ViewHost.h"

class RecordTree;

class ViewHostLog : public ViewHost {
public:
    // Lines since the last Take: "@hex <file> <offset>", "@hex owned <file> <offset>", "@hex none",
    // "@picture <w>x<h>" or "@picture none", "@playbutton on|off", "@play <bytes>", "@children <n>",
    // "@beep", "@progress end" (the steps of a progress run are not written), "@dataset category|matching
    // open \"<representation>\" rows=<n> cols=<m>" with "@columns NAME(TYPE,width) ..." and "@row <n> a|b|c"
    // for the first three rows and the last, or "@dataset category|matching close".
    std::vector<std::string> Take();

    // Children a view adds are attached to tree at once (headless, nothing is showing the tree); without a
    // tree they are only counted.
    void SetTree(RecordTree* tree) { tree_ = tree; }

    void ShowInHexViewer(const std::shared_ptr<TLN_Stream>& stream, int64_t offset) override;
    void ShowOwnedStreamInHexViewer(std::shared_ptr<TLN_Stream> stream, int64_t offset) override;
    void ShowPicture(const QImage& image) override;
    void ShowPlayButton(std::function<void()> play) override;
    void PlaySound(std::vector<uint8_t> waveImage) override;
    void AddChildren(RecordNode& node, std::vector<std::unique_ptr<RecordNode>> children) override;
    void Beep() override;
    void ShowIndexTable(IndexGrid grid, std::shared_ptr<IndexTable> table) override;
    // The index table last shown in each grid (null when closed).
    const std::shared_ptr<IndexTable>& IndexTableOf(IndexGrid grid) const;
    void Progress(int value, int max) override;

private:
    std::vector<std::string> lines_;
    RecordTree* tree_ = nullptr;
    std::shared_ptr<IndexTable> tables_[2];
};
