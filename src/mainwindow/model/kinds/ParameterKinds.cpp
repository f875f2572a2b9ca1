// Node kinds of the parameter data (the ALLDATA "Parameters" part or a parameter file of PCT2MNG.KWI):
// management records, their colour palettes, line style palettes, map elements and landmark frames.
#include <algorithm>

#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/WholeRead.h"
#include "kiwi/parts/ParamManager.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/kinds/FamilyBuilders.h"
#include "mainwindow/model/kinds/KindFamilies.h"
#include "mainwindow/model/views/ParameterViews.h"

namespace {

constexpr int kParametersPart = 103;
constexpr int kParameterFile = 1320;
constexpr int kRecord = 190;
constexpr int kColorPalettes = 191;
constexpr int kColorPalette = 192;
constexpr int kLineStyleOrMapElement = 193;
// Landmark frames of the three record layouts; their pattern tables are the next kind up.
constexpr int kDrawingLandmarks = 194;
constexpr int kSymbolLandmarks = 196;
constexpr int kRouteNumberLandmarks = 198;
// Bytes of one palette colour.
constexpr int64_t kColorBytes = 4;

// Data classification codes of the three record layouts.
bool isDrawingParameters(uint16_t code) {
    return code == 4609 || code == 4612;
}
bool isSymbols(uint16_t code) {
    return code == 4610 || code == 4613;
}
bool isRouteNumbers(uint16_t code) {
    return code == 4611 || code == 4614;
}

// Management pointer `record` of the reader, when it has one.
const TLN_ParamManagementPointer* pointerOf(const TLN_ParamManager& reader, int64_t record) {
    if (record < 0 || record >= reader.PointerCount()) return nullptr;
    return &reader.GetManagementPointer(int(record));
}

// The drawing parameter distribution header of a record of the drawing layout.
bool drawingHeaderOf(const TLN_ParamManager& reader, int64_t record, TLN_DrawingParamHeader& out) {
    const TLN_ParamManagementPointer* pointer = pointerOf(reader, record);
    return pointer && isDrawingParameters(pointer->DataClassificationCode) &&
           pointer->DataFramePosition >= 0 && reader.ReadManagementRecord(pointer->DataFramePosition, out);
}

// Where the landmark data frame of a record lies (-1 when it has none), and the kind of its node.
int64_t landmarkFrameOf(const TLN_ParamManager& reader, int64_t record, int& kind) {
    const TLN_ParamManagementPointer* pointer = pointerOf(reader, record);
    if (!pointer || pointer->DataFramePosition < 0) return -1;
    const uint16_t code = pointer->DataClassificationCode;
    if (isDrawingParameters(code)) {
        TLN_DrawingParamHeader header;
        kind = kDrawingLandmarks;
        return reader.ReadManagementRecord(pointer->DataFramePosition, header) ? header.LandmarkFramePosition
                                                                               : -1;
    }
    if (!isSymbols(code) && !isRouteNumbers(code)) return -1;
    TLN_FrameReference reference;
    kind = isSymbols(code) ? kSymbolLandmarks : kRouteNumberLandmarks;
    return reader.ReadFrameReference(pointer->DataFramePosition, reference) ? reference.FramePosition : -1;
}

void addParameterRecordNodes(KindContext&, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = family::ReaderOf<TLN_ParamManager>(node);
    if (!reader || !reader->IsValid()) return;
    // The 20-byte management information pointers follow the 4-byte header.
    for (int i = 0; i < reader->PointerCount(); ++i) {
        auto child = family::Child(node, kRecord, family::Numbered("Record ", i), i,
                                   reader->Base() + 4 + 20 * int64_t(i), true);
        family::MarkError(*child, reader->GetManagementPointer(i).Error);
        out.push_back(std::move(child));
    }
}

// Why the frame header a management record names cannot be read (no failure when it can, or it names none).
Failure frameHeaderShort(const TLN_ParamManager& reader, const TLN_ParamManagementPointer& pointer) {
    const uint16_t code = pointer.DataClassificationCode;
    if (isDrawingParameters(code))
        return family::ShortRecord(reader.Stream(), "the drawing parameter distribution header",
                                   pointer.DataFramePosition, 28);
    if (isSymbols(code) || isRouteNumbers(code))
        return family::ShortRecord(reader.Stream(), "the landmark frame reference", pointer.DataFramePosition,
                                   12);
    return {};
}

void addParameterFrameNodes(KindContext&, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = family::ReaderOf<TLN_ParamManager>(node);
    if (!reader) return;
    const TLN_ParamManagementPointer* pointer = pointerOf(*reader, node.index);
    if (!pointer) return;
    family::MarkError(node, frameHeaderShort(*reader, *pointer));
    TLN_DrawingParamHeader header;
    if (drawingHeaderOf(*reader, node.index, header)) {
        const int64_t streamSize = reader->Stream().Size();
        if (header.ColorPaletteTablePosition >= 0)
            out.push_back(family::Child(node, kColorPalettes, QStringLiteral("Color Palettes"), 0,
                                        header.ColorPaletteTablePosition, header.NumberOfPalettes > 0));
        if (pointer->LineStylePaletteTableExists && header.LineStylePaletteTablePosition >= 0) {
            const whole::Counted counted = whole::CountRecords(
                reader->Stream(), "Number of Line Style Palettes", header.NumberOfLineStylePalettes,
                header.LineStylePaletteTablePosition, header.LineStylePaletteSize, streamSize);
            family::MarkError(node, counted.reason);
            const int64_t palettes = counted.readable;
            for (int64_t i = 0; i < palettes; ++i)
                out.push_back(
                    family::Child(node, kLineStyleOrMapElement, family::Numbered("Line Style Palette ", i), i,
                                  header.LineStylePaletteTablePosition + i * header.LineStylePaletteSize));
        }
        if (pointer->MapElementParametersExist)
            out.push_back(family::Child(node, kLineStyleOrMapElement, QStringLiteral("Map Element"), 0,
                                        header.MapElementPosition >= 0 ? header.MapElementPosition
                                                                       : node.recordOffset));
    }
    int kind = 0;
    const int64_t landmarks = landmarkFrameOf(*reader, node.index, kind);
    if (landmarks >= 0)
        out.push_back(family::Child(node, kind, QStringLiteral("Landmark"), 0, landmarks, true));
}

void addColorPaletteNodes(KindContext&, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = family::ReaderOf<TLN_ParamManager>(node);
    TLN_DrawingParamHeader header;
    if (!reader || !drawingHeaderOf(*reader, family::ParentOf(node).index, header)) return;
    // Palettes of ColorsPerPalette four-byte colours follow one another from the table.
    const int64_t bytes = kColorBytes * header.ColorsPerPalette;
    const whole::Counted palettes =
        whole::CountRecords(reader->Stream(), "Number of Color Palettes", header.NumberOfPalettes,
                            header.ColorPaletteTablePosition, bytes, reader->Stream().Size());
    family::MarkError(node, palettes.reason);
    for (int64_t i = 0; i < palettes.readable; ++i)
        out.push_back(family::Child(node, kColorPalette, family::Numbered("Color Palette ", i), i,
                                    header.ColorPaletteTablePosition + i * bytes));
}

void addPatternTableNodes(KindContext&, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = family::ReaderOf<TLN_ParamManager>(node);
    if (!reader) return;
    int kind = 0;
    const int64_t position = landmarkFrameOf(*reader, family::ParentOf(node).index, kind);
    TLN_LandmarkDataFrame frame;
    if (position < 0 || kind != node.kind || !reader->ReadLandmarkDataFrame(position, frame)) {
        family::MarkError(node,
                          family::ShortRecord(reader->Stream(), "the landmark data frame", position, 6));
        return;
    }
    // The tables that could be located, at most the stored count.
    const size_t tables = std::min<size_t>(frame.NumberOfPatternTables, frame.TablePositions.size());
    family::MarkError(node, frame.Error);
    if (tables < frame.NumberOfPatternTables)
        family::MarkError(
            node, Failure(FailureCode::FewerLocated, {{"count", "Number of Pattern Tables"},
                                                      {"stored", int64_t(frame.NumberOfPatternTables)},
                                                      {"located", int64_t(tables)}}));
    for (size_t i = 0; i < tables; ++i)
        out.push_back(family::Child(node, node.kind + 1, family::Numbered("Pattern Table ", int64_t(i)),
                                    int64_t(i), frame.TablePositions[i]));
}

} // namespace

void RegisterParameterKinds(NodeKinds& table) {
    family::RegisterRow(table, kParametersPart, "ShowAllDataParametersHeader", addParameterRecordNodes);
    family::RegisterRow(table, kParameterFile, "ShowParametersHeader", addParameterRecordNodes);
    family::RegisterRow(table, kRecord, "ShowParameterManagement", addParameterFrameNodes);
    family::RegisterRow(table, kColorPalettes, "ShowColorPaletteTable", addColorPaletteNodes);
    family::RegisterRow(table, kColorPalette, "ShowColor");
    family::RegisterRow(table, kLineStyleOrMapElement, "ShowNotImplemented");
    for (int kind : {kDrawingLandmarks, kSymbolLandmarks, kRouteNumberLandmarks})
        family::RegisterRow(table, kind, "ShowLandmarkDataFrame", addPatternTableNodes);
    family::RegisterRow(table, kDrawingLandmarks + 1, "ShowLandmarkPatternTable");
    family::RegisterRow(table, kSymbolLandmarks + 1, "ShowLandmarkPatternTable2");
    family::RegisterRow(table, kRouteNumberLandmarks + 1, "ShowLandmarkPatternTable3");
    RegisterParameterViews(table);
}
