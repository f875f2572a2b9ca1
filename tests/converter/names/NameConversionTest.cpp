// Conversions with names translated or re-encoded, read back with the project's readers: every rewritten
// text is the dictionary's translation (or the old record byte for byte where refused), every name
// reference reaches the record with the same logical name, and parcels the options leave alone come out
// as the copy writer writes them.
#include <gtest/gtest.h>

#include <fstream>

#include "converter/names/LatRusDictionary.h"
#include "kiwi/frames/BackgroundFrame.h"
#include "kiwi/frames/NameFrame.h"
#include "kiwi/frames/ParcelFrames.h"
#include "kiwi/frames/RoadFrame.h"
#include "kiwi/frames/StringFrame.h"
#include "kiwi/map/KiwiMap.h"
#include "platform/CodePage.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/converter/ParcelNameWalk.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

using namespace namewalk;

std::string cp(const char* utf8) {
    const QByteArray bytes = encodeToCodePage(QString::fromUtf8(utf8), 1251);
    return std::string(bytes.constData(), size_t(bytes.size()));
}

// The dictionary of these tests, as its text file holds it.
std::string dictionaryText() {
    return cp("Москва=Moskva Gorod Geroy\r\nKremlin=Кремль\r\nТверская=Tverskaya?\r\n");
}

std::string writeDictionary(const std::string& folder) {
    const std::string path = fixture::scratchDir(folder) + "/dict.txt";
    std::ofstream(path, std::ios::binary) << dictionaryText();
    return path;
}

} // namespace

TEST(NameConversion, TranslatedNamesAndTheirReferences) {
    const auto f = convtest::makeSource("names-translate", fixture::framesAllDataPlan(false));
    ConversionOptions options;
    options.translate = true;
    options.translateByWords = true;
    options.translationLevel = 5;
    options.dictionaryPath = writeDictionary("names-translate-dict");
    options.dictionaryAreaCode = 0x20;
    options.logDictErrors = true;
    const ConversionResult result = convtest::convert(f.allData, f.output, options);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;

    const namewalk::TranslationTally tally =
        namewalk::checkTranslatedMaps(f.allData, f.output + "/ALLDATA.KWI", dictionaryText());
    const int parcels = tally.parcels, translated = tally.translated, refused = tally.refused,
              references = tally.references;
    EXPECT_GT(parcels, 20);
    EXPECT_GT(translated, 20);
    EXPECT_GT(refused, 0) << "Tverskaya? is refused";
    EXPECT_GT(references, 10);

    // Misses of the dictionary's area (level 0) are listed once each.
    const auto out = convtest::snapshot(f.output);
    ASSERT_TRUE(out.count("LogDictErrors.txt"));
    const std::vector<uint8_t>& misses = out.at("LogDictErrors.txt");
    const std::string text(misses.begin(), misses.end());
    EXPECT_NE(text.find(cp("Арбат=\r\n")), std::string::npos);
    EXPECT_EQ(text.find(cp("Арбат=\r\n")), text.rfind(cp("Арбат=\r\n")));
    EXPECT_EQ(text.find("Kremlin="), std::string::npos);
}

TEST(NameConversion, ParcelsLeftAloneEqualTheCopy) {
    struct Case {
        const char* what;
        bool wide;
        bool withDictionary;
    };
    for (const Case& c :
         {Case{"translation without a dictionary", false, false}, Case{"wide entries", true, true}}) {
        const auto f = convtest::makeSource(std::string("names-alone-") + (c.wide ? "w" : "n"),
                                            fixture::framesAllDataPlan(c.wide));
        ASSERT_EQ(convtest::convert(f.allData, f.output).status, ConversionStatus::Done);
        const auto copy = convtest::readFile(f.output + "/ALLDATA.KWI");
        const std::string second =
            fixture::scratchDir(std::string("names-alone-out-") + (c.wide ? "w" : "n"));
        ConversionOptions options;
        options.translate = true;
        options.translationLevel = 5;
        if (c.withDictionary) options.dictionaryPath = writeDictionary("names-alone-dict");
        const ConversionResult result = convtest::convert(f.allData, second, options);
        ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
        EXPECT_EQ(convtest::readFile(second + "/ALLDATA.KWI"), copy) << c.what;
    }
}

TEST(NameConversion, UnreadableDictionaryRefusesTheRun) {
    const auto f = convtest::makeSource("names-bad-dict", fixture::smallAllDataPlan());
    ConversionOptions options;
    options.translate = true;
    const std::string folder = fixture::scratchDir("names-bad-dict-file");
    options.dictionaryPath = folder + "/broken.lndict";
    std::ofstream(options.dictionaryPath, std::ios::binary) << std::string("\1\0\0\0\xFF\xFF\0\0", 8);
    EXPECT_EQ(convtest::convert(f.allData, f.output, options).status, ConversionStatus::Refused);
    options.dictionaryPath = folder + "/missing.txt";
    EXPECT_EQ(convtest::convert(f.allData, f.output, options).status, ConversionStatus::Refused);
    EXPECT_FALSE(convtest::snapshot(f.output).count("ALLDATA.KWI"));
}

TEST(NameConversion, Utf8NamesAndGuidanceStringsBecomeCodePage1251) {
    const auto f = convtest::makeSource("names-utf", fixture::framesAllDataPlan(false));
    ConversionOptions options;
    options.utfToAnsi = true;
    const ConversionResult result = convtest::convert(f.allData, f.output, options);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    TLN_KiwiMap source(f.allData);
    TLN_KiwiMap output(f.output + "/ALLDATA.KWI");
    int names = 0, strings = 0;
    eachParcel(source, output, [&](uint8_t level, const auto& oldParcel, const auto& newParcel) {
        const ParcelNames before = parcelNames(source, level, oldParcel);
        const ParcelNames after = parcelNames(output, level, newParcel);
        ASSERT_EQ(after.records.size(), before.records.size());
        for (size_t i = 0; i < before.records.size(); ++i) {
            const NameRecord& old = before.records[i];
            if (!old.hasString || old.table) {
                EXPECT_EQ(after.records[i].bytes, old.bytes);
                continue;
            }
            // The new bytes are the old text in code page 1251.
            const auto frames = LoadParcelFrames(output, level, newParcel);
            TLN_Name_Data_Frame frame;
            ReadNameDataFrame(frames->Name, *output.Level(level), frame, output.SystemNumber());
            std::vector<int64_t> positions;
            for (const auto& entry : frame.Classes)
                for (const int64_t p : NameRecordPositions(frames->Name, entry))
                    positions.push_back(p);
            TLN_Name_Data_Record record;
            ReadNameRecord(frames->Name, kShowAllScales, true, record, positions[i], 0, {1251, 0});
            EXPECT_EQ(record.String.text, old.text);
            ++names;
        }
        const auto oldFrames = LoadParcelFrames(source, level, oldParcel);
        const auto newFrames = LoadParcelFrames(output, level, newParcel);
        if (!oldFrames->Strings.IsValid()) return;
        ASSERT_TRUE(newFrames->Strings.IsValid());
        EXPECT_EQ(newFrames->RouteGuidance.Size(), oldFrames->RouteGuidance.Size())
            << "guidance keeps its size";
        TLN_Character_String_Data_Frame oldStrings, newStrings;
        ReadCharacterString(oldFrames->Strings, oldStrings, true, {65001, 0});
        ReadCharacterString(newFrames->Strings, newStrings, true, {1251, 0});
        ASSERT_EQ(newStrings.Items.size(), oldStrings.Items.size());
        for (size_t item = 0; item < oldStrings.Items.size(); ++item)
            for (size_t r = 0; r < oldStrings.Items[item].Records.size(); ++r) {
                // The shorter single-byte text is padded with 00 to its field.
                QString now = newStrings.Items[item].Records[r].Display.text;
                while (now.endsWith(QChar(0)))
                    now.chop(1);
                EXPECT_EQ(now, oldStrings.Items[item].Records[r].Display.text);
                ++strings;
            }
    });
    EXPECT_GT(names, 20);
    EXPECT_GT(strings, 5);
}
