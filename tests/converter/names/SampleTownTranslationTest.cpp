// The sample town with its names spelled in Latin letters (made here, so the sample disc's own bytes stay
// as its goldens know them), translated back to Cyrillic through the conversion job: every rewritten text
// is the dictionary's translation, refused names keep their records byte for byte, and every name
// reference of roads and figures reaches the record of the same logical name.
#include <gtest/gtest.h>

#include <QString>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "kiwi/map/KiwiMap.h"
#include "platform/CodePage.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/converter/ParcelNameWalk.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/TownFrames.h"
#include "support/fixtures/TownMapPlan.h"

namespace {

using namespace namewalk;

// Cyrillic letters in Latin ones, enough for the town's names.
std::string latinSpelling(const std::string& utf8) {
    static const std::map<char32_t, const char*> letters = {
        {U'а', "a"},  {U'б', "b"},  {U'в', "v"},  {U'г', "g"},  {U'д', "d"},  {U'е', "e"},    {U'ё', "yo"},
        {U'ж', "zh"}, {U'з', "z"},  {U'и', "i"},  {U'й', "y"},  {U'к', "k"},  {U'л', "l"},    {U'м', "m"},
        {U'н', "n"},  {U'о', "o"},  {U'п', "p"},  {U'р', "r"},  {U'с', "s"},  {U'т', "t"},    {U'у', "u"},
        {U'ф', "f"},  {U'х', "kh"}, {U'ц', "ts"}, {U'ч', "ch"}, {U'ш', "sh"}, {U'щ', "shch"}, {U'ъ', ""},
        {U'ы', "y"},  {U'ь', ""},   {U'э', "e"},  {U'ю', "yu"}, {U'я', "ya"},
    };
    std::string out;
    for (const char32_t c : QString::fromStdString(utf8).toStdU32String()) {
        const char32_t lower = QChar::toLower(c);
        const auto found = letters.find(lower);
        if (found == letters.end()) {
            out += QString::fromStdU32String(std::u32string(1, c)).toStdString();
            continue;
        }
        std::string latin = found->second;
        if (lower != c && !latin.empty()) latin[0] = char(std::toupper(latin[0]));
        out += latin;
    }
    return out;
}

std::string cp1251(const char* utf8) {
    const QByteArray bytes = encodeToCodePage(QString::fromUtf8(utf8), 1251);
    return std::string(bytes.constData(), size_t(bytes.size()));
}

// Street words back to Cyrillic; one translation carries "?" and must be refused.
std::string dictionaryText() {
    const char* const words[] = {"ул.",    "пр.",     "Ленина", "Мира",     "Советская",
                                 "Лесная", "Полевая", "Чехова", "Пушкина",  "Гоголя",
                                 "Кирова", "Новая",   "Тихая",  "Северная", "Озёрная"};
    std::string text;
    for (const char* word : words)
        text += latinSpelling(word) + "=" + cp1251(word) + "\r\n";
    text += latinSpelling("Садовая") + "=" + cp1251("Садовая?") + "\r\n";
    return text;
}

TEST(SampleTownTranslation, LatinNamesBecomeTheDictionarysAndReferencesFollow) {
    EXPECT_EQ(latinSpelling("ул. Озёрная"), "ul. Ozyornaya");
    fixture::AllDataPlan plan = fixture::townAllDataPlan();
    auto frames = std::make_shared<fixture::FrameSource>(*plan.frameSource);
    frames->mainMap = [](const fixture::FrameRequest& request) {
        return fixture::town::townMainMapFramesSpelled(request, latinSpelling);
    };
    plan.frameSource = frames;
    const auto f = convtest::makeSource("sample-town-latin", plan);
    const std::string dictionaryPath = fixture::scratchDir("sample-town-latin-dict") + "/dict.txt";
    std::ofstream(dictionaryPath, std::ios::binary) << dictionaryText();

    ConversionOptions options;
    options.translate = true;
    options.translateByWords = true;
    options.translationLevel = 5;
    options.dictionaryPath = dictionaryPath;
    const ConversionResult result = convtest::convert(f.allData, f.output, options);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    if (const char* keep = std::getenv("STROVANE_KEEP_CONVERTED"); keep && *keep) {
        for (const char* side : {"src", "out"}) {
            const std::string to = std::string(keep) + "/sample-town-latin/" + side;
            std::filesystem::create_directories(to);
            std::filesystem::copy_file((side == std::string("src") ? f.source : f.output) + "/ALLDATA.KWI",
                                       to + "/ALLDATA.KWI",
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }

    const namewalk::TranslationTally tally =
        namewalk::checkTranslatedMaps(f.allData, f.output + "/ALLDATA.KWI", dictionaryText());
    const int parcels = tally.parcels, translated = tally.translated, refused = tally.refused,
              references = tally.references;
    int cyrillic = 0;
    for (const QString& text : tally.newTexts)
        cyrillic += text.contains(QStringLiteral("ул. "));
    EXPECT_GT(parcels, 20) << "every parcel and sub-parcel of both levels";
    EXPECT_GT(translated, 20);
    EXPECT_GT(cyrillic, 10) << "street names are Cyrillic again";
    EXPECT_GT(refused, 0) << "Sadovaya translates with a question mark";
    EXPECT_GT(references, 10);
}

} // namespace
