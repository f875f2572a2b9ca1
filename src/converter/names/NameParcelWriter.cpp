// Main map and route guidance frames written with new name texts.
#include "converter/names/NameParcelWriter.h"

#include <sstream>

#include "converter/names/NameParcelRebuild.h"
#include "converter/output/OutputEncoding.h"
#include "kiwi/frames/BackgroundFrame.h"
#include "kiwi/frames/StringFrame.h"
#include "kiwi/map/MainMapFrame.h"

namespace {

// A route guidance header holding its fixed part and exactly two frame references (the guidance data and
// the character strings), in bytes.
constexpr uint32_t kGuidanceHeaderWithStringsBytes = uint32_t(kRouteGuidanceHeaderFixedSize) + 2 * 6;

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
    if ((options.utfToAnsi || options.translate) && !wide()) rewriteGuidanceStrings(bytes, frame.offset);
    out.WriteAt(at, bytes.data(), int64_t(bytes.size()));
    return frame.size;
}

void NameParcelWriter::rewriteGuidanceStrings(std::vector<uint8_t>& bytes, int64_t position) {
    const TLN_Level_Management_Record* level = map_.Level(level_);
    // The character string data frame is the second basic frame.
    if (!level || level->RouteGuidanceBasicCount < 2) return;
    TLN_RG_Distribution_Header header;
    DecodeRouteGuidanceHeader(BeCursor(bytes.data(), bytes.size()), position, level->RouteGuidanceBasicCount,
                              level->RouteGuidanceExtendedCount, header);
    // Only a header of exactly the guidance data and string frame references has its strings rewritten;
    // any other layout is copied as it is.
    if (header.HeaderSize != kGuidanceHeaderWithStringsBytes || header.Basic.size() < 2) return;
    const NameOptions& options = policy_.Options();
    // Translation alone touches only the dictionary's area: the area code is the first byte of the
    // header's Practical Management Code, where the main map header keeps its area code.
    const uint8_t areaCode = uint8_t(header.PracticalManagementCode >> 24);
    if (!options.utfToAnsi && (!policy_.Dictionary() || areaCode != policy_.AreaCode())) return;
    const TLN_Frame_Reference& reference = header.Basic[1];
    if (reference.Position < 0 || reference.Size == 0) return;
    const TLN_FrameSpan whole = TLN_FrameSpan::FromBytes(bytes, position);
    const TLN_FrameSpan strings = whole.Sub(reference.Position, int64_t(reference.Size));
    TLN_Character_String_Data_Frame frame;
    if (!strings.IsValid() || !ReadCharacterString(strings, frame, true, {options.textCodePage, 1251}))
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
