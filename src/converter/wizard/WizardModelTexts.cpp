// The texts the wizard's model gives its pages beside the options: the edges in degrees, the size filters,
// the encoding label, the display classes' lists, the caution, the file page's refusals and the regions'
// list.
#include "converter/wizard/WizardModel.h"

namespace {

QString styleName(uint16_t code) {
    return QStringLiteral("Class %1").arg(code);
}

QStringList classItems(const std::vector<uint16_t>& codes) {
    QStringList items;
    for (size_t i = 0; i < codes.size(); ++i)
        items.append(QString::number(i) + " - " + styleName(codes[i]));
    return items;
}

} // namespace

QString WizardModel::EdgeText(TrimEdge edge) const {
    const TrimEdges& e = c_.edges;
    const bool latitude = edge == TrimEdge::North || edge == TrimEdge::South;
    // Longitudes past 180 degrees east (on a coverage across it) read as the west longitudes they are.
    const int64_t units = edge == TrimEdge::North   ? e.north
                          : edge == TrimEdge::South ? e.south
                          : edge == TrimEdge::West  ? StoredLongitude(e.west)
                                                    : StoredLongitude(e.east);
    // Map units are 1/8 arc-second, shown as degrees, minutes and seconds.
    const int64_t eighths = units < 0 ? -int64_t(units) : int64_t(units);
    const int64_t seconds = eighths / 8;
    const QChar hemisphere = latitude ? (units < 0 ? QLatin1Char('S') : QLatin1Char('N'))
                                      : (units < 0 ? QLatin1Char('W') : QLatin1Char('E'));
    return QStringLiteral("%1 %2°%3'%4\"")
        .arg(hemisphere)
        .arg(seconds / 3600)
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString WizardModel::SizeFilterText(bool fifty) const {
    return fifty ? QStringLiteral("50m -> ") + QString::number(c_.filter50)
                 : QStringLiteral("100m -> ") + QString::number(c_.filter100);
}

QString WizardModel::EncodingText() const {
    return c_.isoAnsiIndex == 0 ? QStringLiteral("ANSI") : QStringLiteral("ISO");
}

bool WizardModel::EncodingLabelsShown() const {
    return source_.mapOpen && source_.systemNumber >= 4;
}

QStringList WizardModel::ClassItems(bool buildings) const {
    if (!source_.mapOpen) return {};
    return classItems(buildings ? ShownBackgroundCodes(source_.backgroundCodes) : source_.nameCodes);
}

QString WizardModel::FileStepRefusal(bool dictionaryLoaded) const {
    if (c_.translate && !dictionaryLoaded) return QStringLiteral("Словарь не загружен !!!");
    return SettingsStepRefusal();
}

QString WizardModel::SettingsStepRefusal() const {
    // A class that is not in the top level's list cannot take buildings or house numbers.
    if (c_.buildings && c_.buildingsClass < 0) return QStringLiteral("Выберите класс отображения для зданий");
    if (c_.address && c_.numberingClass < 0)
        return QStringLiteral("Выберите класс отображения для номеров зданий");
    return {};
}

QString WizardModel::CautionText() const {
    if (!source_.mapOpen || !source_.compressed) return {};
    return QStringLiteral("Карта, открытая в главном окне, содержит сжатый файл ALLDATA.KWI.\n\n"
                          "Поэтому, в дополнение к новому несжатому файлу ALLDATA.KWI, также будет создан "
                          "новый уникальный файл "
                          "05.CMP.\n\nВы должны использовать оба этих файла вместе.");
}

QStringList WizardModel::RegionItems() const {
    QStringList items;
    for (size_t i = 0; i < c_.regions.size(); ++i)
        items.append(QStringLiteral("Region ") + QString::number(i));
    return items;
}
