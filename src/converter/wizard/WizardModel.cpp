// The converter wizard's options, their rules and the run's snapshot, without a window.
#include "converter/wizard/WizardModel.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "converter/output/OutputEncoding.h"
#include "kiwi/map/CoverageLongitude.h"
#include "platform/RegistrySettings.h"

namespace {

// System IDs offered, in the order of the data-volume header templates.
const char* const kSystemIds[16] = {
    "AFEU:2.3D,AGEU:2.3D", "AFEU:2.45,AGEU:2.45", "AFEU:2.64,AGEU:2.64", "AFEU:4.03,AGEU:4.03",
    "AFEU:4.04,AGEU:4.04", "AFUS:2.3D,AGUS2.3D",  "AFUS:2.47,AGUS2.47",  "AFUS:2.48,AGUS2.48",
    "AFUS:4.04,AGUS4.04",  "AFJ:2.1b,AGJ:2.1b",   "AFJ:2.3D,AGJ:2.3D",   "AFJ:2.3F,AGJ:2.3F",
    "AFJ:2.47,AGJ:2.47",   "AFJ:3.05,AGJ:3.05",   "AFAU:2.45,AGAU:2.45", "AFME:4.03,AGME:4.03"};

bool names(const std::string& header, const char* file) {
    return QString::fromStdString(header).compare(QLatin1String(file), Qt::CaseInsensitive) == 0;
}

} // namespace

WizardModel::WizardModel(ConverterSource source, bool nameConversionOffered)
    : source_(std::move(source)), nameConversionOffered_(nameConversionOffered) {
    for (const char* id : kSystemIds)
        systemIds_ << QString::fromLatin1(id);
    if (!source_.areas.empty()) c_.areas.push_back(true);
    for (size_t i = 0; i < source_.areas.size(); ++i) {
        c_.areas.push_back(false);
        if (source_.areas[i].tag == QStringLiteral("RUS")) {
            c_.translationArea = int(i);
            translationAreaShown_ = true;
        }
    }
    c_.areas.push_back(false);
    page_ = StartPage(source_.mapOpen, source_.compressed);
    if (!source_.mapOpen) return;
    const QString own = QString::fromLatin1(source_.systemIdText.c_str());
    c_.systemIdIndex = int(systemIds_.indexOf(own));
    if (c_.systemIdIndex < 0) {
        systemIds_ << own;
        c_.systemIdIndex = int(systemIds_.size()) - 1;
    }
    // A coverage across 180 degrees counts on eastward past it from its west edge, as the run's trim does:
    // the west and east edges then move over one unbroken range.
    if (source_.east < source_.west) source_.east = int32_t(source_.east + kLongitudeFullCircle);
    c_.edges = {source_.north, source_.south, source_.west, source_.east};
    c_.newCmpList = source_.compressed;
    // Management 21 is offered only where the map has Management 32 and no Management 21; it is asked for
    // where the system code is "AFEU:2".
    const bool systemCodeEu = source_.systemIdText.substr(0, 6) == "AFEU:2";
    if (source_.management21Address <= 0 && source_.management32Address > 0) {
        backwardEnabled_ = true;
        c_.backward = systemCodeEu;
        savedBackward_ = systemCodeEu;
    }
    RestoreDefault();
}

bool WizardModel::Enabled(WizardControl control) const {
    const bool names = nameConversionOffered_ && !buildings_.loaded;
    switch (control) {
    case WizardControl::Backward:
        return backwardEnabled_;
    case WizardControl::SystemIdList:
        return c_.systemIdChecked;
    case WizardControl::DateStampText:
        return c_.dateStamp;
    case WizardControl::VersionStampText:
        return c_.versionStamp;
    case WizardControl::InsertRegion:
        return c_.target != 0 && source_.hasRegionData && ::names(source_.regionHeaderName, "REGION.KWI");
    case WizardControl::InsertVoice:
        return c_.target != 0 && source_.voiceSize > 0 && ::names(source_.voiceHeaderName, "VOICEDAT.KWI");
    case WizardControl::UtfToAnsi:
        return names && !c_.translate;
    case WizardControl::UtfGroup:
        return !c_.translate;
    case WizardControl::IsoAnsi:
        return c_.utfToAnsi;
    case WizardControl::TranslateSwitch:
        return names && !c_.utfToAnsi;
    case WizardControl::TranslateGroup:
        return !c_.utfToAnsi;
    case WizardControl::TranslateOptions:
        return c_.translate;
    case WizardControl::CityAreaLevel:
        return !cityAreaFrozen_;
    case WizardControl::BuildingsSwitch:
    case WizardControl::AddressSwitch:
        return buildings_.loaded;
    case WizardControl::BuildingsOptions:
        return c_.buildings;
    case WizardControl::ExtraLevel:
        return c_.buildings && source_.topLevelCode == 0;
    case WizardControl::Arrows:
        return c_.extraLevel;
    case WizardControl::AddressOptions:
        return c_.address;
    case WizardControl::DefaultButton:
        return defaultEnabled_;
    case WizardControl::TrimModes:
    case WizardControl::TrimLevel:
        return c_.trim;
    case WizardControl::TrimEdges:
        return c_.trim && c_.trimMode == 1;
    case WizardControl::TrimAreas:
        return c_.trim && c_.trimMode == 2;
    case WizardControl::TrimExtras:
        return c_.trimMode == 2;
    case WizardControl::Split:
        return source_.fileConPresent;
    case WizardControl::FileCon:
        // Enabled as the split box is: a new FILECON.MNG lists the one unsplit map as well as the volumes.
        return Enabled(WizardControl::Split);
    case WizardControl::NewRegion:
        return source_.hasRegionData;
    case WizardControl::NewVoice:
        return source_.voiceSize > 0;
    case WizardControl::NewCmpList:
        return false;
    }
    return false;
}

bool WizardModel::BackOn() const {
    if (working_ || completionRunning_) return false;
    switch (PageRulesOf(page_).back) {
    case BackRule::Off:
        return false;
    case BackRule::On:
        return true;
    case BackRule::WhenCaution:
        // The caution page is there to go back to only for a map read through a CMP list.
        return source_.mapOpen && source_.compressed;
    }
    return false;
}

bool WizardModel::NextOn() const {
    if (working_ || completionRunning_) return false;
    switch (PageRulesOf(page_).next) {
    case NextRule::Off:
        return false;
    case NextRule::On:
        return true;
    case NextRule::OutputCheck:
        return verdict_ == OutputVerdict::Accepted;
    case NextRule::WhenProcessingOff:
        return !ProcessingEnabled();
    }
    return false;
}

bool WizardModel::CancelOn() const {
    return completionRunning_ || PageRulesOf(page_).cancelEnabled;
}

QStringList WizardModel::AreaItems() const {
    QStringList items;
    if (!source_.areas.empty()) items << QStringLiteral("ALL");
    for (const ConverterArea& area : source_.areas)
        items << area.name;
    return items << QStringLiteral("-0-");
}

std::pair<int32_t, int32_t> WizardModel::EdgeRange(TrimEdge edge) const {
    switch (edge) {
    case TrimEdge::North:
        return {source_.south + kLeastNorthSouth, source_.north};
    case TrimEdge::South:
        return {source_.south, source_.north - kLeastNorthSouth};
    case TrimEdge::West:
        return {source_.west, source_.east - kLeastWestEast};
    case TrimEdge::East:
        return {source_.west + kLeastWestEast, source_.east};
    }
    return {0, 0};
}

void WizardModel::ReadSettings(const QDate& today) {
    c_.target = std::clamp(RegReadInteger(QStringLiteral("NewSysIdx")), 0, 2);
    versionCounter_ = RegReadInteger(QStringLiteral("Version"));
    c_.versionText = VersionStampText(versionCounter_, today);
    c_.dateText = DateStampText(today);
    c_.outputPath = RememberedOutputName(RegReadString(QStringLiteral("NewMapSave")));
    if (source_.mapOpen) SetTarget(c_.target);
}

void WizardModel::WriteSettings() const {
    if (QFileInfo::exists(c_.outputPath)) RegWriteString(QStringLiteral("NewMapSave"), c_.outputPath);
    RegWriteInteger(QStringLiteral("NewSysIdx"), c_.target);
}

void WizardModel::ResetVersion(const QDate& today) {
    versionCounter_ = 0;
    RegWriteInteger(QStringLiteral("Version"), 0);
    c_.versionText = VersionStampText(versionCounter_, today);
}

void WizardModel::SetTarget(int target) {
    c_.target = std::clamp(target, 0, 2);
    const bool switchable = source_.management32Address > 0 && source_.management21Address <= 0;
    if (switchable) {
        // DENSO asks for Management 21; the earlier choice comes back for the others.
        if (c_.target == 1) {
            savedBackward_ = c_.backward;
            c_.backward = true;
        } else {
            c_.backward = savedBackward_;
        }
        backwardEnabled_ = true;
    }
    c_.strictRules = c_.target != 0;
    refreshInsertion();
    if (source_.mapOpen) RestoreDefault();
}

void WizardModel::refreshInsertion() {
    if (!Enabled(WizardControl::InsertRegion)) c_.insertRegion = false;
    if (!Enabled(WizardControl::InsertVoice)) c_.insertVoice = false;
}

void WizardModel::SetSystemIdChecked(bool on) {
    c_.systemIdChecked = on;
    // Unchecked, the list shows the map's own system text again.
    if (!on) {
        const int own = int(systemIds_.indexOf(QString::fromLatin1(source_.systemIdText.c_str())));
        if (own >= 0) c_.systemIdIndex = own;
    }
}

void WizardModel::SetSystemIdIndex(int index) {
    if (index >= 0 && index < systemIds_.size()) c_.systemIdIndex = index;
}

void WizardModel::SetInsertRegion(bool on) {
    c_.insertRegion = on && Enabled(WizardControl::InsertRegion);
}

void WizardModel::SetInsertVoice(bool on) {
    c_.insertVoice = on && Enabled(WizardControl::InsertVoice);
}

void WizardModel::SetUtfToAnsi(bool on) {
    c_.utfToAnsi = on && Enabled(WizardControl::UtfToAnsi);
}

void WizardModel::SetTranslate(bool on) {
    c_.translate = on && Enabled(WizardControl::TranslateSwitch);
}

void WizardModel::CheckTranslationArea(int index, bool checked) {
    if (index < 0 || size_t(index) >= source_.areas.size()) return;
    if (checked) c_.translationArea = index;
    translationAreaShown_ = true;
}

QString WizardModel::LevelsRangeText() const {
    return QStringLiteral("Уровни ") + QString::number(c_.translationLevel + 1) + " - " +
           QString::number(source_.levelCount - 1);
}

void WizardModel::SetCityAreaLevel(int level) {
    if (!cityAreaFrozen_) c_.cityAreaLevel = std::clamp(level, 0, 2);
}

void WizardModel::SetBuildingData(const WizardBuildingData& data) {
    buildings_ = data;
    // Imported buildings and converted names do not go into one run.
    if (buildings_.loaded) {
        c_.utfToAnsi = false;
        c_.translate = false;
    }
}

void WizardModel::RestoreDefault() {
    defaults_ = RestoreDefaults(c_.target, source_);
    c_.buildingsTypeCode = defaults_.buildingsTypeCode;
    c_.numberingTypeCode = defaults_.numberingTypeCode;
    if (defaults_.clearExtraLevel) SetExtraLevel(false);
    c_.codePageIndex = defaults_.codePageIndex;
    c_.addMode = defaults_.addMode;
    c_.strictRules = defaults_.strictRules;
    // A class the top level lacks shows no selection; Next refuses it while buildings or numbers are on.
    c_.buildingsClass = defaults_.buildingsClass.value_or(-1);
    c_.numberingClass = defaults_.numberingClass.value_or(-1);
    c_.filter50 = 40;
    c_.filter100 = 100;
    c_.includeLetters = true;
    defaultEnabled_ = false;
}

void WizardModel::SetBuildings(bool on) {
    c_.buildings = on && Enabled(WizardControl::BuildingsSwitch);
    if (!Enabled(WizardControl::ExtraLevel)) SetExtraLevel(false);
}

void WizardModel::SetAddMode(int mode) {
    c_.addMode = std::clamp(mode, 0, 1);
}

void WizardModel::SetBuildingsClass(int index) {
    c_.buildingsClass = index;
    defaultEnabled_ = true;
}

void WizardModel::SetNumberingClass(int index) {
    c_.numberingClass = index;
    defaultEnabled_ = true;
}

bool WizardModel::SetTypeCode(bool buildings, const QString& text) {
    defaultEnabled_ = true;
    uint16_t& code = buildings ? c_.buildingsTypeCode : c_.numberingTypeCode;
    if (text.trimmed().isEmpty()) return true;
    if (const std::optional<uint16_t> parsed = ParseTypeCode(text)) {
        code = *parsed;
        return true;
    }
    code = buildings ? 0x0143 : 0x01C2;
    return false;
}

void WizardModel::SetSizeFilter(bool fifty, int value) {
    // The 50 m filter pushes the 100 m one up, the 100 m one pushes the 50 m one down.
    if (fifty) {
        c_.filter50 = std::clamp(value, 10, 80);
        c_.filter100 = std::max(c_.filter100, c_.filter50);
    } else {
        c_.filter100 = std::clamp(value, 40, 200);
        c_.filter50 = std::min(c_.filter50, c_.filter100);
    }
    defaultEnabled_ = true;
}

void WizardModel::SetAddress(bool on) {
    c_.address = on && Enabled(WizardControl::AddressSwitch);
}

void WizardModel::SetIncludeLetters(bool on) {
    c_.includeLetters = on;
}

void WizardModel::SetCodePageIndex(int index) {
    c_.codePageIndex = std::clamp(index, 0, 4);
    defaultEnabled_ = true;
}

void WizardModel::SetExtraLevel(bool on) {
    c_.extraLevel = on && Enabled(WizardControl::ExtraLevel);
    // The extra level's arrows come and go with it.
    c_.arrows = c_.extraLevel;
    if (on) defaultEnabled_ = true;
}

void WizardModel::SetArrows(bool on) {
    c_.arrows = on && c_.extraLevel;
    defaultEnabled_ = true;
}

void WizardModel::SetTrim(bool on) {
    c_.trim = on;
    SetTrimMode(c_.trimMode);
}

void WizardModel::SetTrimMode(int mode) {
    // Trimming by the buildings' box needs buildings.
    c_.trimMode = std::clamp(mode, 0, 2);
    if (c_.trimMode == 0 && !buildings_.loaded) c_.trimMode = 1;
    if (c_.trimMode == 0) {
        const auto place = [this](TrimEdge edge, int32_t value) {
            const auto [low, high] = EdgeRange(edge);
            return std::clamp(value, low, std::max(low, high));
        };
        // Imported places east of 180 degrees are west longitudes; the edges count as the coverage does.
        const TLN_Rect coverage{source_.west, source_.north, source_.east, source_.south};
        const auto eastward = [&coverage](int32_t longitude) {
            return int32_t(CoverageLongitude(coverage, longitude));
        };
        c_.edges = {place(TrimEdge::North, buildings_.north / 16),
                    place(TrimEdge::South, buildings_.south / 16),
                    place(TrimEdge::West, eastward(buildings_.west / 16)),
                    place(TrimEdge::East, eastward(buildings_.east / 16))};
    }
}

void WizardModel::MoveEdge(TrimEdge edge, int32_t value) {
    const auto [low, high] = EdgeRange(edge);
    value = std::clamp(value, low, std::max(low, high));
    TrimEdges moved = c_.edges;
    switch (edge) {
    case TrimEdge::North:
        moved.north = value;
        break;
    case TrimEdge::South:
        moved.south = value;
        break;
    case TrimEdge::West:
        moved.west = value;
        break;
    case TrimEdge::East:
        moved.east = value;
        break;
    }
    c_.edges = CoupleEdges(moved, edge);
}

void WizardModel::CheckArea(int item, bool checked) {
    if (item < 0 || size_t(item) >= c_.areas.size()) return;
    c_.areas[size_t(item)] = checked;
    // "ALL" is checked exactly when no area is.
    if (source_.areas.empty()) return;
    c_.areas[0] = std::none_of(c_.areas.begin() + 1, c_.areas.end(), [](bool on) { return on; });
}

QString WizardModel::CutLevelText() const {
    return QStringLiteral("Детальная карта включая уровень") + " " + QString::number(c_.trimLevel);
}

void WizardModel::SetSplit(bool on) {
    c_.split = on && Enabled(WizardControl::Split);
    c_.fileCon = c_.split;
}

void WizardModel::CheckRegion(int i, bool on) {
    if (i >= 0 && size_t(i) < c_.regions.size()) c_.regions[size_t(i)] = on;
}

bool WizardModel::AnyRegionChecked() const {
    return std::any_of(c_.regions.begin(), c_.regions.end(), [](bool on) { return on; });
}

CompletionOptions WizardModel::BuildCompletionOptions(const QString& outputPath) const {
    CompletionOptions o;
    o.outputPath = outputPath.toStdString();
    o.sourcePath = source_.allDataPath;
    o.split = c_.split;
    o.fileCon = c_.fileCon;
    o.region = c_.newRegion;
    // Without a choice on the Region Network page the new REGION.KWI keeps every region.
    for (int i = 0; i < source_.regionCount; ++i)
        if (c_.regions.empty() || c_.regions[size_t(i)]) o.regions.push_back(i);
    o.voice = c_.newVoice;
    return o;
}

QString WizardModel::ImportStart() {
    return RegReadString(QStringLiteral("BuildingsOpen"));
}

void WizardModel::RememberImport(const QString& path) {
    RegWriteString(QStringLiteral("BuildingsOpen"), path);
}

QString WizardModel::RegionFileStart() {
    return QFileInfo(RegReadString(QStringLiteral("NewMapSave")))
        .dir()
        .filePath(QStringLiteral("REGION.KWI"));
}

void WizardModel::RunDone() const {
    if (c_.versionStamp) RegWriteInteger(QStringLiteral("Version"), versionCounter_ + 1);
}

std::vector<int> WizardModel::TakeSelectedAreas() {
    selectedAreas_.clear();
    if (c_.trim && c_.trimMode == 2) {
        selectedAreas_ = SelectedAreaCodes(c_.areas, source_.areas);
        if (selectedAreas_.empty()) c_.trim = false;
    }
    return selectedAreas_;
}

ConversionOptions WizardModel::BuildOptions(bool dictionaryLoaded) const {
    ConversionOptions o;
    o.outputPath = c_.outputPath.toStdString();
    o.target = ConversionTarget(c_.target);
    o.adjacentMode = AdjacentMode(c_.adjacentMode);
    o.addExtraLevel = c_.extraLevel;
    o.addOneWayArrows = c_.arrows;
    o.buildings = c_.buildings;
    o.buildingsClass = uint8_t(std::max(0, c_.buildingsClass));
    o.buildingsTypeCode = c_.buildingsTypeCode;
    o.address = c_.address;
    o.numberingClass = uint8_t(std::max(0, c_.numberingClass));
    o.numberingTypeCode = c_.numberingTypeCode;
    o.removeRds = c_.removeRds;
    o.createManagement21 = c_.backward;
    o.insertRegionData = c_.insertRegion;
    o.insertVoiceData = c_.insertVoice;
    o.systemIdChecked = c_.systemIdChecked;
    o.systemIdText = systemIds_.value(c_.systemIdIndex).toStdString();
    o.systemIdIndex = c_.systemIdIndex < 16 ? c_.systemIdIndex : -1;
    o.dateStamp = c_.dateStamp;
    o.dateStampText = c_.dateText.toStdString();
    o.versionStamp = c_.versionStamp;
    o.versionStampText = c_.versionText.toStdString();
    o.replaceOldData = c_.addMode == 1;
    o.strictRules = c_.strictRules;
    o.includeLetters = c_.includeLetters;
    o.cityAreaClass = uint8_t(defaults_.secondBackgroundClass);
    o.arrowNameClass = uint8_t(defaults_.extraNameClass);
    o.buildingFilterSmallest = c_.filter50;
    o.buildingFilterDetailed = c_.filter100;
    o.trim = c_.trim;
    o.trimMode = c_.trimMode;
    o.trimLevel = c_.trimLevel;
    // The run takes longitudes as the map stores them, within 180 degrees either way.
    o.trimWest = StoredLongitude(c_.edges.west);
    o.trimNorth = c_.edges.north;
    o.trimEast = StoredLongitude(c_.edges.east);
    o.trimSouth = c_.edges.south;
    o.selectedAreas = selectedAreas_;
    o.addSeaParcels = c_.addSeas;
    o.addAdjacentParcels = c_.addAdjacent;
    o.utfToAnsi = c_.utfToAnsi;
    o.translate = c_.translate && dictionaryLoaded;
    // The translation settings count only with translation on and a dictionary loaded; the run borrows
    // the wizard's dictionary, so it names no file of its own.
    if (o.translate) {
        o.translateByWords = c_.wordByWord;
        o.excludeFreeways = c_.excludeFreeways;
        o.translationLevel = c_.translationLevel;
        if (c_.translationArea >= 0 && size_t(c_.translationArea) < source_.areas.size())
            o.dictionaryAreaCode = source_.areas[size_t(c_.translationArea)].code;
        o.foldYo = c_.foldYo;
        o.foldUkrainian = c_.foldUkrainian;
    }
    o.logDetails = c_.logBox;
    o.logDictErrors = c_.logDictErrors;
    o.densoWestFix = c_.westBugs;
    o.codePage = kHouseNumberCodePages[std::clamp(c_.codePageIndex, 0, 4)];
    return o;
}
