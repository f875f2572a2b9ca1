// The parameter records, row by row: management pointers and the three record layouts, the drawing
// parameter header, colour palettes as swatches and landmark pattern tables with their patterns.
#include "mainwindow/model/views/ParameterViews.h"

#include <QColor>

#include "kiwi/io/WholeRead.h"
#include "kiwi/parts/ParamManager.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/views/ErrorRows.h"
#include "mainwindow/model/views/PartViewSupport.h"

using partview::Address;
using partview::Count;
using partview::Frame;
using partview::Hex32;

namespace {

constexpr int kParametersPart = 103;
// The management header record of the ALLDATA "Parameters" part.
constexpr int kParametersHeaderIndex = 3;

QString s(const char* text) {
    return QString::fromUtf8(text);
}

enum class Layout { Drawing, Symbols, RouteNumbers, Unknown };

Layout layoutOf(uint16_t code) {
    switch (code) {
    case 4609:
    case 4612:
        return Layout::Drawing;
    case 4610:
    case 4613:
        return Layout::Symbols;
    case 4611:
    case 4614:
        return Layout::RouteNumbers;
    default:
        return Layout::Unknown;
    }
}

const char* layoutTitle(Layout layout) {
    switch (layout) {
    case Layout::Drawing:
        return "Drawing parameter management information record";
    case Layout::Symbols:
        return "3-D symbol management information record";
    case Layout::RouteNumbers:
        return "Route number display-frame record";
    default:
        return "Unknkwn Data Type";
    }
}

std::shared_ptr<TLN_ParamManager> readerOf(const RecordNode& node) {
    return node.held.Shared<TLN_ParamManager>();
}

// The management pointer of record `record`; null when the reader has no such record.
const TLN_ParamManagementPointer* pointerOf(const TLN_ParamManager& reader, int64_t record) {
    if (record < 0 || record >= reader.PointerCount()) return nullptr;
    return &reader.GetManagementPointer(int(record));
}

// The record node (kind 190) above node: the nearest ancestor of that kind.
const RecordNode* recordNodeOf(const RecordNode& node) {
    for (const RecordNode* at = &node; at; at = at->parent)
        if (at->kind == 190) return at;
    return nullptr;
}

// The drawing parameter distribution header of the record above node, when it has the drawing layout.
bool drawingHeaderOf(const TLN_ParamManager& reader, const RecordNode& node, TLN_DrawingParamHeader& out) {
    const RecordNode* record = recordNodeOf(node);
    const TLN_ParamManagementPointer* pointer = record ? pointerOf(reader, record->index) : nullptr;
    return pointer && layoutOf(pointer->DataClassificationCode) == Layout::Drawing &&
           pointer->DataFramePosition >= 0 && reader.ReadManagementRecord(pointer->DataFramePosition, out);
}

void distributionHeaderRows(KindContext& context, const RecordNode& node) {
    const auto reader = readerOf(node);
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(s("Parameters Distribution Header"));
    if (node.kind != kParametersPart) partview::Help(grid, HelpDocument::Parameters);
    if (!reader || !reader->IsValid()) return;
    Hex32(grid, s("Header Size"), reader->HeaderSize());
    grid.AddWordRow(s("Number of Records"), {}, reader->NumberOfRecords());
}

void drawingHeaderRows(FieldGrid& grid, const TLN_DrawingParamHeader& header) {
    grid.AddSectionHeader(s("Drawing Parameter Distribution Header"));
    Hex32(grid, s("Header Size"), header.HeaderSize);
    Address(grid, s(" Offset to Color Palette Table"), header.ColorPaletteTablePosition);
    grid.AddWordRow(s("Number of Colors on Color Palette"), {}, header.ColorsPerPalette);
    grid.AddWordRow(s("Number of Color Palettes"), {}, header.NumberOfPalettes);
    Frame(grid, s("Offset to Line Style Palette Table"), s("Size of Line Style Palette"),
          header.LineStylePaletteTablePosition, header.LineStylePaletteSize);
    grid.AddWordRow(s("Number of Line Style Palettes"), {}, header.NumberOfLineStylePalettes);
    Frame(grid, s("Offset to Drawing Parameter Map Element"), s("Size of Drawing Parameter Map Element"),
          header.MapElementPosition, header.MapElementSize);
    Frame(grid, s("Offset to Landmark Data Frame"), s("Size of Landmark Data Frame"),
          header.LandmarkFramePosition, header.LandmarkFrameSize);
}

// The "Use Code" remark: the low byte names the pattern, the high byte what it is drawn as.
QString useCodeRemark(uint16_t code) {
    QString remark;
    if ((code & 0xFF) == 1) remark += s("Landmark");
    if ((code & 0xFF) == 2) remark += s("Logo");
    if ((code >> 8) == 1) remark += s(" Mask");
    if ((code >> 8) == 2) remark += s(" Shadow");
    return remark;
}

// The rows of a pattern table of layout 1 or 3 with its patterns; the images of the patterns come from
// the reader with the palettes of the record above (a record of another layout has none).
void patternTableRows(KindContext& context, const RecordNode& node, const TLN_ParamManager& reader,
                      const TLN_LandmarkPatternTable& table) {
    FieldGrid& grid = context.grid;
    const bool routeNumbers = table.Layout == 3;
    Hex32(grid, s("Size of Landmark Pattern Table Management Information"), table.Size);
    grid.AddByteRow(s("Landmark Format Flag"), {}, table.FormatFlag);
    grid.AddYesNoRow(s("Landmark Pattern Offset Flag"), {}, table.PatternOffsetFlag);
    grid.AddByteRow(s("Number of bits per pixel"), {}, uint8_t(table.BitsPerPixel));
    grid.AddByteRow(s("Landmark Pattern Size X"), s("Number of Horizontal Dots"), table.SizeX);
    grid.AddByteRow(s("Landmark Pattern Size Y"), s("Number of Vertical Dots"), table.SizeY);
    grid.AddByteRow(s("Color Palette Number (for day)"), {}, table.DayPalette);
    grid.AddByteRow(s("Color Palette Number (for night)"), {}, table.NightPalette);
    if (routeNumbers) {
        static constexpr const char* kDisplayNames[6] = {"Intra-display-frame Character Display Code X",
                                                         "Intra-display-frame Character Display Code Y",
                                                         "Intra-display-frame Character Starting Position X",
                                                         "Intra-display-frame Character Starting Position Y",
                                                         "Intra-display-frame Character Display Width",
                                                         "Intra-display-frame Character Display Height"};
        for (size_t i = 0; i < table.DisplayValues.size(); ++i)
            grid.AddWordHexRow(s(kDisplayNames[i]), {}, table.DisplayValues[i]);
    }
    Frame(grid, s("Offset to Landmark Pattern Table"), s("Size of Landmark Pattern Table"),
          table.PatternTablePosition, table.PatternTableSize);
    grid.AddWordRow(s("Number of Landmark Patterns"), {}, table.NumberOfPatterns);
    if (table.UseCode >= 0 && table.UseCode < 0xFFFF) {
        const auto code = uint16_t(table.UseCode);
        grid.AddWordHexRow(s("Use Code"),
                           routeNumbers ? s("(0-Reserved, 1-Landmark, 2-Logo)") : useCodeRemark(code), code);
    }
    if (table.Patterns.empty()) {
        if (table.NumberOfPatterns > 0)
            grid.AddTextRow(
                s("Ошибка"), {},
                QString::fromStdString(whole::Reason(
                    reader.Stream(), "Number of Landmark Patterns " + std::to_string(table.NumberOfPatterns),
                    table.Position, table.Size, 0, true)));
        return;
    }
    TLN_DrawingParamHeader palettes;
    drawingHeaderOf(reader, node, palettes);
    const TLN_LandmarkImageList images =
        table.FormatFlag < 2 ? reader.LoadLandmarkImages(palettes, table) : TLN_LandmarkImageList();
    grid.AddSectionHeaderAt(s("Landmark Pattern Table"), {}, table.PatternTablePosition);
    const QString identifier = routeNumbers ? s("Route Number Display-frame Code") : s("Category Code");
    for (qsizetype i = 0; i < qsizetype(table.Patterns.size()); ++i) {
        const TLN_LandmarkPattern& pattern = table.Patterns[size_t(i)];
        grid.AddEmptyRow();
        grid.AddWordHexRow(identifier, {}, pattern.Identifier);
        Address(grid, s("Offset to Landmark Pattern"), pattern.Position);
        if (table.FormatFlag < 2 && i < images.Images.size())
            grid.AddImageRow(s("Pattern"), grid.AddImage(images.Images[i]));
    }
    if (!images.Error.empty()) grid.AddTextRow(s("Ошибка"), {}, QString::fromStdString(images.Error));
}

// The position of the landmark frame that node's pattern tables belong to (its parent).
int64_t landmarkFrameOf(const RecordNode& node) {
    return node.parent ? node.parent->recordOffset : -1;
}

void patternTableHeader(FieldGrid& grid, int64_t position) {
    grid.AddSectionHeaderAt(s("Landmark Pattern Table Management Information"), {}, position);
    partview::Help(grid, HelpDocument::Parameters);
}

} // namespace

void ShowAllDataParametersHeader(KindContext& context, RecordNode& node) {
    partview::ManagementHeader(context, node, kParametersHeaderIndex, HelpDocument::Parameters);
    distributionHeaderRows(context, node);
}

void ShowParametersHeader(KindContext& context, RecordNode& node) {
    distributionHeaderRows(context, node);
}

void ShowParameterManagement(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(s("Parameters Management Information Pointer"));
    partview::Help(grid, HelpDocument::Parameters);
    const auto reader = readerOf(node);
    const TLN_ParamManagementPointer* pointer = reader ? pointerOf(*reader, node.index) : nullptr;
    if (!pointer) return;
    const TLN_PointRecord& point = pointer->Point;
    grid.AddLatLonRow(s("Latitude and Longitude of User Classification"), true, TLN_Point{point.X, point.Y});
    grid.AddWordRow(s("Floor of The User Classification"), {}, point.ByteValue);
    grid.AddDateRow(s("Date of User Classification"), {}, point.WordValue);
    grid.AddHexDecRow(s("Data_Classification_Code"), {}, pointer->DataClassificationCode);
    Frame(grid, s("Offset to Parameters Management Information Record"),
          s("Size of Parameters Management Information Record"), pointer->RecordPosition,
          pointer->RecordSize);
    const Layout layout = layoutOf(pointer->DataClassificationCode);
    grid.AddSectionHeader(s(layoutTitle(layout)));
    if (layout == Layout::Unknown) return;
    if (layout == Layout::Drawing) {
        Frame(grid, s("Offset to Drawing Parameter Data Frame"), s("Size of Drawing Parameter Data Frame"),
              pointer->DataFramePosition, pointer->DataFrameSize);
        grid.AddYesNoRow(s("Line Style Palette Table existence Flag"), {},
                         pointer->LineStylePaletteTableExists);
        grid.AddYesNoRow(s("Existence Flag of Drawing Parameter to the Map Elemen"), {},
                         pointer->MapElementParametersExist);
        TLN_DrawingParamHeader header;
        if (pointer->DataFramePosition >= 0 &&
            reader->ReadManagementRecord(pointer->DataFramePosition, header))
            drawingHeaderRows(grid, header);
        return;
    }
    Frame(grid, s("Offset to Data Frame"), s("Size of Data Frame"), pointer->DataFramePosition,
          pointer->DataFrameSize);
    TLN_FrameReference reference;
    if (pointer->DataFramePosition < 0 || !reader->ReadFrameReference(pointer->DataFramePosition, reference))
        return;
    grid.AddSectionHeader(s("Data Frame Distribution Header"));
    Hex32(grid, s("Header Size"), reference.HeaderSize);
    Frame(grid, s("Offset to the Landmark Data Frame"), s("Size of the Landmark Data Frame "),
          reference.FramePosition, reference.FrameSize);
}

void ShowColorPaletteTable(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeaderAt(s("Color Palette Table"), {}, node.recordOffset);
    const auto reader = readerOf(node);
    TLN_DrawingParamHeader header;
    if (!reader || !drawingHeaderOf(*reader, node, header)) return;
    grid.AddWordRow(s("Number of Color Palettes"), {}, header.NumberOfPalettes);
    grid.AddWordRow(s("Number of Colors"), {}, header.ColorsPerPalette);
}

void ShowColor(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(node.caption);
    const auto reader = readerOf(node);
    TLN_DrawingParamHeader header;
    if (!reader || !drawingHeaderOf(*reader, node, header) || node.index < 0 ||
        node.index >= header.NumberOfPalettes)
        return;
    const QVector<QRgb> palette = reader->CreateColorPalette(int(node.index), header.ColorsPerPalette,
                                                             header.ColorPaletteTablePosition);
    for (qsizetype i = 0; i < palette.size(); ++i) {
        // The swatch takes the colour as stored on Windows, 0x00BBGGRR.
        const QRgb rgb = palette[i];
        const uint32_t colour = uint32_t(qBlue(rgb)) << 16 | uint32_t(qGreen(rgb)) << 8 | uint32_t(qRed(rgb));
        grid.AddColorRow(s("Color ") + QString::number(i), colour);
    }
}

void ShowLandmarkDataFrame(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeaderAt(s("Landmark Data Frame"), {}, node.recordOffset);
    partview::Help(grid, HelpDocument::Parameters);
    const auto reader = readerOf(node);
    TLN_LandmarkDataFrame frame;
    if (!reader || node.recordOffset < 0 || !reader->ReadLandmarkDataFrame(node.recordOffset, frame)) return;
    Hex32(grid, s("Header Size"), frame.Size);
    grid.AddWordRow(s("Number of Category Codes"), {}, frame.NumberOfCategoryCodes);
    grid.AddWordRow(s("Number of Landmark Pattern Tables"), {}, frame.NumberOfPatternTables);
    grid.AddEmptyRow();
    Hex32(grid, s("Size of Name and Reading Info"), frame.NameAndReadingInfoSize);
    Hex32(grid, s("Size of Name and Reading Data List"), frame.NameAndReadingListSize);
    Address(grid, s("Offset to Name and Reading Data List"), frame.NameAndReadingListPosition);
}

void ShowLandmarkPatternTable(KindContext& context, RecordNode& node) {
    const auto reader = readerOf(node);
    TLN_LandmarkPatternTable table;
    const bool read = reader && node.index >= 0 && node.index < TLN_ParamManager::kMaxPatternTables &&
                      reader->ReadLandmarkPatternTable(int(node.index), landmarkFrameOf(node), table);
    patternTableHeader(context.grid, read ? table.Position : node.recordOffset);
    if (read) patternTableRows(context, node, *reader, table);
}

void ShowLandmarkPatternTable2(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const auto reader = readerOf(node);
    TLN_LandmarkPatternTable2 table;
    const bool read = reader && node.index >= 0 && node.index < TLN_ParamManager::kMaxPatternTables &&
                      reader->ReadLandmarkPatternTable2(int(node.index), landmarkFrameOf(node), table);
    patternTableHeader(grid, read ? table.Position : node.recordOffset);
    if (!read) return;
    Hex32(grid, s("Size of Landmark Pattern Table Management Information"), table.Size);
    grid.AddByteRow(s("Landmark Format Flag"), {}, table.FormatFlag);
    grid.AddByteRow(s("Number of bits per pixel"), {}, uint8_t(table.BitsPerPixel));
    grid.AddByteRow(s("Color Palette Number (for day)"), {}, table.DayPalette);
    grid.AddByteRow(s("Color Palette Number (for night)"), {}, table.NightPalette);
    grid.AddWordRow(s("Number of Landmark Pattern Groups"), {}, table.NumberOfPatternGroups);
    Frame(grid, s("Offset to Landmark Pattern Table"), s("Size of Landmark Pattern Table"),
          table.PatternTablePosition, table.PatternTableSize);
}

void ShowLandmarkPatternTable3(KindContext& context, RecordNode& node) {
    const auto reader = readerOf(node);
    TLN_LandmarkPatternTable table;
    const bool read = reader && node.index >= 0 && node.index < TLN_ParamManager::kMaxPatternTables &&
                      reader->ReadLandmarkPatternTable3(int(node.index), landmarkFrameOf(node), table);
    patternTableHeader(context.grid, read ? table.Position : node.recordOffset);
    if (read) patternTableRows(context, node, *reader, table);
}

void RegisterParameterViews(NodeKinds& table) {
    // Every view but the part's own (whose management header rows carry it) ends with why its node is an
    // "(Error)" one.
    table.SetView(kParametersPart, ShowAllDataParametersHeader);
    table.SetView(1320, WithErrorRows(ShowParametersHeader));
    table.SetView(190, WithErrorRows(ShowParameterManagement));
    table.SetView(191, WithErrorRows(ShowColorPaletteTable));
    table.SetView(192, ShowColor);
    for (int kind : {194, 196, 198})
        table.SetView(kind, WithErrorRows(ShowLandmarkDataFrame));
    table.SetView(195, ShowLandmarkPatternTable);
    table.SetView(197, ShowLandmarkPatternTable2);
    table.SetView(199, ShowLandmarkPatternTable3);
}
