// Main map and route guidance frames written with new name texts.
#include "converter/names/NameParcelWriter.h"

#include <sstream>

#include "converter/OutputEncoding.h"
#include "converter/names/NameParcelRebuild.h"
#include "kiwi/frames/BackgroundFrame.h"
#include "kiwi/frames/StringFrame.h"

namespace {

std::string hexOffset(int64_t offset) {
    std::ostringstream text;
    text << std::hex << std::uppercase << offset;
    return text.str();
}

} // namespace

NameParcelWriter::NameParcelWriter(TLN_KiwiMap& map, NameTextPolicy policy, LogLine log)
    : map_(map), policy_(std::move(policy)), log_(std::move(log)) {}

void NameParcelWriter::BeginLevel(uint8_t level) {
    level_ = level;
}

bool NameParcelWriter::wide() const {
    return map_.SystemNumber() >= kWideEntrySystemNumber;
}

uint32_t NameParcelWriter::WriteMainFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) {
    if (wide()) {
        if (!wideLogged_ && log_)
            log_("WARNING: system number " + std::to_string(map_.SystemNumber()) +
                 " stores wide name entries: names are copied unchanged");
        wideLogged_ = true;
        return copy_.WriteMainFrame(frame, out, at);
    }
    std::vector<uint8_t> bytes = ReadSourceFrame(frame);
    const TLN_Level_Management_Record* level = map_.Level(level_);
    if (bytes.size() < 36 || !level || !policy_.Applies(level_, bytes[14]))
        return copy_.WriteMainFrame(frame, out, at);
    NameRebuildResult rebuilt = RebuildParcelNames(bytes, frame.offset, *level, policy_);
    if (!rebuilt.warning.empty()) {
        ++warnings_;
        if (log_)
            log_("WARNING: Parcel at " + hexOffset(frame.offset) + " of level " + std::to_string(level_) +
                 " " + rebuilt.warning);
    }
    if (rebuilt.bytes.empty() || AlignUp32(uint32_t(rebuilt.bytes.size())) > kMaxStoredFrameBytes)
        return copy_.WriteMainFrame(frame, out, at);
    rewritten_ += rebuilt.rewritten;
    std::vector<uint8_t>& result = rebuilt.bytes;
    result.resize(AlignUp32(uint32_t(result.size())), 0);
    ClearGuidanceReference(result);
    out.WriteAt(at, result.data(), int64_t(result.size()));
    return uint32_t(result.size());
}

uint32_t NameParcelWriter::WriteGuidanceFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) {
    std::vector<uint8_t> bytes = ReadSourceFrame(frame);
    if (bytes.empty()) return 0;
    const NameOptions& options = policy_.Options();
    const bool gate = options.utfToAnsi || (options.translate && policy_.Dictionary() && bytes.size() > 14 &&
                                            bytes[14] == policy_.AreaCode());
    if (gate && !wide()) rewriteGuidanceStrings(bytes, frame.offset);
    out.WriteAt(at, bytes.data(), int64_t(bytes.size()));
    return frame.size;
}

void NameParcelWriter::rewriteGuidanceStrings(std::vector<uint8_t>& bytes, int64_t position) {
    const TLN_Level_Management_Record* level = map_.Level(level_);
    // The character string data frame is the second basic frame.
    if (!level || level->RouteGuidanceBasicCount < 2) return;
    const size_t reference = size_t(kRouteGuidanceHeaderFixedSize) + 6;
    if (bytes.size() < reference + 6) return;
    const uint32_t wordOffset = uint32_t(bytes[reference]) << 24 | uint32_t(bytes[reference + 1]) << 16 |
                                uint32_t(bytes[reference + 2]) << 8 | bytes[reference + 3];
    const int64_t size = 2 * int64_t(uint16_t(bytes[reference + 4] << 8 | bytes[reference + 5]));
    if (wordOffset == 0xFFFFFFFFu || size == 0) return;
    const TLN_FrameSpan whole = TLN_FrameSpan::FromBytes(bytes, position);
    const TLN_FrameSpan strings = whole.Sub(position + 2 * int64_t(wordOffset), size);
    TLN_Character_String_Data_Frame frame;
    if (!strings.IsValid() ||
        !ReadCharacterString(strings, frame, true, {policy_.Options().textCodePage, 1251}))
        return;
    if (frame.Items.size() != 1 && !multiItemLogged_) {
        multiItemLogged_ = true;
        if (log_)
            log_("WARNING: a route guidance character string frame holds " +
                 std::to_string(frame.Items.size()) + " items; all of them are rewritten");
    }
    // Each string is overwritten within its own field: the frame keeps its size.
    const auto rewrite = [&](const KiwiText& text, int64_t field, size_t fieldBytes) {
        const std::optional<QByteArray> next = policy_.GuidanceText(text, fieldBytes);
        if (!next) return;
        const size_t from = size_t(field - position);
        if (from + fieldBytes > bytes.size()) return;
        std::fill(bytes.begin() + ptrdiff_t(from), bytes.begin() + ptrdiff_t(from + fieldBytes), uint8_t(0));
        std::copy(next->begin(), next->end(), bytes.begin() + ptrdiff_t(from));
    };
    for (const TLN_Character_String_Item& item : frame.Items) {
        for (const TLN_Character_String_Data_Rec& record : item.Records) {
            const size_t display = 2 * size_t(record.DisplayLength());
            const size_t pronunciation = 2 * size_t(record.PronunciationLength());
            rewrite(record.Display, record.Position + 4, display);
            rewrite(record.Pronunciation, record.Position + 4 + int64_t(display), pronunciation);
        }
    }
}
