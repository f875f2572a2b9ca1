// The picture records, row by row, and the picture of an image record handed to the host to show over the
// grid.
#include "mainwindow/model/views/PictureViews.h"

#include <algorithm>
#include <array>
#include <string_view>

#include <QByteArray>

#include "kiwi/core/ImageLimits.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/picture/EXPCTManager.h"
#include "kiwi/picture/GraphicManager.h"
#include "kiwi/picture/PCT2MNGManager.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/views/PartViewSupport.h"

using partview::Address;
using partview::Count;
using partview::Frame;
using partview::Hex32;

namespace {

constexpr int kGraphicPart = 105;
constexpr int kExtendedPicturePart = 126;
constexpr int kPaletteSets = 1200;
constexpr int kPictureListPart = 130;
// The management header records of the ALLDATA parts these views start with.
constexpr int kGraphicHeaderIndex = 5;
constexpr int kExtendedPictureHeaderIndex = 26;
constexpr int kPictureListHeaderIndex = 30;
// Bytes of a BMP file header and its info header's width and height.
constexpr qsizetype kBmpHeaderBytes = 26;
// The largest BMP read into memory for showing.
constexpr int64_t kMaxBmpBytes = int64_t(64) << 20;

constexpr std::array<std::string_view, 8> kImageTypes{"CLUT", "Vecor", "GIF", "BMP",
                                                      "TIFF", "EPSF",  "RIB", "JPEG"};

QString s(const char* text) {
    return QString::fromUtf8(text);
}

std::shared_ptr<TLN_GraphicManager> graphicOf(const RecordNode& node) {
    return node.held.Shared<TLN_GraphicManager>();
}

uint32_t littleEndian32(const QByteArray& bytes, qsizetype at) {
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

// A BMP image of the record's bytes; its size is checked before Qt allocates for it.
QImage bmpPicture(const TLN_GraphicManager& reader, const TLN_ImageDataRecord& record) {
    const int64_t end = std::min(record.Position + int64_t(record.SizeWords) * 2, reader.Stream().Size());
    const int64_t count = end - record.DataPosition;
    if (count < kBmpHeaderBytes || count > kMaxBmpBytes) return {};
    QByteArray bytes(qsizetype(count), '\0');
    if (bounded::readInto(reader.Stream(), record.DataPosition, bytes.data(), count) != count) return {};
    if (!bytes.startsWith("BM")) return {};
    const auto width = int32_t(littleEndian32(bytes, 18));
    const auto height = int32_t(littleEndian32(bytes, 22));
    const int64_t pixels = int64_t(std::abs(int64_t(width))) * std::abs(int64_t(height));
    if (width == 0 || height == 0 || pixels > kMaxImagePixels) return {};
    return QImage::fromData(bytes, "BMP");
}

void managementHeaderWhenPart(KindContext& context, const RecordNode& node, int partKind, int headerIndex,
                              HelpDocument document) {
    // A file listed in PCT2MNG.KWI is no management header of ALLDATA.KWI (and may come without one).
    if (node.kind == partKind) partview::ManagementHeader(context, node, headerIndex, document);
}

} // namespace

QImage ImageDataPicture(const TLN_GraphicManager& reader, int i, const TLN_ImageDataRecord& record,
                        std::string* why) {
    switch (record.DataType) {
    case idtCLUT:
        return reader.DecodeImage(i, 0);
    case idtGIF:
        return reader.LoadGIFImage(i, why);
    case idtBMP:
        return bmpPicture(reader, record);
    default:
        return {};
    }
}

void ShowImageManagementHeader(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    managementHeaderWhenPart(context, node, kGraphicPart, kGraphicHeaderIndex, HelpDocument::ImageManagement);
    grid.AddSectionHeader(s("Image Management Distribution Header"));
    if (node.kind != kGraphicPart) partview::Help(grid, HelpDocument::ImageManagement);
    const auto reader = graphicOf(node);
    if (!reader || !reader->IsValid()) {
        if (node.kind != kGraphicPart) partview::ErrorRow(grid, node);
        return;
    }
    const TLN_ImageManagementHeader& header = reader->Header();
    Hex32(grid, s("Image Management Distribution Header Size"), header.HeaderSize);
    Hex32(grid, s("Pallete Set Record Size"), header.PaletteSetRecordSize);
    grid.AddWordHexRow(s("Top Palette Set ID"), {}, header.TopPaletteSetID);
    grid.AddWordHexRow(s("Top Color Table ID"), {}, header.TopColorTableID);
    grid.AddWordHexRow(s("Top Image Data ID"), {}, header.TopImageDataID);
    Frame(grid, s("Offset to the Palette Set Data Frame"), s("Pallete Set Data Frame Size"),
          reader->PaletteSetFramePosition(), header.PaletteSetFrameSize);
    Frame(grid, s("Offset to the Color Table Data Frame"), s("Color Table Data Frame Size"),
          reader->ColorTableFramePosition(), header.ColorTableFrameSize);
    Frame(grid, s("Offset to the Image Data Frame"), s("Image Data Frame Size"),
          reader->ImageDataFramePosition(), header.ImageDataFrameSize);
    const int64_t service = header.ServiceFrameOffset == 0xFFFFFFFFu
                                ? -1
                                : reader->Base() + int64_t(header.ServiceFrameOffset) * 2;
    Frame(grid, s("Offset to the Image Service Information Data Frame"),
          s("Image Service Information Data Frame Size"), service, header.ServiceFrameSize);
}

void ShowPaletteSets(KindContext& context, RecordNode& node) {
    context.grid.AddSectionHeaderAt(node.caption, {}, node.recordOffset);
    const auto reader = graphicOf(node);
    const int stored = !reader                     ? 0
                       : node.kind == kPaletteSets ? reader->StoredPaletteSetCount()
                                                   : reader->StoredColorTableCount();
    context.grid.AddDWordRow(s("Number of Items"), {}, uint32_t(stored));
    partview::ErrorRow(context.grid, node);
}

void ShowImageDataCount(KindContext& context, RecordNode& node) {
    context.grid.AddSectionHeaderAt(node.caption, {}, node.recordOffset);
    const auto reader = graphicOf(node);
    context.grid.AddDWordRow(s("Number of Items"), {}, uint32_t(reader ? reader->StoredImageCount() : 0));
    partview::ErrorRow(context.grid, node);
}

void ShowPaletteSet(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(node.caption);
    partview::Help(grid, HelpDocument::PictureData);
    const auto reader = graphicOf(node);
    const int64_t position = reader && node.index >= 0 && node.index < reader->PaletteSetCount()
                                 ? reader->PaletteSetPosition(int(node.index))
                                 : -1;
    if (position < 0) return;
    // One classification byte per row, as far as the palette set record holds them.
    static constexpr std::array<const char*, 6> kNames{
        "Color Table Classification used for Day Time",
        "Color Table Classification used for Night Time",
        "Color Table Classification used for Day Time Driving",
        "Color Table Classification used for Day Time Stop",
        "Color Table Classification used for Night Time Driving",
        "Color Table Classification used for Night Time Stop"};
    std::array<uint8_t, kNames.size()> bytes{};
    const int64_t wanted =
        std::min<int64_t>(int64_t(kNames.size()), int64_t(reader->Header().PaletteSetRecordSize) * 2);
    const int64_t read = wanted > 0 ? bounded::readInto(reader->Stream(), position, bytes.data(), wanted) : 0;
    for (int64_t i = 0; i < read; ++i)
        grid.AddWordRow(s(kNames[size_t(i)]), {}, bytes[size_t(i)]);
}

void ShowColorTable(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const auto reader = graphicOf(node);
    TLN_Color_Table table;
    const bool read = reader && node.index >= 0 && node.index < reader->ColorTableCount() &&
                      reader->ReadCLUT(int(node.index), table);
    grid.AddSectionHeaderAt(node.caption, {},
                            read ? reader->ColorTablePosition(int(node.index)) : node.recordOffset);
    partview::Help(grid, HelpDocument::PictureData);
    if (!read) return;
    grid.AddWordHexRow(s("Color Code in Clear Color"), {}, table.ClearColorCode);
    grid.AddWordHexRow(s("Color Code in permeable (transparent) Color"), {}, table.TransparentColorCode);
    grid.AddWordRow(s("Number of Color Codes"), {}, table.ColorCount);
    for (size_t k = 0; k < table.Colors.size(); ++k) {
        grid.AddColorRow(s("Color ") + QString::number(k), table.Colors[k]);
        FieldGridModel& model = grid.Model();
        model.Row(model.rowCount() - 1).remark = s(" (BGR Value)");
    }
}

void ShowImageDataRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const auto reader = graphicOf(node);
    TLN_ImageDataRecord record;
    const bool read = reader && node.index >= 0 && node.index < reader->ImageCount() &&
                      reader->ReadImageRecord(int(node.index), record);
    grid.AddSectionHeaderAt(s("Image Data Record"), {}, read ? record.Position : node.recordOffset);
    partview::Help(grid, HelpDocument::PictureData);
    partview::ErrorRow(grid, node);
    if (!read) return;
    grid.AddHexDecRow(s("Image ID"), {}, uint32_t(reader->Header().TopImageDataID + node.index));
    Hex32(grid, s("Size of the Image Data Record"), record.SizeWords);
    grid.AddByteRow(s("Image Data Type"), enumText(kImageTypes, record.DataType), record.DataType);
    grid.AddByteRow(s("Image Data Identification"), {}, record.Identification);
    grid.AddHexDecRow(s("Palette Set Classification"), {}, record.PaletteSetID);
    grid.AddWordRow(s("Size in the X-direction of Presenting Image"), {}, record.Width);
    grid.AddWordRow(s("Size in the Y-direction of Presenting Image"), {}, record.Height);
    grid.AddWordRow(s("X-coordinate Offset from the Lower-left Corner"), {}, record.XOffset);
    grid.AddWordRow(s("Y-coordinate Offset from the Lower-left Corner"), {}, record.YOffset);
    grid.AddYesNoRow(s("Route Data Existence Flag"), {}, record.RouteDataExists);
    Address(grid, s("Offset to the Route Data"), record.RouteDataPosition);
    std::string why;
    const QImage picture = ImageDataPicture(*reader, int(node.index), record, &why);
    if (!picture.isNull())
        context.host.ShowPicture(picture);
    else if (!why.empty())
        grid.AddTextRow(s("Ошибка"), s("GIF не декодирован"), QString::fromStdString(why));
}

void ShowPictureAssignedManagements(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    if (node.kind == kPictureListPart)
        partview::ManagementHeader(context, node, kPictureListHeaderIndex, HelpDocument::DataVolume);
    grid.AddSectionHeader(s("Picture Assigned Managements List "));
    const TLN_PCT2MNGManager* list = node.held.As<TLN_PCT2MNGManager>();
    grid.AddDWordRow(s("Number of Included Managements"), {}, uint32_t(list ? list->StoredCount() : 0));
    if (node.kind != kPictureListPart) partview::ErrorRow(grid, node);
}

void ShowExtendedPictureHeader(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    managementHeaderWhenPart(context, node, kExtendedPicturePart, kExtendedPictureHeaderIndex,
                             HelpDocument::DataVolume);
    grid.AddSectionHeader(s("Extended Picture Data Frame Distribution Header"));
    const TLN_EXPCTManager* reader = node.held.As<TLN_EXPCTManager>();
    if (!reader || !reader->IsValid()) {
        if (node.kind != kExtendedPicturePart) partview::ErrorRow(grid, node);
        return;
    }
    const TLN_EXPCT_Header& header = reader->Header();
    const TLN_PointRecord& point = header.UserClassification;
    grid.AddLatLonRow(s("Latitude and Longitude of User Classification"), true, TLN_Point{point.X, point.Y});
    grid.AddWordRow(s("Floor of The User Classification"), {}, point.ByteValue);
    grid.AddDateRow(s("Date of User Classification"), {}, point.WordValue);
    grid.AddWordHexRow(s("Usage_Classification_Code"), {}, header.UsageClassificationCode);
    grid.AddWordHexRow(s("Data_Classification_Code"), {}, header.DataClassificationCode);
    grid.AddWordHexRow(s("Equipment_Classification_Code"), {}, header.EquipmentClassificationCode);
    Frame(grid, s("Address of Picture Service Data Frame"), s("Size of Picture Service Data Frame"),
          header.PictureDataPosition, header.PictureDataSize);
    if (node.kind != kExtendedPicturePart) partview::ErrorRow(grid, node);
    partview::ReasonRows(grid, node, reader->DataError());
}

void RegisterPictureViews(NodeKinds& table) {
    for (int kind : {kGraphicPart, 1310})
        table.SetView(kind, ShowImageManagementHeader);
    for (int kind : {1200, 1201})
        table.SetView(kind, ShowPaletteSets);
    table.SetView(1202, ShowImageDataCount);
    table.SetView(1210, ShowPaletteSet);
    table.SetView(1220, ShowColorTable);
    // A more-node stands for its image: it shows that image's record while its page is turned.
    for (int kind : {1230, 1231})
        table.SetView(kind, ShowImageDataRecord);
    for (int kind : {kPictureListPart, 1300})
        table.SetView(kind, ShowPictureAssignedManagements);
    for (int kind : {kExtendedPicturePart, 1315})
        table.SetView(kind, ShowExtendedPictureHeader);
}
