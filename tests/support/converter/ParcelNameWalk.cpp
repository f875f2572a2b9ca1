// Name records and the texts their references reach, read with the project's readers.
#include "support/converter/ParcelNameWalk.h"
#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include "converter/names/LatRusDictionary.h"
#include "kiwi/frames/BackgroundFrame.h"
#include "kiwi/frames/NameFrame.h"
#include "kiwi/frames/RoadFrame.h"
#include "kiwi/frames/StringFrame.h"

namespace namewalk {

NameRecord readRecord(const TLN_FrameSpan& names, int64_t position) {
    NameRecord out;
    TLN_Name_Data_Record record;
    ReadNameRecord(names, kShowAllScales, true, record, position, 0, {65001, 0});
    const BeCursor c = names.At(position, record.Size);
    out.bytes.assign(c.data(), c.data() + c.size());
    out.text = record.String.text;
    out.hasString = record.Readable && record.StringSize > 0;
    out.table =
        out.hasString && SelectedStringPosition(names, 0, record.StringPosition) != record.StringPosition;
    return out;
}

ParcelNames parcelNames(TLN_KiwiMap& map, uint8_t level, const TLN_MM_Parcel_Managenent_Record& parcel) {
    ParcelNames out;
    const auto frames = LoadParcelFrames(map, level, parcel);
    if (!frames || !frames->Name.IsValid()) return out;
    const TLN_Level_Management_Record& record = *map.Level(level);
    TLN_Name_Data_Frame nameFrame;
    if (!ReadNameDataFrame(frames->Name, record, nameFrame, map.SystemNumber())) return out;
    for (const auto& entry : nameFrame.Classes)
        for (const int64_t position : NameRecordPositions(frames->Name, entry))
            out.records.push_back(readRecord(frames->Name, position));
    const auto reach = [&](int64_t offset) {
        out.referenced.push_back(readRecord(frames->Name, frames->Name.Position() + offset).text);
    };
    TLN_Road_Data_Frame roads;
    if (ReadRoadDataFrame(frames->Road, roads))
        for (const auto& roadClass : roads.Classes)
            for (const int64_t multiLink : MultiLinkPositions(frames->Road, roadClass)) {
                TLN_MultiLink_Data_Record header;
                if (!ReadMultiLinkHeader(frames->Road, header, multiLink)) continue;
                for (int node = 0; node < header.NodeCount; ++node) {
                    TLN_Street_Address_Record address;
                    if (!ReadStreetAddressInfo(frames->Road, node, address, record, multiLink,
                                               frames->Road.Position()))
                        continue;
                    for (const int64_t offset : {address.AdministrativeLeft, address.AdministrativeRight,
                                                 address.StreetLeft, address.StreetRight})
                        if (offset >= 0) reach(offset);
                }
            }
    TLN_Background_Data_Frame background;
    if (ReadBackgroundDisplayClass(frames->Background, record, background, map.SystemNumber()))
        for (const auto& element : background.Elements)
            for (const auto& unit : element.TypeUnits)
                for (const int64_t position : MinimumGraphicsPositions(frames->Background, unit)) {
                    TLN_Minimum_Graphics_Data_Record figure;
                    if (ReadMinimumGraphicsShape(frames->Background, unit.ShapeClassification != 0, figure,
                                                 position) &&
                        figure.NameFlag)
                        reach(2 * int64_t(figure.NameOffset));
                }
    return out;
}

ExpectedText expectedTranslation(const std::function<std::string(const std::string&)>& translateByWords) {
    return [translateByWords](const QString& text) -> std::optional<QString> {
        const QByteArray ansi = encodeToCodePage(text, 1251);
        const std::string translated = translateByWords(std::string(ansi.constData(), size_t(ansi.size())));
        if (ansi.contains('?') || translated.find('?') != std::string::npos) return std::nullopt;
        return decodeFromCodePage(QByteArrayView(translated.data(), qsizetype(translated.size())), 1251);
    };
}

TranslationTally checkTranslatedNames(TLN_KiwiMap& source, TLN_KiwiMap& output,
                                      const ExpectedText& expected) {
    TranslationTally tally;
    eachParcel(source, output, [&](uint8_t level, const auto& oldParcel, const auto& newParcel) {
        const ParcelNames before = parcelNames(source, level, oldParcel);
        const ParcelNames after = parcelNames(output, level, newParcel);
        ++tally.parcels;
        ASSERT_EQ(after.records.size(), before.records.size());
        for (size_t i = 0; i < before.records.size(); ++i) {
            const NameRecord& old = before.records[i];
            const NameRecord& now = after.records[i];
            const std::optional<QString> text =
                old.hasString && !old.table ? expected(old.text) : std::nullopt;
            if (!text) {
                EXPECT_EQ(now.bytes, old.bytes)
                    << "a record that stays keeps its bytes: " << old.text.toStdString();
                tally.refused += old.hasString && !old.table;
                continue;
            }
            EXPECT_EQ(now.text, *text) << old.text.toStdString();
            EXPECT_EQ(now.bytes.size() % 2, 0u);
            if (now.text != old.text) {
                ++tally.translated;
                tally.newTexts.push_back(now.text);
            }
        }
        ASSERT_EQ(after.referenced.size(), before.referenced.size());
        for (size_t i = 0; i < before.referenced.size(); ++i)
            EXPECT_EQ(after.referenced[i], expected(before.referenced[i]).value_or(before.referenced[i]));
        tally.references += int(before.referenced.size());
    });
    return tally;
}

TranslationTally checkTranslatedMaps(const std::string& sourcePath, const std::string& outputPath,
                                     const std::string& dictionaryText) {
    LatRusDictionary dictionary;
    dictionary.LoadFromText(dictionaryText);
    const ExpectedText expected = expectedTranslation(
        [&](const std::string& name) { return dictionary.TranslateNameByWords(name, false); });
    TLN_KiwiMap source(sourcePath);
    TLN_KiwiMap output(outputPath);
    return checkTranslatedNames(source, output, expected);
}

} // namespace namewalk
