// Loading of the resource bitmaps.
#include "kiwi/display/KiwiBitmaps.h"

#include <QString>

// The library is static: its resources register only when asked to. Q_INIT_RESOURCE must stand
// outside any namespace.
static void registerBitmapResources() {
    Q_INIT_RESOURCE(kiwi_bitmaps);
}

namespace {
// The colour of the bottom-left pixel becomes fully transparent; it keeps its colour, which stays the
// picture's transparent colour (a rotated copy is filled with it).
QImage withAutomaticTransparency(const QImage& image) {
    if (image.isNull()) return image;
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = result.pixel(0, result.height() - 1) | 0xFF000000u;
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if ((line[x] | 0xFF000000u) == key) line[x] = key & 0x00FFFFFFu;
    }
    return result;
}

std::array<QImage, KiwiBitmapNames.size()> loadBitmaps() {
    registerBitmapResources();
    std::array<QImage, KiwiBitmapNames.size()> images;
    for (std::size_t i = 0; i < KiwiBitmapNames.size(); ++i) {
        const std::string_view name = KiwiBitmapNames[i];
        const QString path = QStringLiteral(":/kiwi/bitmaps/") +
                             QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())) +
                             QStringLiteral(".xpm");
        images[i] = QImage(path, "XPM");
        if (name == "ONEWAYBMP") images[i] = withAutomaticTransparency(images[i]);
    }
    return images;
}
} // namespace

QImage KiwiBitmap(std::string_view name) {
    static const std::array<QImage, KiwiBitmapNames.size()> images = loadBitmaps();
    for (std::size_t i = 0; i < KiwiBitmapNames.size(); ++i)
        if (KiwiBitmapNames[i] == name) return images[i];
    return {};
}
