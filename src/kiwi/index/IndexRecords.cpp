// Search kind names, character codes and the small record helpers of the index data.
#include "kiwi/index/IndexRecords.h"

#include <QByteArray>

#include "kiwi/core/KiwiText.h"

namespace {

struct SearchKind {
    const char* code;
    const char* name;
};

constexpr SearchKind kSearchKinds[] = {
    {"FSLZ", "Zone Selection"},
    {"FSAD", "Street Address Search"},
    {"FITS", "Intersection Search"},
    {"FSIS", "Intersection Search"},
    {"FFRW", "Freeway Search"},
    {"FPOI", "POI Search"},
    {"FARG", "Q-POI Genre Search"},
    {"FAGE", "Q-POI Genre Search"},
    {"FMES", "Mesh Search"},
    {"FWM1", "Wide-boundary Mesh Search"},
    {"FWM2", "Wide-boundary Mesh Search"},
    {"FWM3", "Wide-boundary Mesh Search"},
    {"FMNC", "Surrounding City Mesh Search"},
    {"FZIP", "Zip Code Search"},
    {"FTEL", "Telephone Number Search"},
    {"PKNR", "POI Normal"},
    {"PKSA", "POI Street Address"},
    {"PKIT", "POI Intersection"},
    {"PKFW", "POI Freeway"},
    {"PKPC", "POI Post Code"},
};

} // namespace

std::string GetSearchKindName(const std::string& code) {
    for (const SearchKind& kind : kSearchKinds)
        if (code == kind.code) return kind.name;
    return {};
}

QString CharCodeToText(uint32_t code) {
    if (code < 0x3000) return QString::number(code);
    const char bytes[2] = {char((code >> 8) & 0xFF), char(code & 0xFF)};
    return DecodeMapText(QByteArray(bytes, 2));
}

uint32_t UsableRecordCount(uint32_t count, int64_t start, int64_t stride, int64_t recordLength,
                           int64_t streamSize) {
    if (start < 0 || recordLength <= 0 || count == 0) return 0;
    const int64_t room = streamSize - start;
    if (room < recordLength) return 0;
    // A stride shorter than a record would make records overlap; only the first can then be trusted.
    if (stride < recordLength) return 1;
    const int64_t fitting = (room - recordLength) / stride + 1;
    return fitting < int64_t(count) ? uint32_t(fitting) : count;
}

uint32_t TLN_Search_Frame_Header::UsableCount(int64_t recordLength) const {
    return UsableRecordCount(RecordCount, RecordsPosition, int64_t(RecordSize) * 2, recordLength, StreamSize);
}

int64_t TLN_Search_Frame_Header::RecordPosition(uint32_t i, int64_t recordLength) const {
    if (i >= UsableCount(recordLength)) return -1;
    return RecordsPosition + int64_t(i) * int64_t(RecordSize) * 2;
}

std::string TLN_Definition_Column::CountCode() const {
    const char high = char(ElementCount >> 8), low = char(ElementCount & 0xFF);
    if (high == 'U' && (low == 'B' || low == 'H' || low == 'W')) return std::string{high, low};
    return {};
}

int TLN_Definition_Frame::FindColumn(const std::string& name) const {
    for (size_t i = 0; i < Columns.size(); ++i)
        if (Columns[i].Name == name) return int(i);
    return -1;
}
