// Picture data fixtures, written byte by byte from the layouts.
#include "support/PictureFixture.h"

#include <stdexcept>

#include <gif_lib.h>

#include "support/FixtureWriter.h"

namespace fixture {

std::vector<uint8_t> clutUnit(int layout, uint32_t colorIndex, uint32_t length) {
    switch (layout) {
    case 1:
        return {uint8_t(colorIndex << 3 | (length - 1))};
    case 2: {
        const uint32_t w = colorIndex << 11 | (length - 1);
        return {uint8_t(w >> 8), uint8_t(w)};
    }
    case 3: {
        const uint32_t w = colorIndex << 8 | (length - 1);
        return {uint8_t(w >> 8), uint8_t(w)};
    }
    default:
        throw std::invalid_argument("no such CLUT layout");
    }
}

std::vector<uint8_t> clutRuns(int layout, int width, int height, const std::vector<int>& indices) {
    const int longest = layout == 1 ? 8 : layout == 2 ? 2048 : 256;
    std::vector<uint8_t> out;
    for (int y = 0; y < height; ++y) {
        int x = 0;
        while (x < width) {
            const int index = indices.at(size_t(y * width + x));
            int length = 1;
            while (x + length < width && length < longest &&
                   indices.at(size_t(y * width + x + length)) == index)
                ++length;
            const auto unit = clutUnit(layout, uint32_t(index), uint32_t(length));
            out.insert(out.end(), unit.begin(), unit.end());
            x += length;
        }
    }
    return out;
}

namespace {
int appendToVector(GifFileType* gif, const GifByteType* data, int count) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + count);
    return count;
}
} // namespace

std::vector<uint8_t> makeGif(int width, int height, const std::vector<int>& indices,
                             const std::vector<uint32_t>& colours, int transparentIndex, bool interlaced) {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendToVector, &error);
    if (!gif) throw std::runtime_error("EGifOpen failed");
    int mapSize = 2;
    int bits = 1;
    while (mapSize < int(colours.size())) {
        mapSize *= 2;
        ++bits;
    }
    std::vector<GifColorType> entries(size_t(mapSize), GifColorType{0, 0, 0});
    for (size_t i = 0; i < colours.size(); ++i)
        entries[i] = {GifByteType(colours[i] >> 16), GifByteType(colours[i] >> 8), GifByteType(colours[i])};
    ColorMapObject* map = GifMakeMapObject(mapSize, entries.data());
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, width, height, bits, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    if (ok && transparentIndex >= 0) {
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, transparentIndex};
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, interlaced, nullptr) == GIF_OK;
    std::vector<int> rows;
    if (interlaced) {
        const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = starts[pass]; y < height; y += steps[pass])
                rows.push_back(y);
    } else {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
    }
    std::vector<GifPixelType> line(static_cast<size_t>(width));
    for (int y : rows) {
        for (int x = 0; x < width; ++x)
            line[size_t(x)] = GifPixelType(indices.at(size_t(y * width + x)));
        ok = ok && EGifPutLine(gif, line.data(), width) == GIF_OK;
    }
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    if (!ok) throw std::runtime_error("GIF encoding failed");
    return out;
}

std::vector<uint8_t> buildPictureFile(const PictureFile& file) {
    ByteWriter w;
    w.fill(40);

    const size_t setFrame = w.size();
    w.u16(file.storedPaletteSetCount >= 0 ? uint32_t(file.storedPaletteSetCount) : file.paletteSets.size());
    for (const auto& set : file.paletteSets) {
        w.raw(set.data(), 4);
        if (file.paletteSetRecordWords * 2 > 4) w.fill(size_t(file.paletteSetRecordWords * 2 - 4));
    }
    w.align(2);
    const size_t setSize = w.size() - setFrame;

    const size_t tableFrame = w.size();
    w.u16(file.storedTableCount >= 0 ? uint32_t(file.storedTableCount) : file.tables.size());
    w.fill(4 * file.tables.size());
    for (size_t i = 0; i < file.tables.size(); ++i) {
        const PictureColorTable& table = file.tables[i];
        w.align(2);
        w.patchU16(tableFrame + 2 + 4 * i, uint32_t((w.size() - tableFrame) / 2));
        w.u16(table.clear).u16(table.transparent);
        w.u16(table.storedCount >= 0 ? uint32_t(table.storedCount) : table.colours.size());
        for (uint32_t c : table.colours)
            w.u8(c >> 16).u8(c >> 8).u8(c).u8(0);
    }
    w.align(2);
    const size_t tableSize = w.size() - tableFrame;

    const size_t imageFrame = w.size();
    w.u16(file.storedImageCount >= 0 ? uint32_t(file.storedImageCount) : file.images.size());
    w.fill(6 * file.images.size());
    for (size_t i = 0; i < file.images.size(); ++i) {
        const PictureImage& image = file.images[i];
        w.align(2);
        const size_t start = w.size();
        w.u8(0).u8(uint32_t(image.type << 4 | image.identification << 1 | (image.route ? 1 : 0)));
        w.u32(image.paletteSetId).u16(image.width).u16(image.height).u16(image.xOffset).u16(image.yOffset);
        if (image.route) w.u32(image.routeOffset);
        w.raw(image.data);
        w.align(2);
        w.patchU32(imageFrame + 2 + 6 * i, uint32_t((start - imageFrame) / 2));
        w.patchU16(imageFrame + 6 + 6 * i, uint32_t((w.size() - start) / 2));
    }
    const size_t imageSize = w.size() - imageFrame;

    w.patchU16(0, 19);
    w.patchU16(2, file.paletteSetRecordWords);
    w.patchU16(4, file.topPaletteSetId);
    w.patchU16(6, file.topColorTableId);
    w.patchU16(8, file.topImageId);
    w.patchU32(10, uint32_t(setFrame / 2));
    w.patchU16(14, uint32_t(setSize / 2));
    w.patchU32(16, uint32_t(tableFrame / 2));
    w.patchU16(20, uint32_t(tableSize / 2));
    w.patchU32(22, uint32_t(imageFrame / 2));
    w.patchU32(26, uint32_t(imageSize / 2));
    w.patchU32(30, uint32_t(w.size() / 2));
    w.patchU32(34, 0);
    return w.take();
}

std::vector<uint8_t> buildPct2Mng(const std::vector<std::pair<uint32_t, std::string>>& entries,
                                  int storedCount) {
    ByteWriter w;
    w.u8(0x00).u8(0x03).u8(0x00).u8(0x0C);
    w.u16(storedCount >= 0 ? uint32_t(storedCount) : entries.size()).fill(4);
    for (const auto& [flags, name] : entries)
        w.u32(flags).fill(4).fixedText(name, 12).fill(4);
    return w.take();
}

std::vector<uint8_t> buildExpansionPicture(const ExpansionHeader& h, const std::vector<uint8_t>& data) {
    ByteWriter w;
    w.coordinate(h.latitude).coordinate(h.longitude).u8(h.floor).u8(0).u16(h.date);
    w.u16(h.usage).u16(h.dataCode).u16(h.equipment).u32(h.dataOffsetWords).u16(h.dataSizeWords);
    w.raw(data);
    return w.take();
}

QImage expectedImage(int width, int height, const std::vector<int>& indices,
                     const std::vector<uint32_t>& colours, int64_t transparentColour) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int index = indices.at(size_t(y * width + x));
            QRgb pixel = 0;
            if (index >= 0 && size_t(index) < colours.size() &&
                int64_t(colours[size_t(index)]) != transparentColour)
                pixel = 0xFF000000u | colours[size_t(index)];
            image.setPixel(x, y, pixel);
        }
    return image;
}

namespace {
const std::vector<uint32_t> kBasicColours = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                             0xFFFF00, 0x00FFFF, 0xFF00FF, 0xFFFFFF};
const std::vector<uint32_t> kKeyedColours = {0x102030, 0x405060, 0xFF8000, 0xFF8000, 0x0080FF};

std::vector<uint32_t> rampColours() {
    std::vector<uint32_t> colours;
    for (uint32_t k = 0; k < 32; ++k)
        colours.push_back((k * 8) << 16 | (255 - k * 8) << 8 | ((k * 37) & 0xFF));
    return colours;
}

std::vector<int> pattern(int width, int height, int (*f)(int x, int y)) {
    std::vector<int> indices;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            indices.push_back(f(x, y));
    return indices;
}

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

StandardPictureSet makeStandardSet() {
    StandardPictureSet s;
    PictureFile& f = s.main;
    f.topPaletteSetId = 0x20;
    f.topColorTableId = 0x10;
    f.topImageId = 0x100;
    f.paletteSetRecordWords = 3; // a record longer than its four classification bytes
    f.paletteSets = {{0x10, 0x11, 0x12, 0x10},
                     {0x11, 0x10, 0x10, 0x10},
                     {0x12, 0x12, 0x12, 0x12},
                     {0x05, 0x13, 0x10, 0x10}};
    f.tables = {{0, 0xFFFF, kBasicColours}, {1, 2, kKeyedColours}, {0, 0xFFFF, rampColours()}};
    auto add = [&](PictureImage image, const std::string& what, QImage expected) {
        f.images.push_back(std::move(image));
        s.mainImages.push_back({what, std::move(expected)});
    };

    const std::vector<int> i0 = {1, 1, 1, 2, 2, 0, 0, 0, 0, 0, 7, 6, 5, 4, 3};
    add({0, 1, false, 0, 0x20, 5, 3, 0, 0, clutRuns(1, 5, 3, i0)}, "CLUT layout 1",
        expectedImage(5, 3, i0, kBasicColours));

    std::vector<int> i1(10, 0);
    i1.insert(i1.end(), {1, 2, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 4, 1});
    add({0, 2, false, 0, 0x21, 12, 2, 3, 4, clutRuns(2, 12, 2, i1)}, "CLUT layout 2, transparent colour",
        expectedImage(12, 2, i1, kKeyedColours, 0xFF8000));

    const auto i2 = pattern(6, 4, [](int x, int y) { return (x * 5 + y * 7) % 32; });
    add({0, 3, true, 0x20, 0x22, 6, 4, 0, 0, clutRuns(3, 6, 4, i2)}, "CLUT layout 3, route data",
        expectedImage(6, 4, i2, rampColours()));

    const std::vector<uint32_t> gifColours = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    const auto i3 = pattern(7, 5, [](int x, int y) { return (x + y) % 4; });
    std::vector<int> shown3 = i3;
    for (int& index : shown3)
        if (index == 2) index = -1;
    add({2, 0, false, 0, 0x20, 7, 5, 0, 0, makeGif(7, 5, i3, gifColours, 2)}, "GIF, transparent index 2",
        expectedImage(7, 5, shown3, gifColours));

    // A run longer than its row is cut there; an index past the table is transparent; runs after the
    // last row are ignored.
    add({0, 1, false, 0, 0x20, 4, 3, 0, 0,
         concat({clutUnit(1, 1, 8), clutUnit(1, 31, 2), clutUnit(1, 2, 2), clutUnit(1, 3, 4),
                 clutUnit(1, 4, 8)})},
        "hostile runs", expectedImage(4, 3, {1, 1, 1, 1, -1, -1, 2, 2, 3, 3, 3, 3}, kBasicColours));
    add({0, 2, false, 0, 0x20, 65535, 65535, 0, 0, concat({clutUnit(2, 1, 2048), clutUnit(2, 1, 2048)})},
        "65535 x 65535", QImage());
    add({0, 3, false, 0, 0x20, 300, 300, 0, 0, concat({clutUnit(3, 1, 256), clutUnit(3, 1, 256)})},
        "300 x 300 in 4 bytes", QImage());
    add({0, 1, false, 0, 0x23, 2, 2, 0, 0, clutRuns(1, 2, 2, {1, 2, 3, 4})}, "colour table ID below the top",
        QImage());
    add({0, 1, false, 0, 0x99, 2, 2, 0, 0, clutRuns(1, 2, 2, {1, 2, 3, 4})}, "palette set ID past the sets",
        QImage());
    add({0, 5, false, 0, 0x20, 2, 2, 0, 0, {0, 0, 0, 0}}, "identification 5", QImage());
    auto gif = makeGif(7, 5, i3, gifColours, -1);
    gif.resize(30);
    add({2, 0, false, 0, 0x20, 7, 5, 0, 0, gif}, "truncated GIF", QImage());
    add({1, 0, false, 0, 0x20, 3, 3, 0, 0, {1, 2, 3, 4}}, "vector image", QImage());

    PictureFile& g = s.second;
    g.paletteSets = {{0, 0, 0, 0}};
    g.tables = {{0, 0xFFFF, kBasicColours}};
    const auto i4 = pattern(5, 9, [](int x, int y) { return (x * 3 + y) % 8; });
    g.images.push_back({2, 0, false, 0, 0, 5, 9, 0, 0, makeGif(5, 9, i4, kBasicColours, -1, true)});
    s.secondImages.push_back({"interlaced GIF", expectedImage(5, 9, i4, kBasicColours)});

    s.expansion = {1589820, 3947658, 3, 0x1234, 1, 2, 3, 12, 4};
    s.list = {{0x00000000, "PICT0001.KWI"},
              {0xABC2FFFF, "EXPCT001.KWI"},
              {0x00010000, "PARAM001.KWI"},
              {0x00000000, "PICT0002.KWI"},
              {0x00000000, "../PICT.KWI"}};
    return s;
}
} // namespace

const StandardPictureSet& standardPictureSet() {
    static const StandardPictureSet set = makeStandardSet();
    return set;
}

void writeStandardPictureSet(const std::string& folder) {
    const StandardPictureSet& s = standardPictureSet();
    writeFile(folder + "/PCT2MNG.KWI", buildPct2Mng(s.list));
    writeFile(folder + "/PICT0001.KWI", buildPictureFile(s.main));
    writeFile(folder + "/pict0002.kwi", buildPictureFile(s.second));
    std::vector<uint8_t> data;
    for (uint64_t p = 24; p < 32; ++p)
        data.push_back(positionByte(p));
    writeFile(folder + "/EXPCT001.KWI", buildExpansionPicture(s.expansion, data));
}

} // namespace fixture
