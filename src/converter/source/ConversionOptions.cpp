// Validation and JSON form of the conversion settings.
#include "converter/source/ConversionOptions.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <type_traits>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr size_t kSystemIdField = 52;
constexpr int kTemplateCount = 16;

// The JSON form: one key per field, each read by a reader that refuses a value of the wrong kind or range.
using SettingReader = bool (*)(ConversionOptions&, const QJsonValue&);
struct JsonSetting {
    const char* key;
    SettingReader read;
};

template <bool ConversionOptions::*Field> bool flag(ConversionOptions& options, const QJsonValue& value) {
    if (!value.isBool()) return false;
    options.*Field = value.toBool();
    return true;
}

template <std::string ConversionOptions::*Field>
bool text(ConversionOptions& options, const QJsonValue& value) {
    if (!value.isString()) return false;
    options.*Field = value.toString().toStdString();
    return true;
}

// A whole number within low..high, stored in the field's own type.
template <auto Field, int64_t Low, int64_t High>
bool number(ConversionOptions& options, const QJsonValue& value) {
    if (!value.isDouble()) return false;
    const double v = value.toDouble();
    if (v < double(Low) || v > double(High) || v != double(int64_t(v))) return false;
    auto& field = options.*Field;
    field = static_cast<std::remove_reference_t<decltype(field)>>(int64_t(v));
    return true;
}

// The target platform by its number (0 AISIN-AW, 1 Denso, 2 others).
bool target(ConversionOptions& options, const QJsonValue& value) {
    if (!value.isDouble()) return false;
    const double v = value.toDouble();
    if (v < 0 || v > 2 || v != double(int(v))) return false;
    options.target = ConversionTarget(int(v));
    return true;
}

bool adjacentMode(ConversionOptions& options, const QJsonValue& value) {
    const std::string mode = value.isString() ? value.toString().toStdString() : std::string();
    if (mode == "remove")
        options.adjacentMode = AdjacentMode::Remove;
    else if (mode == "clear")
        options.adjacentMode = AdjacentMode::Clear;
    else if (mode == "update")
        options.adjacentMode = AdjacentMode::Update;
    else
        return false;
    return true;
}

bool selectedAreas(ConversionOptions& options, const QJsonValue& value) {
    if (!value.isArray()) return false;
    options.selectedAreas.clear();
    for (const QJsonValue item : value.toArray()) {
        const double code = item.toDouble(-1);
        if (!item.isDouble() || code < 0 || code > 255 || code != double(int(code))) return false;
        options.selectedAreas.push_back(int(code));
    }
    return true;
}

using O = ConversionOptions;
constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

const JsonSetting kSettings[] = {
    {"outputPath", text<&O::outputPath>},
    {"target", target},
    {"adjacentMode", adjacentMode},
    {"addExtraLevel", flag<&O::addExtraLevel>},
    {"addOneWayArrows", flag<&O::addOneWayArrows>},
    {"buildings", flag<&O::buildings>},
    {"buildingsClass", number<&O::buildingsClass, 0, 255>},
    {"buildingsTypeCode", number<&O::buildingsTypeCode, 0, 0xFFFF>},
    {"address", flag<&O::address>},
    {"numberingClass", number<&O::numberingClass, 0, 255>},
    {"numberingTypeCode", number<&O::numberingTypeCode, 0, 0xFFFF>},
    {"trim", flag<&O::trim>},
    {"trimMode", number<&O::trimMode, 0, 2>},
    {"trimLevel", number<&O::trimLevel, 0, 255>},
    {"trimWest", number<&O::trimWest, kInt32Min, kInt32Max>},
    {"trimNorth", number<&O::trimNorth, kInt32Min, kInt32Max>},
    {"trimEast", number<&O::trimEast, kInt32Min, kInt32Max>},
    {"trimSouth", number<&O::trimSouth, kInt32Min, kInt32Max>},
    {"addSeaParcels", flag<&O::addSeaParcels>},
    {"addAdjacentParcels", flag<&O::addAdjacentParcels>},
    {"selectedAreas", selectedAreas},
    {"replaceOldData", flag<&O::replaceOldData>},
    {"strictRules", flag<&O::strictRules>},
    {"includeLetters", flag<&O::includeLetters>},
    {"cityAreaClass", number<&O::cityAreaClass, 0, 255>},
    {"arrowNameClass", number<&O::arrowNameClass, 0, 15>},
    {"buildingFilterSmallest", number<&O::buildingFilterSmallest, 0, kInt32Max>},
    {"buildingFilterDetailed", number<&O::buildingFilterDetailed, 0, kInt32Max>},
    {"removeRds", flag<&O::removeRds>},
    {"createManagement21", flag<&O::createManagement21>},
    {"insertRegionData", flag<&O::insertRegionData>},
    {"insertVoiceData", flag<&O::insertVoiceData>},
    {"systemIdChecked", flag<&O::systemIdChecked>},
    {"systemIdText", text<&O::systemIdText>},
    {"systemIdIndex", number<&O::systemIdIndex, -1, kTemplateCount - 1>},
    {"dateStamp", flag<&O::dateStamp>},
    {"dateStampText", text<&O::dateStampText>},
    {"versionStamp", flag<&O::versionStamp>},
    {"versionStampText", text<&O::versionStampText>},
    {"utfToAnsi", flag<&O::utfToAnsi>},
    {"translate", flag<&O::translate>},
    {"translateByWords", flag<&O::translateByWords>},
    {"excludeFreeways", flag<&O::excludeFreeways>},
    {"translationLevel", number<&O::translationLevel, 1, 5>},
    {"dictionaryPath", text<&O::dictionaryPath>},
    {"dictionaryAreaCode", number<&O::dictionaryAreaCode, -1, 255>},
    {"foldYo", flag<&O::foldYo>},
    {"foldUkrainian", flag<&O::foldUkrainian>},
    {"logDetails", flag<&O::logDetails>},
    {"logDictErrors", flag<&O::logDictErrors>},
    {"densoWestFix", flag<&O::densoWestFix>},
    {"codePage", number<&O::codePage, 0, 65535>},
};

} // namespace

Failure ConversionOptions::Validate() const {
    if (outputPath.empty()) return FailureCode::NoOutputFile;
    if (int(target) < 0 || int(target) > 2) return FailureCode::UnknownTarget;
    if (systemIdChecked && systemIdText.size() > kSystemIdField) return FailureCode::SystemIdTooLong;
    if (systemIdIndex < -1 || systemIdIndex >= kTemplateCount) return FailureCode::UnknownHeaderTemplate;
    if (dateStamp && dateStampText.size() > kDateStampField) return FailureCode::DateStampTooLong;
    if (versionStamp && versionStampText.size() > kVersionStampField) return FailureCode::VersionStampTooLong;
    bool pageKnown = false;
    for (int page : kHouseNumberCodePages)
        pageKnown = pageKnown || page == codePage;
    if (!pageKnown) return Failure(FailureCode::CodePageUnwritable, {{"codePage", codePage}});
    if (translationLevel < 1 || translationLevel > 5) return FailureCode::TranslationLevelRange;
    if (buildings && address && buildingsClass == numberingClass && buildingsTypeCode == numberingTypeCode)
        return FailureCode::SharedClassAndType;
    return {};
}

std::optional<std::string> ConversionOptions::LoadJson(const std::string& jsonText) {
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(jsonText.data(), qsizetype(jsonText.size())), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return "Settings are not a JSON object: " + error.errorString().toStdString();
    ConversionOptions next = *this;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const std::string key = it.key().toStdString();
        const auto setting = std::find_if(std::begin(kSettings), std::end(kSettings),
                                          [&](const JsonSetting& s) { return key == s.key; });
        if (setting == std::end(kSettings)) return "Unknown setting \"" + key + "\"";
        if (!setting->read(next, it.value())) return "Setting \"" + key + "\" has a value it cannot take";
    }
    *this = next;
    return std::nullopt;
}
