// The readers a node below a parcel reads through and the typed row writers of the parcel views.
#include "mainwindow/model/views/ParcelViewSupport.h"

#include "mainwindow/model/kinds/MainMapAccess.h"

ParcelAccess ParcelAccessOf(KindContext& context, const RecordNode& node) {
    ParcelAccess access;
    access.map = MapOf(context, node);
    if (!access.map) return access;
    access.level = LevelOf(*access.map, node);
    if (access.level) access.frames = ParcelFramesOf(*access.map, node);
    return access;
}

int64_t AncestorIndex(const RecordNode& node, int kind) {
    for (const RecordNode* p = node.parent; p; p = p->parent)
        if (p->kind == kind) return p->index;
    return -1;
}

TLN_FrameSpan StringFrameOf(const TLN_Parcel_Frames& frames, const RecordNode& node) {
    if (frames.Strings.IsValid() && node.recordOffset == frames.Strings.Position()) return frames.Strings;
    if (node.recordOffset < 0) return {};
    return frames.RouteGuidance.Sub(node.recordOffset, frames.RouteGuidance.End() - node.recordOffset);
}

void ParcelRows::Header(std::string_view title, int64_t offset, const QString& value) {
    grid_.AddSectionHeaderAt(Label(title), value, offset);
}

void ParcelRows::Header(std::string_view title, int64_t offset, HelpDocument help, const QString& value) {
    Header(title, offset, value);
    grid_.SetHelpLink(helpDocumentPath(help));
}

void ParcelRows::Section(std::string_view title, const QString& value) {
    grid_.AddSectionHeader(Label(title), value);
}

void ParcelRows::Section(std::string_view title, HelpDocument help, const QString& value) {
    Section(title, value);
    grid_.SetHelpLink(helpDocumentPath(help));
}

void ParcelRows::Dec(std::string_view name, int64_t value, const QString& remark) {
    // Values of the records are 32 bits at most; -1 ("none") shows as all ones.
    grid_.AddDWordRow(Label(name), remark, uint32_t(value));
}

void ParcelRows::Hex8(std::string_view name, uint32_t value, const QString& remark) {
    grid_.AddByteRow(Label(name), remark, uint8_t(value));
}

void ParcelRows::Hex16(std::string_view name, uint32_t value, const QString& remark) {
    grid_.AddWordHexRow(Label(name), remark, uint16_t(value));
}

void ParcelRows::Hex32(std::string_view name, uint32_t value, const QString& remark) {
    grid_.AddHexDecRow(Label(name), remark, value);
}

void ParcelRows::Addr(std::string_view name, int64_t value, const QString& remark) {
    grid_.AddInt64HexRow(Label(name), remark, value);
}

void ParcelRows::YesNo(std::string_view name, bool flag, const QString& remark) {
    grid_.AddYesNoRow(Label(name), remark, flag);
}

void ParcelRows::Yes(std::string_view name, bool flag, const QString& remark) {
    grid_.AddYesRow(Label(name), remark, flag);
}

void ParcelRows::Text(std::string_view name, const QString& value, const QString& remark) {
    grid_.AddTextRow(Label(name), value, remark);
}

void ParcelRows::Pair(std::string_view name, int64_t a, int64_t b, const QString& remark) {
    grid_.AddPairRow(Label(name), remark, a, b);
}

void ParcelRows::Blank() {
    grid_.AddEmptyRow();
}

void ParcelRows::DisplayScaleFlags(std::string_view prefix, uint8_t flags,
                                   const TLN_Level_Management_Record* level) {
    for (int k = 1; k <= 5; ++k) {
        const QString remark = level ? QString::fromStdString(level->ScaleLabels[size_t(k - 1)]) : QString();
        grid_.AddYesNoRow(Label(prefix) + QString::number(k), remark, ((flags >> (5 - k)) & 1) != 0);
    }
}
