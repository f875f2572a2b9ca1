// The rules for a name's new text: refusals ("?", freeways while excluded), freeway names in Latin
// capitals under the UTF-8 conversion, and route guidance strings that must fit their fields.
#include <gtest/gtest.h>

#include "converter/names/NameTextPolicy.h"
#include "platform/CodePage.h"

namespace {

KiwiText stored(const char* utf8, int codePage) {
    const QString text = QString::fromUtf8(utf8);
    return {encodeToCodePage(text, codePage), text};
}

std::string cp(const char* utf8) {
    const QByteArray bytes = encodeToCodePage(QString::fromUtf8(utf8), 1251);
    return std::string(bytes.constData(), size_t(bytes.size()));
}

} // namespace

TEST(NameTextPolicy, NameRecords) {
    LatRusDictionary dictionary;
    dictionary.areaCode = 0x2B;
    dictionary.AddPair("Red", cp("Красный"));
    dictionary.AddPair("Bad", "B?d");
    struct Case {
        const char* what;
        bool translate, utf, excludeFreeways;
        int textCodePage;
        const char* text;
        uint16_t typeCode;
        const char* expected; // UTF-8 of the new text in the map's page, nullptr: the record stays
    };
    const Case cases[] = {
        {"translated", true, false, false, 1251, "Red", 1, "Красный"},
        {"translated into a UTF-8 map", true, false, false, 65001, "Red", 1, "Красный"},
        {"unknown whole name", true, false, false, 1251, "Blue", 1, nullptr},
        {"translation with ?", true, false, false, 1251, "Bad", 1, nullptr},
        {"excluded freeway", true, false, true, 1251, "Red", kFreewayTypeCode, nullptr},
        {"freeway translated when not excluded", true, false, false, 1251, "Red", kFreewayTypeCode,
         "Красный"},
        {"UTF-8 text re-encoded", false, true, false, 65001, "Москва", 1, "Москва"},
        {"UTF-8 freeway in Latin capitals", false, true, false, 65001, "М10 МОСКВА", kFreewayTypeCode,
         "M10 MOCKBA"},
        {"UTF-8 text already single-byte", false, true, false, 65001, "M10", 1, nullptr},
    };
    for (const Case& c : cases) {
        NameOptions options;
        options.translate = c.translate;
        options.utfToAnsi = c.utf;
        options.excludeFreeways = c.excludeFreeways;
        options.textCodePage = c.textCodePage;
        NameTextPolicy policy(options, &dictionary);
        const auto result = policy.NameRecordText(stored(c.text, c.textCodePage), c.typeCode, 0x2B);
        if (!c.expected) {
            EXPECT_FALSE(result) << c.what;
            continue;
        }
        ASSERT_TRUE(result) << c.what;
        const int page = c.utf ? 1251 : c.textCodePage;
        EXPECT_EQ(decodeFromCodePage(*result, page), QString::fromUtf8(c.expected)) << c.what;
    }
}

TEST(NameTextPolicy, GuidanceStringsFitTheirFields) {
    LatRusDictionary dictionary;
    dictionary.AddPair("Red", cp("Красный"));
    dictionary.AddPair("Blue", cp("Синий очень длинный"));
    NameOptions options;
    options.translate = true;
    options.textCodePage = 1251;
    NameTextPolicy policy(options, &dictionary);
    const auto shorter = policy.GuidanceText(stored("Red", 1251), 8);
    ASSERT_TRUE(shorter);
    EXPECT_EQ(shorter->size(), 7);
    EXPECT_FALSE(policy.GuidanceText(stored("Blue", 1251), 8)) << "a longer text keeps the stored one";
    EXPECT_FALSE(policy.GuidanceText(stored("", 1251), 8));
}

TEST(NameTextPolicy, WhichParcelsAreRewritten) {
    LatRusDictionary dictionary;
    dictionary.areaCode = 0x21;
    NameOptions options;
    options.translate = true;
    options.translationLevel = 2;
    EXPECT_FALSE(NameTextPolicy(options, nullptr).Applies(0, 0x21)) << "no dictionary";
    NameTextPolicy policy(options, &dictionary);
    EXPECT_TRUE(policy.Applies(2, 0x30));
    EXPECT_FALSE(policy.Applies(3, 0x30));
    EXPECT_TRUE(policy.Applies(3, 0x21)) << "the dictionary's own area on every level";
    options.utfToAnsi = true;
    EXPECT_TRUE(NameTextPolicy(options, nullptr).Applies(4, 0));
}
