// Painting one name by its string type: centred boxed labels, offset labels with a white shadow, plain
// texts, rotated texts with a white halo and one-way arrows, and icons with a boxed label beside them.
// Every name starts from black text without a box, so one name's colours never carry over to the next.
#include <QMutex>
#include <cmath>
#include <map>

#include "kiwi/display/KiwiBitmaps.h"
#include "kiwi/display/Rotation.h"
#include "kiwi/display/WindowsColor.h"
#include "mapview/core/MapPainting.h"

namespace {

constexpr uint16_t kOneWayArrowCode = 498;
constexpr TLN_Color kSilver = 0xC0C0C0;
// Radians per degree as the rotated names have always been placed (57.3, not 180 / pi).
constexpr double kDegreesPerRadian = 57.3;

QString typeOneText(const DrawnName& name) {
    // Code 510 shows the text after its first tab (all of it without a tab).
    if (name.typeCode == 510) return name.text.mid(name.text.indexOf(QLatin1Char('\t')) + 1);
    return name.text;
}

void paintBoxed(MapCanvas& canvas, const DrawnName& name, QPoint anchor) {
    MapFont font{14, name.typeCode >= 304 && name.typeCode <= 308};
    const QString text = typeOneText(name);
    const QSize size = canvas.TextSize(text, font);
    const QColor box = name.typeCode == 450 ? QColor() : QColor(Qt::white);
    canvas.Text(QPoint(anchor.x() - size.width() / 2, anchor.y() - size.height() / 2), text, font, Qt::black,
                box);
}

void paintShadowed(MapCanvas& canvas, const DrawnName& name, QPoint anchor) {
    const int scale = 1 << std::min<int>(name.shift, 7);
    const QPoint at(anchor.x() + name.offsetX * scale, anchor.y() + name.offsetY * scale);
    MapFont font{14, false};
    QColor colour = Qt::black;
    switch (name.typeCode) {
    case 258:
    case 320:
        font = {16, true};
        break;
    case 259:
    case 41216:
    case 41218:
    case 41219:
        font.bold = true;
        break;
    case 305:
        font = {20, true};
        colour = winColor(kSilver);
        break;
    default:
        break;
    }
    canvas.Text(at + QPoint(1, 1), name.text, font, Qt::white, QColor());
    canvas.Text(at, name.text, font, colour, QColor());
}

void paintRotated(MapCanvas& canvas, const DrawnName& name, QPoint anchor) {
    if (name.typeCode == kOneWayArrowCode) {
        const QImage arrow = OneWayArrow(name.angle);
        if (!arrow.isNull())
            canvas.Image(QPoint(anchor.x() - arrow.width() / 2, anchor.y() - arrow.height() / 2), arrow);
        return;
    }
    const MapFont font{16, false};
    const double degrees = 90.0 - name.angle;
    const double r = degrees / kDegreesPerRadian;
    const QSize size = canvas.TextSize(name.text, font);
    const int p = int(std::lround(std::cos(r) * size.width() + std::sin(r) * size.height()));
    const int q = int(std::lround(std::sin(r) * size.width() - std::cos(r) * size.height()));
    const QPoint start(anchor.x() - p / 2, anchor.y() + q / 2);
    canvas.RotatedText(start + QPoint(1, 1), degrees, name.text, font, Qt::white);
    canvas.RotatedText(start + QPoint(-1, -1), degrees, name.text, font, Qt::white);
    canvas.RotatedText(start, degrees, name.text, font, Qt::black);
}

void paintWithIcon(MapCanvas& canvas, const DrawnName& name, QPoint anchor,
                   const std::vector<QImage>* icons) {
    MapFont font{16, false};
    if (name.typeCode >= 257 && name.typeCode <= 262) {
        font.pixelSize = 16 - (name.typeCode - 257);
        font.bold = name.typeCode == 257;
    }
    const int icon = NameIconIndex(name.typeCode);
    if (icons && icon >= 0 && size_t(icon) < icons->size() && !(*icons)[size_t(icon)].isNull())
        canvas.Image(anchor, (*icons)[size_t(icon)]);
    const QSize size = canvas.TextSize(name.text, font);
    const int x = anchor.x(), y = anchor.y(), w = size.width(), h = size.height();
    QPoint at;
    switch (name.placement & 3) {
    case 0:
        at = QPoint(x - w / 2, y - 10 - h);
        break;
    case 1:
        at = QPoint(x - w / 2, y + 5);
        break;
    case 2:
        at = QPoint(x - w - 5, y - 5);
        break;
    default:
        at = QPoint(x + 10, y - 5);
        break;
    }
    canvas.Text(at, name.text, font, Qt::black, Qt::white);
}

} // namespace

int NameIconIndex(uint16_t typeCode) {
    switch (typeCode) {
    case 642:
    case 640:
    case 33024:
        return 1;
    case 1152:
    case 1153:
    case 29184:
        return 3;
    case 321:
    case 29440:
        return 4;
    case 1123:
    case 1124:
    case 42752:
        return 5;
    case 21120:
    case 24960:
        return 6;
    case 1568:
    case 8704:
    case 8832:
        return 7;
    case 4096:
        return 8;
    case 292:
        return 9;
    case 296:
        return 10;
    case 1314:
    case 26112:
        return 11;
    case 455:
    case 42880:
        return 13;
    case 1084:
        return 16;
    case 257:
    case 258:
    case 259:
    case 260:
    case 261:
    case 262:
        return 17 + (typeCode - 257);
    default:
        return -1;
    }
}

QImage OneWayArrow(int degrees) {
    static QMutex mutex;
    static std::map<int, QImage> turned;
    const int angle = ((degrees % 360) + 360) % 360;
    QMutexLocker lock(&mutex);
    const auto found = turned.find(angle);
    if (found != turned.end()) return found->second;
    const QImage source = KiwiBitmap("ONEWAYBMP");
    QImage image = RotateBitmap(source, angle);
    if (!image.isNull()) {
        // The turned picture is filled with the source's transparent colour; that colour becomes clear.
        const QRgb key = source.pixel(0, source.height() - 1) | 0xFF000000u;
        image = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if ((line[x] | 0xFF000000u) == key) line[x] = 0;
        }
    }
    turned.emplace(angle, image);
    return image;
}

void PaintName(MapCanvas& canvas, QPoint anchor, const DrawnName& name, const std::vector<QImage>* icons) {
    switch (name.type) {
    case 1:
        paintBoxed(canvas, name, anchor);
        break;
    case 2:
        paintShadowed(canvas, name, anchor);
        break;
    case 3:
    case 4:
        canvas.Text(anchor, name.text, MapFont{16, false}, Qt::black, QColor());
        break;
    case 5:
        paintRotated(canvas, name, anchor);
        break;
    case 6:
        paintWithIcon(canvas, name, anchor, icons);
        break;
    default:
        break;
    }
}
