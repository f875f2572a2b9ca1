// The tree dump lines and the bounded crawl.
#include "support/model/TreeDump.h"

#include <exception>
#include <sstream>

#include "kiwi/core/FileNames.h"
#include "mainwindow/model/SourceOpener.h"
#include "support/model/GridDump.h"
#include "support/model/ViewHostLog.h"

namespace {

class Crawler {
public:
    Crawler(RecordTree& tree, KindContext& context, const CrawlOptions& options)
        : tree_(tree), context_(context), options_(options) {}

    CrawlResult run() {
        // Roots are visited by position: a more-node among them may add roots after itself.
        for (size_t i = 0; i < tree_.Roots().size() && more(); ++i)
            visit(*tree_.Roots()[i], 0);
        return result_;
    }

private:
    bool more() {
        if (result_.nodes < options_.maxNodes) return true;
        result_.capped = true;
        return false;
    }

    void visit(RecordNode& node, int depth) {
        ++result_.nodes;
        std::string error;
        if (options_.select) {
            try {
                tree_.Select(context_, node);
            } catch (const std::exception& e) {
                error = e.what();
                ++result_.selectErrors;
            }
        }
        if (!error.empty()) error = "select: " + error;
        const bool open =
            depth < options_.maxDepth && (options_.leaveClosed == 0 || node.kind != options_.leaveClosed);
        if (open) {
            try {
                tree_.Expand(context_, node);
            } catch (const std::exception& e) {
                ++result_.expandErrors;
                error += (error.empty() ? "expand: " : "; expand: ") + std::string(e.what());
            }
        }
        if (options_.visit) options_.visit(node, depth, error);
        if (!open) return;
        for (size_t i = 0; i < node.children.size() && more(); ++i)
            visit(*node.children[i], depth + 1);
    }

    RecordTree& tree_;
    KindContext& context_;
    const CrawlOptions& options_;
    CrawlResult result_;
};

std::string summary(const CrawlResult& result) {
    return "nodes " + std::to_string(result.nodes) + " select errors " + std::to_string(result.selectErrors) +
           " expand errors " + std::to_string(result.expandErrors) + (result.capped ? " capped" : "") + "\n";
}

std::string quoted(const QString& text) {
    std::string out = "\"";
    for (const char c : text.toStdString()) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace

std::string DumpNodeLine(const RecordNode& node) {
    std::ostringstream line;
    line << quoted(node.caption) << " kind " << node.kind << " index " << node.index << " offset "
         << node.recordOffset << " file " << quoted(QString::fromStdString(fileNamePart(node.fileName)))
         << " expandable " << (node.Expandable() ? 1 : 0) << " reader "
         << (node.held ? node.held.TypeName() : std::string("-"));
    return line.str();
}

CrawlResult CrawlTree(RecordTree& tree, KindContext& context, const CrawlOptions& options) {
    return Crawler(tree, context, options).run();
}

std::string DumpTree(RecordTree& tree, KindContext& context, CrawlOptions options) {
    std::ostringstream out;
    auto visit = options.visit;
    options.visit = [&](RecordNode& node, int depth, const std::string& error) {
        out << std::string(size_t(depth) * 2, ' ') << DumpNodeLine(node);
        if (!error.empty()) out << " error " << error;
        out << "\n";
        if (visit) visit(node, depth, error);
    };
    const CrawlResult result = CrawlTree(tree, context, options);
    if (result.capped) out << "capped at " << options.maxNodes << " nodes\n";
    return out.str();
}

std::string DumpShownTree(RecordTree& tree, KindContext& context, ViewHostLog& log, CrawlOptions options) {
    std::ostringstream out;
    options.select = true;
    options.visit = [&](RecordNode& node, int depth, const std::string& error) {
        const std::string indent(size_t(depth) * 2, ' ');
        out << indent << DumpNodeLine(node);
        if (!error.empty()) out << " error " << error;
        out << "\n";
        const QStringList rows = DumpGrid(context.grid.Model()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& row : rows)
            out << indent << "  | " << row.toStdString() << "\n";
        for (const std::string& line : log.Take())
            out << indent << "  " << line << "\n";
    };
    out << summary(CrawlTree(tree, context, options));
    return out.str();
}

std::string DumpSource(RecordTree& tree, OpenData& data, CrawlOptions options, bool shown) {
    FieldGridModel gridModel;
    FieldGrid grid(gridModel);
    ViewHostLog host;
    host.SetTree(&tree);
    KindContext context{grid, host, data};
    std::string text;
    if (shown) {
        text = DumpShownTree(tree, context, host, options);
    } else {
        std::ostringstream out;
        options.select = false;
        options.visit = [&](RecordNode& node, int depth, const std::string& error) {
            out << std::string(size_t(depth) * 2, ' ') << DumpNodeLine(node);
            if (!error.empty()) out << " error " << error;
            out << "\n";
        };
        out << summary(CrawlTree(tree, context, options));
        text = out.str();
    }
    // The rows may read through the tree's readers: they go first.
    grid.Clear();
    return text;
}

std::string DumpOpenMessages(const OpenOutcome& outcome, const QString& folder) {
    std::string out;
    for (const OpenOutcome::Message& message : outcome.messages) {
        QString text = message.text;
        if (!folder.isEmpty()) text.replace(folder, QStringLiteral("<dir>"));
        text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        out += (message.severity == OpenOutcome::Severity::Error ? "error: " : "information: ") +
               text.toStdString() + "\n";
    }
    return out;
}
