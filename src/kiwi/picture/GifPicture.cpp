// GIF decoding through giflib's record-level API. DGifSlurp is not used: it allocates whatever size a
// frame declares, while here every size is checked before anything is allocated.
#include "kiwi/picture/GifPicture.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include <gif_lib.h>

#include "kiwi/core/ImageLimits.h"
#include "kiwi/io/BoundedRead.h"

namespace {
struct StreamSource {
    TLN_Stream* stream;
    int64_t position;
    int64_t end;
    // An exception must not unwind through giflib's C frames: it is held here and raised afterwards.
    std::exception_ptr failure;
};

int readFromStream(GifFileType* gif, GifByteType* buffer, int count) {
    auto* source = static_cast<StreamSource*>(gif->UserData);
    const int64_t wanted = std::min<int64_t>(count, source->end - source->position);
    if (wanted <= 0 || source->failure) return 0;
    try {
        const int64_t delivered =
            std::max<int64_t>(bounded::readInto(*source->stream, source->position, buffer, wanted), 0);
        source->position += delivered;
        return int(delivered);
    } catch (...) {
        source->failure = std::current_exception();
        return 0;
    }
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

bool withinCap(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width * height <= kMaxImagePixels;
}

// Reads the frame's rows (in interlace order when flagged) and paints them into image at the frame's
// place, clipped to the image.
bool paintFrame(GifFileType* gif, QImage& image, int transparentIndex) {
    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map || !map->Colors || map->ColorCount <= 0) return false;
    std::vector<QRgb> lookup(256, 0u);
    for (int i = 0; i < std::min(map->ColorCount, 256); ++i)
        if (i != transparentIndex)
            lookup[size_t(i)] = qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);

    std::vector<GifPixelType> row(size_t(frame.Width));
    std::vector<int> order;
    order.reserve(size_t(frame.Height));
    if (frame.Interlace) {
        static const int starts[] = {0, 4, 2, 1};
        static const int steps[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = starts[pass]; y < frame.Height; y += steps[pass])
                order.push_back(y);
    } else {
        for (int y = 0; y < frame.Height; ++y)
            order.push_back(y);
    }
    for (int frameRow : order) {
        if (DGifGetLine(gif, row.data(), frame.Width) == GIF_ERROR) return false;
        const int64_t y = int64_t(frame.Top) + frameRow;
        if (y >= image.height()) continue;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        for (int x = 0; x < frame.Width; ++x) {
            const int64_t column = int64_t(frame.Left) + x;
            if (column >= image.width()) break;
            line[column] = lookup[row[size_t(x)]];
        }
    }
    return true;
}
} // namespace

namespace {
std::string gifError(int code) {
    const char* text = GifErrorString(code);
    return text ? text : "GIF error " + std::to_string(code);
}

std::string sizeError(const char* what, int64_t width, int64_t height) {
    return std::string(what) + " of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels is empty or larger than an image may be";
}

// The first image of the GIF; a null image with why set on any error.
QImage decodeFromSource(StreamSource& source, std::string& why) {
    const int64_t start = source.position;
    int error = 0;
    GifHandle gif(DGifOpen(&source, readFromStream, &error));
    if (!gif) {
        why = gifError(error);
        return {};
    }
    const auto failed = [&](std::string reason) {
        why = std::move(reason);
        return QImage();
    };
    // giflib reports data that run out (a cut GIF) as a failed read; the stream itself never fails quietly.
    const auto giflibFailed = [&] {
        if (gif->Error == D_GIF_ERR_READ_FAILED && !source.failure)
            return failed("the GIF data end before the picture does (cut or damaged after " +
                          std::to_string(source.position - start) + " bytes)");
        return failed(gifError(gif->Error));
    };

    int transparentIndex = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) return giflibFailed();
        if (record == TERMINATE_RECORD_TYPE) return failed("the GIF ends before its first image");
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) return giflibFailed();
            if (code == GRAPHICS_EXT_FUNC_CODE && block) {
                GraphicsControlBlock control{};
                if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                    transparentIndex = control.TransparentColor;
            }
            while (block) {
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) return giflibFailed();
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) return failed("the GIF holds a record of unknown type");
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return giflibFailed();
        const GifImageDesc& frame = gif->Image;
        if (!withinCap(frame.Width, frame.Height))
            return failed(sizeError("a frame", frame.Width, frame.Height));
        int64_t width = gif->SWidth;
        int64_t height = gif->SHeight;
        if (width <= 0 || height <= 0) {
            width = int64_t(frame.Left) + frame.Width;
            height = int64_t(frame.Top) + frame.Height;
        }
        if (!withinCap(width, height)) return failed(sizeError("the picture", width, height));
        QImage image(int(width), int(height), QImage::Format_ARGB32);
        if (image.isNull())
            return failed("no memory for the picture of " + std::to_string(width) + " x " +
                          std::to_string(height) + " pixels");
        image.fill(0u);
        const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
        if (!map || !map->Colors || map->ColorCount <= 0) return failed("the GIF has no colour map");
        if (!paintFrame(gif.get(), image, transparentIndex)) return giflibFailed();
        return image;
    }
}
} // namespace

QImage DecodeGifPicture(TLN_Stream& stream, int64_t start, int64_t end, std::string* why) {
    std::string reason;
    QImage image;
    if (start < 0 || end <= start) {
        reason = "the picture has no data";
    } else {
        StreamSource source{&stream, start, std::min(end, stream.Size()), nullptr};
        image = decodeFromSource(source, reason);
        if (source.failure) std::rethrow_exception(source.failure);
    }
    if (why) *why = image.isNull() ? reason : std::string();
    return image;
}
