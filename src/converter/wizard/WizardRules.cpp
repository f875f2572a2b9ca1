// The converter wizard's window-free rules.
#include "converter/wizard/WizardRules.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "converter/output/NewCmpList.h"
#include "converter/output/ProducedFile.h"
#include "kiwi/map/CoverageLongitude.h"
#include "platform/FileIdentity.h"

namespace {

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

std::optional<int> positionOf(const std::vector<uint16_t>& codes, uint16_t code) {
    const auto it = std::find(codes.begin(), codes.end(), code);
    if (it == codes.end()) return std::nullopt;
    return int(it - codes.begin());
}

} // namespace

QString VersionStampText(int counter, const QDate& today) {
    if (counter >= 9999 || counter < 0) counter = 0;
    return QStringLiteral("V ") + twoDigits(today.year() % 100) + "." + twoDigits(counter / 100) + "." +
           twoDigits(counter % 100);
}

QString DateStampText(const QDate& today) {
    return twoDigits(today.year() % 100) + "/" + twoDigits(today.month()) + "/" + twoDigits(today.day()) +
           "/00";
}

QString RememberedOutputName(const QString& stored) {
    const QFileInfo info(stored);
    if (info.fileName().compare(QStringLiteral("ALLDATA1.KWI"), Qt::CaseInsensitive) != 0) return stored;
    return info.dir().filePath(QStringLiteral("ALLDATA.KWI"));
}

OutputVerdict CheckOutput(const QString& outputPath, const std::string& sourcePath) {
    if (outputPath.isEmpty()) return OutputVerdict::MissingFolder;
    const std::string output = outputPath.toStdString();
    const QFileInfo info(outputPath);
    const std::string folder = FolderOf(output);
    if (info.exists()) {
        // A file nobody may write counts as read-only even for a user the system lets write anyway.
        struct stat status {};
        if (!info.isFile() || ::stat(output.c_str(), &status) != 0 || (status.st_mode & 0222) == 0 ||
            ::access(output.c_str(), W_OK) != 0)
            return OutputVerdict::ReadOnly;
    } else if (!FileIdentityOf(folder)) {
        return OutputVerdict::MissingFolder;
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return OutputVerdict::ReadOnly;
    SourceGuard guard;
    guard.ProtectFile(sourcePath);
    if (const auto list = FindSourceCmpList(sourcePath)) guard.ProtectFile(list->path);
    if (guard.RefusalFor(output)) return OutputVerdict::SameAsSource;
    return OutputVerdict::Accepted;
}

OptionDefaults RestoreDefaults(int target, const ConverterSource& source) {
    OptionDefaults d;
    uint16_t numberingCode = 9;
    uint16_t buildingsCode = 26;
    if (target == 1) {
        d.buildingsTypeCode = 0x7018;
        numberingCode = 7;
        buildingsCode = 18;
        d.clearExtraLevel = false;
    }
    if (source.systemNumber < 3) {
        d.codePageIndex = 4;
        d.addMode = 0;
    } else {
        d.codePageIndex = 0;
        buildingsCode = 18;
        d.addMode = 1;
    }
    d.strictRules = target != 0;
    const std::vector<uint16_t> background = ShownBackgroundCodes(source.backgroundCodes);
    d.buildingsClass = positionOf(background, buildingsCode);
    d.numberingClass = positionOf(source.nameCodes, numberingCode);
    const std::optional<int> second = positionOf(background, 14);
    d.secondBackgroundClass = second && d.buildingsClass && *second > *d.buildingsClass ? *second : 255;
    d.extraNameClass = positionOf(source.nameCodes, 8).value_or(255);
    return d;
}

std::vector<uint16_t> ShownBackgroundCodes(const std::vector<uint16_t>& codes) {
    std::vector<uint16_t> shown;
    for (size_t i = 0; i < codes.size(); ++i) {
        if (i > 13 && codes[i] == 15) break;
        shown.push_back(codes[i]);
    }
    return shown;
}

std::optional<uint16_t> ParseTypeCode(const QString& text) {
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{1,4}$"));
    if (!hex.match(text.trimmed()).hasMatch()) return std::nullopt;
    return uint16_t(text.trimmed().toUInt(nullptr, 16));
}

QString TypeCodeText(uint16_t code) {
    return QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')).toUpper();
}

TrimEdges CoupleEdges(TrimEdges e, TrimEdge moved) {
    switch (moved) {
    case TrimEdge::North:
        if (e.north < e.south + kLeastNorthSouth) e.south = e.north - kLeastNorthSouth;
        break;
    case TrimEdge::South:
        if (e.south > e.north - kLeastNorthSouth) e.north = e.south + kLeastNorthSouth;
        break;
    case TrimEdge::West:
        if (e.west > e.east - kLeastWestEast) e.east = e.west + kLeastWestEast;
        break;
    case TrimEdge::East:
        if (e.east < e.west + kLeastWestEast) e.west = e.east - kLeastWestEast;
        break;
    }
    return e;
}

int32_t StoredLongitude(int32_t longitude) {
    return longitude > kLongitudeHalfCircle ? int32_t(longitude - kLongitudeFullCircle) : longitude;
}

std::vector<int> SelectedAreaCodes(const std::vector<bool>& checked,
                                   const std::vector<ConverterArea>& areas) {
    std::vector<int> codes;
    for (size_t i = 1; i < checked.size(); ++i) {
        if (!checked[i]) continue;
        codes.push_back(i - 1 < areas.size() ? areas[i - 1].code : 255);
    }
    return codes;
}

int ClampTrimLevel(int position) {
    return std::clamp(position, 3, 5);
}
