// The row forms the ALLDATA and main map management views share: the tables of their repeated blocks
// (identification records, display scale flags, level divisions, frame offsets, adjacent directions) and
// the functions that write one such block, plus the row providers' record cache.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <QString>

#include "kiwi/map/LevelRecord.h"
#include "kiwi/map/MainMapFrame.h"
#include "mainwindow/model/FieldGrid.h"

class TLN_KiwiMap;
class TLN_Stream;
struct KindContext;
struct RecordNode;

// In a namespace of their own: short names such as Text would clash with the helpers of other views.
namespace management {

// A text stored in the data (identification, titles, file names): its bytes as Latin-1, the blank
// padding trimmed, so that no stored byte is lost or shown as a replacement character.
QString StoredText(const std::string& value);
// A string of the readers (file names, paths) as it is.
QString PlainText(const std::string& value);

// The map a node's view reads through: the one the node holds (inherited from "Map Data"), else the one
// the window holds for the source; null when neither.
std::shared_ptr<TLN_KiwiMap> ViewMapOf(KindContext& context, const RecordNode& node);

// Places the hex viewer on a record the view read (in stream at offset) unless selecting the node put it
// there already: a record whose node lies elsewhere (a part kept in a file of its own) is shown where it is.
void PlaceHexViewer(KindContext& context, const RecordNode& node, const std::shared_ptr<TLN_Stream>& stream,
                    int64_t offset);

// Data types of the level management information, by position; a fourth or later type has no name.
inline constexpr std::array<std::string_view, 3> kDataTypeNames{"Main Map", "Route Guidance",
                                                                "Route Planning"};

// The kind of a parcel by its Divided/Integrated Identifier as the views name it.
inline constexpr std::array<std::string_view, 4> kParcelKindNames{"", "Divided Parcel", "Integrated Parcel",
                                                                  "Regular Parcel"};
// The name of a parcel kind; never a text of another list.
QString ParcelKindName(int identifier);

// The background defaults of the data volume, by the value of their bit.
inline constexpr std::array<std::string_view, 2> kBackgroundDefaults{"Land", "Sea"};

// One identification record of the data volume (maker, data author, system) and its row names.
struct IdentificationRows {
    std::string_view heading;
    std::string_view position;
    std::string_view floor;
    std::string_view date;
    std::string_view text;
    // The maker's office names its maker after the coordinates; the others are plain.
    bool withMaker;
};
inline constexpr std::array<IdentificationRows, 3> kIdentificationRows{{
    {"System-specific identification:", "Latitude and Longitude of the Maker''s Office Location",
     "Floor of The Makers''s Office", "Date of Maker Identification", "System-specific Identification", true},
    {"Data Autor identification:", "Latitude and Longitude of the Data Autor''s Office Location",
     "Floor of The Data Autor''s Office", "Date of Data Autor Identification",
     "System-specific Identification", false},
    {"System identification:", "Latitude and Longitude of the Hardware Manufacturer Location",
     "Floor od The Hardware Manufacturer''s Office", "Date of Hardware Manufacturer Identification",
     "Hardware Manufacturer Identification", false},
}};

// The five display scales of a level record.
inline constexpr std::array<std::string_view, 5> kDisplayScaleFlagNames{
    "Display Scale Flag 1", "Display Scale Flag 2", "Display Scale Flag 3", "Display Scale Flag 4",
    "Display Scale Flag 5"};

// The count pairs of a level record, in their order, and how each is taken from the record.
struct LevelDivisionRows {
    std::string_view name;
    TLN_Division TLN_Level_Management_Record::*pair;
    // For the division types: the entry of the division table (else -1).
    int divisionType;
};
inline constexpr std::array<LevelDivisionRows, 6> kLevelDivisionRows{{
    {"Block Sets", &TLN_Level_Management_Record::BlockSets, -1},
    {"Blocks", &TLN_Level_Management_Record::Blocks, -1},
    {"Parcels", &TLN_Level_Management_Record::Parcels, -1},
    {"Divided Parcels (Parcel Division Type 1)", nullptr, 1},
    {"Divided Parcels (Parcel Division Type 2)", nullptr, 2},
    {"Divided Parcels (Parcel Division Type 3)", nullptr, 3},
}};

// The basic data frames a main map distribution header names (the first three of its list).
inline constexpr std::array<std::string_view, 3> kBasicFrameOffsetNames{
    "Offset to Roads Data Frame", "Offset to Background Data Frame", "Offset to Names Data Frame"};

// The eight neighbours of the adjacent parcel address information, in stored order.
inline constexpr std::array<std::string_view, kAdjacentParcelCount> kAdjacentDirections{
    "Upper", "Upper Right", "Right", "Lower Right", "Lower", "Lower Left", "Left", "Upper Left"};

// AddLevelDivisionRows: "Number of Latitudinal " + name with the latitudinal count and the remark
// "Total Number = " + the product, then "Number of Longitudinal " + name with the longitudinal count.
void AddLevelDivisionRows(FieldGrid& grid, std::string_view name, const TLN_Division& division);
// An offset to a frame and its size: the offset in spaced hex, "Size = " + the size's significant bytes.
void AddFrameOffsetRow(FieldGrid& grid, const QString& name, const TLN_Frame_Reference& frame);
// A coverage edge of the main map header: the coordinate as latitude or longitude text, its degrees in
// the remark.
void AddLatitudeEdgeRow(FieldGrid& grid, std::string_view name, int32_t latitude);
void AddLongitudeEdgeRow(FieldGrid& grid, std::string_view name, int32_t longitude);

QString Text(std::string_view text);

// The record of the last virtual row a provider was asked for: the three cells of a row are asked one
// after another, and the record behind them is read once. A read that raises is not kept, so that the
// next cell asks again (and shows empty when it raises again).
template <typename Record> class RowRecordCache {
public:
    using Reader = std::function<bool(int row, Record& record)>;
    explicit RowRecordCache(Reader read) : read_(std::move(read)) {}

    // The record of row, or null when it does not read.
    const Record* Get(int row) {
        if (row != row_) {
            row_ = -1;
            record_ = Record();
            ++reads_;
            found_ = read_(row, record_);
            row_ = row;
        }
        return found_ ? &record_ : nullptr;
    }
    // How many times a record was read.
    int64_t Reads() const { return reads_; }

private:
    Reader read_;
    int row_ = -1;
    bool found_ = false;
    Record record_;
    int64_t reads_ = 0;
};

} // namespace management
