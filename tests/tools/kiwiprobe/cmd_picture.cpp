// kiwiprobe picture / gen-picture / png: what the picture readers see in a "PCT2MNG.KWI" list and its
// files (optionally writing each decoded picture as PNG), the standard picture fixture, and the pixels
// of a PNG file.
#include <QBuffer>
#include <QImage>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <string>

#include "ProbeCommand.h"
#include "ProbeOutput.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/picture/EXPCTManager.h"
#include "kiwi/picture/GraphicManager.h"
#include "kiwi/picture/PCT2MNGManager.h"
#include "platform/GuardedFileWriter.h"
#include "support/fixtures/PictureFixture.h"

namespace {
const char* const kTypeNames[] = {"clut", "vector", "gif", "bmp", "tiff", "epsf", "rib", "jpeg"};

std::string hexColors(const std::vector<TLN_Color>& colors) {
    std::string text;
    char item[8];
    for (TLN_Color c : colors) {
        std::snprintf(item, sizeof item, " %02X%02X%02X", c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
        text += item;
    }
    return text;
}

std::string stem(const std::string& name) {
    const std::string file = fileNamePart(name);
    return file.substr(0, file.find('.'));
}

// Where --png writes each decoded picture, and what the run could not write there.
struct PngOutput {
    std::string folder;
    std::vector<std::string> sources;
    bool replace = false;
    std::vector<std::string> refused; // names that exist in folder already
    bool failed = false;
};

void writePng(const QImage& image, const std::string& name, PngOutput& out) {
    GuardedFileWriter file(joinPath(out.folder, name), {out.sources, out.replace});
    // After the first failure the rest is only looked at, so that every file in the way is listed.
    if (file.IsOpen() && !out.failed) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        if (file.Write(png.constData(), size_t(png.size())) && file.Commit()) return;
    }
    if (file.ErrorCode() == EEXIST)
        out.refused.push_back(name);
    else if (!out.failed)
        std::fprintf(stderr, "picture: %s\n", file.Error().c_str());
    out.failed = true;
}

void printPictures(const std::string& path, PngOutput& png) {
    TLN_GraphicManager reader(path);
    const TLN_ImageManagementHeader& h = reader.Header();
    std::printf(
        "pictures %s valid %d header %u record-size %u top 0x%X 0x%X 0x%X palette-sets %d color-tables %d "
        "images %d\n",
        fileNamePart(path).c_str(), reader.IsValid(), h.HeaderSize, h.PaletteSetRecordSize, h.TopPaletteSetID,
        h.TopColorTableID, h.TopImageDataID, reader.PaletteSetCount(), reader.ColorTableCount(),
        reader.ImageCount());
    for (int i = 0; i < reader.PaletteSetCount(); ++i) {
        TLN_PaletteSet set;
        reader.ReadPaletteSet(i, set);
        std::printf("palette-set 0x%X at 0x%llX classes 0x%X 0x%X 0x%X 0x%X\n", h.TopPaletteSetID + i,
                    (long long)reader.PaletteSetPosition(i), set[0], set[1], set[2], set[3]);
    }
    for (int i = 0; i < reader.ColorTableCount(); ++i) {
        TLN_Color_Table table;
        if (!reader.ReadCLUT(i, table)) {
            std::printf("color-table 0x%X unreadable\n", h.TopColorTableID + i);
            continue;
        }
        std::string transparent =
            table.HasTransparentColor() ? std::to_string(table.TransparentColorCode) : "none";
        std::printf("color-table 0x%X at 0x%llX clear %u transparent %s colors %u:%s\n",
                    h.TopColorTableID + i, (long long)reader.ColorTablePosition(i), table.ClearColorCode,
                    transparent.c_str(), table.ColorCount, hexColors(table.Colors).c_str());
    }
    for (int i = 0; i < reader.ImageCount(); ++i) {
        const unsigned id = h.TopImageDataID + unsigned(i);
        TLN_ImageDataRecord r;
        if (!reader.ReadImageRecord(i, r)) {
            std::printf("image 0x%X unreadable\n", id);
            continue;
        }
        QImage image;
        if (r.DataType == idtCLUT) image = reader.DecodeImage(i, 0);
        if (r.DataType == idtGIF) image = reader.LoadGIFImage(i);
        std::string result = "none";
        if (!image.isNull())
            result = std::string(kTypeNames[r.DataType]) + " " + std::to_string(image.width()) + "x" +
                     std::to_string(image.height());
        std::printf(
            "image 0x%X at 0x%llX words %u type %s id %u route %s palette-set 0x%X size %ux%u offset %u,%u "
            "-> %s\n",
            id, (long long)r.Position, r.SizeWords, kTypeNames[r.DataType & 7], r.Identification,
            r.RouteDataExists
                ? ("0x" + QString::number(r.RouteDataPosition, 16).toUpper().toStdString()).c_str()
                : "no",
            r.PaletteSetID, r.Width, r.Height, r.XOffset, r.YOffset, result.c_str());
        if (!png.folder.empty() && !image.isNull()) {
            char name[32];
            std::snprintf(name, sizeof name, "%s_%04X.png", stem(path).c_str(), id);
            writePng(image, name, png);
        }
    }
}

void printExpansion(const std::string& path) {
    TLN_EXPCTManager reader(path);
    const TLN_EXPCT_Header& h = reader.Header();
    std::printf(
        "expansion %s valid %d position %d,%d floor %u date 0x%04X codes 0x%04X 0x%04X 0x%04X data 0x%llX "
        "words %u\n",
        fileNamePart(path).c_str(), reader.IsValid(), h.UserClassification.X, h.UserClassification.Y,
        h.UserClassification.ByteValue, h.UserClassification.WordValue, h.UsageClassificationCode,
        h.DataClassificationCode, h.EquipmentClassificationCode, (long long)h.PictureDataPosition,
        h.PictureDataSize);
}

// One line per management, then for each picture data and expansion picture file its content.
int pictureCommand(const probe::Args& args) {
    const auto& files = args.words();
    if (!probe::oneArgument(files, "picture: give PCT2MNG.KWI")) return 2;
    if (!probe::mountImageOption(args, "picture")) return probe::kImageNotMounted;
    PngOutput png{args.value("--png"), probe::sourcesOf(args), args.has("--replace"), {}, false};
    TLN_PCT2MNGManager list(files[0]);
    std::printf("list %s valid %d stored %d entries %d\n", fileNamePart(files[0]).c_str(), list.IsValid(),
                list.StoredCount(), list.Count());
    std::vector<std::string> paths;
    for (int i = 0; i < list.Count(); ++i) {
        const TLN_PictureManagement& item = list.Items()[size_t(i)];
        const std::string path = list.ManagementFilePath(i);
        paths.push_back(path);
        png.sources.push_back(path);
        std::printf("management %d kind %u name %s %s\n", i, item.Kind >> 16, item.Name.c_str(),
                    path.empty() ? "missing" : ("file " + fileNamePart(path)).c_str());
    }
    for (int i = 0; i < list.Count(); ++i) {
        if (paths[size_t(i)].empty()) continue;
        const uint32_t kind = list.Items()[size_t(i)].Kind;
        if (kind == kPictureDataKind) printPictures(paths[size_t(i)], png);
        if (kind == kExpansionPictureKind) printExpansion(paths[size_t(i)]);
    }
    if (!png.refused.empty()) {
        std::fprintf(stderr, "picture: %s holds files this run would replace:", png.folder.c_str());
        for (const std::string& name : png.refused)
            std::fprintf(stderr, " %s", name.c_str());
        std::fprintf(stderr, "; --replace replaces them\n");
        return 2;
    }
    return png.failed ? 1 : 0;
}

int generatePictureCommand(const probe::Args& args) {
    if (!probe::oneArgument(args.words(), "gen-picture: give DIR")) return 2;
    fixture::writeStandardPictureSet(args.words()[0]);
    return 0;
}

// "FILE WxH", then one line per row: each pixel as AARRGGBB.
int pngCommand(const probe::Args& args) {
    const auto& files = args.words();
    if (!probe::oneArgument(files, "png: give FILE")) return 2;
    const QImage image = QImage(QString::fromStdString(files[0])).convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) {
        std::fprintf(stderr, "png: cannot read %s\n", files[0].c_str());
        return 1;
    }
    std::printf("%s %dx%d\n", fileNamePart(files[0]).c_str(), image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            std::printf("%s%08X", x ? " " : "", image.pixel(x, y));
        std::printf("\n");
    }
    return 0;
}

probe::Register pictureReg("picture", "PCT2MNG.KWI [--png DIR [--replace]] [--image IMAGE]",
                           "Every picture the list names; --png writes each into DIR, replacing a file there "
                           "only with --replace. Exit 1 when a picture cannot be written, 2 when DIR holds "
                           "one of its names already (listed) or a wrong command line.",
                           pictureCommand);
probe::Register generateReg("gen-picture", "DIR", "Writes the picture test files into DIR.",
                            generatePictureCommand);
probe::Register pngReg("png", "FILE", "The size and pixels of a PNG file.", pngCommand);
} // namespace
