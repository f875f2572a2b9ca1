// The view host that logs.
#include "support/model/ViewHostLog.h"

#include <algorithm>

#include "kiwi/core/FileNames.h"
#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/index/IndexTable.h"

namespace {
// Rows of an index table written in full before its last row.
constexpr int64_t kLoggedTableRows = 3;

std::string fileOf(const TLN_Stream& stream) {
    return fileNamePart(stream.FileName());
}
} // namespace

std::vector<std::string> ViewHostLog::Take() {
    std::vector<std::string> taken;
    taken.swap(lines_);
    return taken;
}

void ViewHostLog::ShowInHexViewer(const std::shared_ptr<TLN_Stream>& stream, int64_t offset) {
    lines_.push_back(stream ? "@hex " + fileOf(*stream) + " " + std::to_string(offset) : "@hex none");
}

void ViewHostLog::ShowOwnedStreamInHexViewer(std::shared_ptr<TLN_Stream> stream, int64_t offset) {
    lines_.push_back(stream ? "@hex owned " + fileOf(*stream) + " " + std::to_string(offset) : "@hex none");
}

void ViewHostLog::ShowPicture(const QImage& image) {
    lines_.push_back(image.isNull() ? "@picture none"
                                    : "@picture " + std::to_string(image.width()) + "x" +
                                          std::to_string(image.height()));
}

void ViewHostLog::ShowPlayButton(std::function<void()> play) {
    lines_.push_back(play ? "@playbutton on" : "@playbutton off");
}

void ViewHostLog::PlaySound(std::vector<uint8_t> waveImage) {
    lines_.push_back("@play " + std::to_string(waveImage.size()));
}

void ViewHostLog::AddChildren(RecordNode& node, std::vector<std::unique_ptr<RecordNode>> children) {
    lines_.push_back("@children " + std::to_string(children.size()));
    if (tree_) tree_->AddChildren(node, std::move(children));
}

void ViewHostLog::Beep() {
    lines_.push_back("@beep");
}

void ViewHostLog::Progress(int value, int max) {
    if (max == 0 && value == 0) lines_.push_back("@progress end");
}

void ViewHostLog::ShowIndexTable(IndexGrid grid, std::shared_ptr<IndexTable> table) {
    const std::string name = grid == IndexGrid::Category ? "category" : "matching";
    if (!table) {
        lines_.push_back("@dataset " + name + " close");
    } else {
        lines_.push_back("@dataset " + name + " open \"" + table->Representation().toStdString() +
                         "\" rows=" + std::to_string(table->RecordCount()) +
                         " cols=" + std::to_string(table->ColumnCount()));
        // The columns with their widths, then the first rows and the last one.
        std::string columns = "@columns";
        for (const IndexColumn& column : table->Layout().Columns())
            columns += " " + column.name + "(" + column.type + "," + std::to_string(column.width) + ")";
        lines_.push_back(columns);
        const int64_t count = table->RecordCount();
        const auto row = [&](int64_t r) {
            std::string text = "@row " + std::to_string(r);
            for (int c = 0; c < table->ColumnCount(); ++c)
                text += (c == 0 ? " " : "|") + table->FieldText(r, c).toStdString();
            lines_.push_back(text);
        };
        for (int64_t r = 0; r < std::min<int64_t>(count, kLoggedTableRows); ++r)
            row(r);
        if (count > kLoggedTableRows) {
            if (count > kLoggedTableRows + 1) lines_.push_back("@row ...");
            row(count - 1);
        }
    }
    tables_[grid == IndexGrid::Category ? 0 : 1] = std::move(table);
}

const std::shared_ptr<IndexTable>& ViewHostLog::IndexTableOf(IndexGrid grid) const {
    return tables_[grid == IndexGrid::Category ? 0 : 1];
}
