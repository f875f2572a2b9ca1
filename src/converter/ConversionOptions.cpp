// Validation and JSON form of the conversion settings.
#include "converter/ConversionOptions.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr size_t kSystemIdField = 52;
constexpr size_t kDateStampField = 64 - 13;
constexpr size_t kVersionStampField = 32;
constexpr int kTemplateCount = 16;

} // namespace

std::optional<std::string> ConversionOptions::Validate() const {
    if (outputPath.empty()) return "No output file is named";
    if (int(target) < 0 || int(target) > 2) return "Unknown target platform";
    if (systemIdChecked && systemIdText.size() > kSystemIdField)
        return "The system identification text is longer than 52 bytes";
    if (systemIdIndex < -1 || systemIdIndex >= kTemplateCount) return "Unknown data volume header template";
    if (dateStamp && dateStampText.size() > kDateStampField) return "The date stamp is longer than its field";
    if (versionStamp && versionStampText.size() > kVersionStampField)
        return "The version stamp is longer than its field";
    bool pageKnown = false;
    for (int page : kHouseNumberCodePages)
        pageKnown = pageKnown || page == codePage;
    if (!pageKnown) return "Code page " + std::to_string(codePage) + " cannot be written";
    if (translationLevel < 1 || translationLevel > 5) return "The translation level must lie between 1 and 5";
    if (buildings && address && buildingsClass == numberingClass && buildingsTypeCode == numberingTypeCode)
        return "Buildings and house numbers cannot share a display class and type code";
    return std::nullopt;
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
        const QJsonValue value = it.value();
        auto flag = [&](bool& field) {
            if (!value.isBool()) return false;
            field = value.toBool();
            return true;
        };
        auto text = [&](std::string& field) {
            if (!value.isString()) return false;
            field = value.toString().toStdString();
            return true;
        };
        auto number = [&](auto& field, int64_t low, int64_t high) {
            if (!value.isDouble()) return false;
            const double v = value.toDouble();
            if (v < double(low) || v > double(high) || v != double(int64_t(v))) return false;
            field = static_cast<std::remove_reference_t<decltype(field)>>(int64_t(v));
            return true;
        };
        bool ok = false;
        if (key == "outputPath")
            ok = text(next.outputPath);
        else if (key == "target") {
            int t = 0;
            ok = number(t, 0, 2);
            next.target = ConversionTarget(t);
        } else if (key == "adjacentMode") {
            std::string mode;
            ok = text(mode) && (mode == "remove" || mode == "clear" || mode == "update");
            next.adjacentMode = mode == "remove"  ? AdjacentMode::Remove
                                : mode == "clear" ? AdjacentMode::Clear
                                                  : AdjacentMode::Update;
        } else if (key == "addExtraLevel")
            ok = flag(next.addExtraLevel);
        else if (key == "addOneWayArrows")
            ok = flag(next.addOneWayArrows);
        else if (key == "buildings")
            ok = flag(next.buildings);
        else if (key == "buildingsClass")
            ok = number(next.buildingsClass, 0, 255);
        else if (key == "buildingsTypeCode")
            ok = number(next.buildingsTypeCode, 0, 0xFFFF);
        else if (key == "address")
            ok = flag(next.address);
        else if (key == "numberingClass")
            ok = number(next.numberingClass, 0, 255);
        else if (key == "numberingTypeCode")
            ok = number(next.numberingTypeCode, 0, 0xFFFF);
        else if (key == "trim")
            ok = flag(next.trim);
        else if (key == "trimMode")
            ok = number(next.trimMode, 0, 2);
        else if (key == "trimLevel")
            ok = number(next.trimLevel, 0, 255);
        else if (key == "trimWest")
            ok = number(next.trimWest, INT32_MIN, INT32_MAX);
        else if (key == "trimNorth")
            ok = number(next.trimNorth, INT32_MIN, INT32_MAX);
        else if (key == "trimEast")
            ok = number(next.trimEast, INT32_MIN, INT32_MAX);
        else if (key == "trimSouth")
            ok = number(next.trimSouth, INT32_MIN, INT32_MAX);
        else if (key == "addSeaParcels")
            ok = flag(next.addSeaParcels);
        else if (key == "addAdjacentParcels")
            ok = flag(next.addAdjacentParcels);
        else if (key == "selectedAreas") {
            ok = value.isArray();
            next.selectedAreas.clear();
            for (const QJsonValue item : value.toArray()) {
                const double code = item.toDouble(-1);
                ok = ok && item.isDouble() && code >= 0 && code <= 255 && code == double(int(code));
                next.selectedAreas.push_back(int(code));
            }
        } else if (key == "replaceOldData")
            ok = flag(next.replaceOldData);
        else if (key == "strictRules")
            ok = flag(next.strictRules);
        else if (key == "includeLetters")
            ok = flag(next.includeLetters);
        else if (key == "cityAreaClass")
            ok = number(next.cityAreaClass, 0, 255);
        else if (key == "arrowNameClass")
            ok = number(next.arrowNameClass, 0, 15);
        else if (key == "buildingFilterSmallest")
            ok = number(next.buildingFilterSmallest, 0, INT32_MAX);
        else if (key == "buildingFilterDetailed")
            ok = number(next.buildingFilterDetailed, 0, INT32_MAX);
        else if (key == "removeRds")
            ok = flag(next.removeRds);
        else if (key == "createManagement21")
            ok = flag(next.createManagement21);
        else if (key == "insertRegionData")
            ok = flag(next.insertRegionData);
        else if (key == "insertVoiceData")
            ok = flag(next.insertVoiceData);
        else if (key == "systemIdChecked")
            ok = flag(next.systemIdChecked);
        else if (key == "systemIdText")
            ok = text(next.systemIdText);
        else if (key == "systemIdIndex")
            ok = number(next.systemIdIndex, -1, kTemplateCount - 1);
        else if (key == "dateStamp")
            ok = flag(next.dateStamp);
        else if (key == "dateStampText")
            ok = text(next.dateStampText);
        else if (key == "versionStamp")
            ok = flag(next.versionStamp);
        else if (key == "versionStampText")
            ok = text(next.versionStampText);
        else if (key == "utfToAnsi")
            ok = flag(next.utfToAnsi);
        else if (key == "translate")
            ok = flag(next.translate);
        else if (key == "translateByWords")
            ok = flag(next.translateByWords);
        else if (key == "excludeFreeways")
            ok = flag(next.excludeFreeways);
        else if (key == "translationLevel")
            ok = number(next.translationLevel, 1, 5);
        else if (key == "dictionaryPath")
            ok = text(next.dictionaryPath);
        else if (key == "dictionaryAreaCode")
            ok = number(next.dictionaryAreaCode, -1, 255);
        else if (key == "foldYo")
            ok = flag(next.foldYo);
        else if (key == "foldUkrainian")
            ok = flag(next.foldUkrainian);
        else if (key == "logDetails")
            ok = flag(next.logDetails);
        else if (key == "logDictErrors")
            ok = flag(next.logDictErrors);
        else if (key == "densoWestFix")
            ok = flag(next.densoWestFix);
        else if (key == "codePage")
            ok = number(next.codePage, 0, 65535);
        else
            return "Unknown setting \"" + key + "\"";
        if (!ok) return "Setting \"" + key + "\" has a value it cannot take";
    }
    *this = next;
    return std::nullopt;
}
