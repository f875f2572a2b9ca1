// What the views and builders of a parcel's data frames share: the map, level and frames a node below a
// parcel reads through, the frame a character string node stands for, and typed row writers that keep
// each view a plain list of its fields.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include <QString>

#include "kiwi/frames/ParcelFrames.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/views/ViewSupport.h"

// The readers of a node below a parcel: all set, or the node cannot be read (frames null).
struct ParcelAccess {
    TLN_KiwiMap* map = nullptr;
    const TLN_Level_Management_Record* level = nullptr;
    std::shared_ptr<const TLN_Parcel_Frames> frames;

    explicit operator bool() const { return map && level && frames; }
};

// The map, the node's level and the frames of the parcel the node lies in (from the map's cache).
ParcelAccess ParcelAccessOf(KindContext& context, const RecordNode& node);

// The index of the nearest ancestor of kind (the element above a type unit, the area above a mesh); -1
// when the node does not lie below one.
int64_t AncestorIndex(const RecordNode& node, int kind);

// The character string frame a kind 42 node stands for: the route guidance "Strings" frame, or the
// extended data of a guidance frame from the node's offset to the end of the route guidance data.
TLN_FrameSpan StringFrameOf(const TLN_Parcel_Frames& frames, const RecordNode& node);

// A name that is its text (UTF-8).
inline QString Label(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The row forms the parcel views write, named by their form: dec, hex8, hex16, hex32, addr, yn, yes,
// text. Names and remarks are the format's texts.
class ParcelRows {
public:
    explicit ParcelRows(FieldGrid& grid) : grid_(grid) {}
    FieldGrid& Grid() { return grid_; }

    // Section header at offset (negative: none), followed by a blank row; with a help document its
    // "Help" link goes there.
    void Header(std::string_view title, int64_t offset, const QString& value = {});
    void Header(std::string_view title, int64_t offset, HelpDocument help, const QString& value = {});
    // Section header without an offset.
    void Section(std::string_view title, const QString& value = {});
    void Section(std::string_view title, HelpDocument help, const QString& value = {});

    void Dec(std::string_view name, int64_t value, const QString& remark = {});
    void Hex8(std::string_view name, uint32_t value, const QString& remark = {});
    void Hex16(std::string_view name, uint32_t value, const QString& remark = {});
    void Hex32(std::string_view name, uint32_t value, const QString& remark = {});
    void Addr(std::string_view name, int64_t value, const QString& remark = {});
    void YesNo(std::string_view name, bool flag, const QString& remark = {});
    void Yes(std::string_view name, bool flag, const QString& remark = {});
    void Text(std::string_view name, const QString& value, const QString& remark = {});
    void Pair(std::string_view name, int64_t a, int64_t b, const QString& remark = {});
    void Blank();
    // "Display Scale Flag " + k for k = 1 to 5 (prefix given): flag k is bit 5 - k of flags; remarks
    // from level's display scale labels when given.
    void DisplayScaleFlags(std::string_view prefix, uint8_t flags,
                           const TLN_Level_Management_Record* level = nullptr);

private:
    FieldGrid& grid_;
};
