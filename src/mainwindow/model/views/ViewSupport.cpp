// The help document lookup and the enumerated remarks every record view reads through.
#include "mainwindow/model/views/ViewSupport.h"

namespace {

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

QString helpDocumentPath(HelpDocument document) {
    for (const HelpDocumentEntry& entry : kHelpDocuments)
        if (entry.document == document) return fromView(entry.path);
    return {};
}

QString enumText(std::span<const std::string_view> texts, int64_t value, std::string_view fallback) {
    if (value < 0 || uint64_t(value) >= texts.size()) return fromView(fallback);
    return fromView(texts[size_t(value)]);
}
