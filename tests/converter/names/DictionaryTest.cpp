// The Latin-to-Cyrillic dictionary: text lines, look-ups without regard to case, translation of names,
// parts and words, folds, the unknown-name handler and miss list, and its two file forms.
#include <gtest/gtest.h>

#include <QString>
#include <fstream>

#include "converter/names/Cp1251Text.h"
#include "converter/names/DictionaryMissList.h"
#include "converter/names/LatRusDictionary.h"
#include "kiwi/core/KiwiErrors.h"
#include "platform/CodePage.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

// UTF-8 source text as code page 1251 bytes.
std::string cp(const char* utf8) {
    const QByteArray bytes = encodeToCodePage(QString::fromUtf8(utf8), 1251);
    return std::string(bytes.constData(), size_t(bytes.size()));
}

std::string saved(const LatRusDictionary& d) {
    std::string text;
    d.SaveToText(text);
    return text;
}

void putU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out += char(uint8_t(v >> (8 * i)));
}

// A compiled dictionary: keys with their value indexes, then the value lines.
std::string lndict(uint32_t area, uint32_t count, const std::vector<std::pair<std::string, uint32_t>>& keys,
                   const std::string& values) {
    std::string out;
    putU32(out, area);
    putU32(out, count);
    for (const auto& [key, index] : keys) {
        putU32(out, index);
        putU32(out, uint32_t(key.size()));
        out += key;
    }
    return out + values;
}

// A hundred keys with a spelling of "Moscow" after every fourth, the first "Moscow=A": enough equal keys
// among others that only a stable sort keeps them in the text's order.
std::string spreadTwins() {
    const char* const spellings[] = {"moscow", "MOSCOW", "MoScOw", "mOSCOW", "MOSCOw"};
    std::string text = "Moscow=A\n";
    for (int i = 0; i < 100; ++i) {
        text += "Key" + std::to_string((i * 37) % 100) + "=" + std::to_string(i) + "\n";
        if (i % 4 == 3) text += spellings[i % 5] + std::string("=") + std::to_string(i) + "\n";
    }
    return text;
}

} // namespace

TEST(Dictionary, TextLines) {
    struct Case {
        const char* text;
        const char* key;
        const char* expected; // nullptr: the key is absent
    };
    const Case cases[] = {
        {"Moscow=  Москва  \r\n", "Moscow", "Москва"},
        {"Moscow =Москва\n", "Moscow", "Москва"}, // the key is trimmed on the right
        {"=Москва\n", "", nullptr},
        {"Moscow=\n", "Moscow", nullptr},
        {"Moscow=   \n", "Moscow", nullptr},
        {"Moscow=Москва\nMOSCOW=Другая\n", "moscow", "Москва"}, // the first of equal keys wins
        {"Kiev=Київ", "KIEV", "Київ"},                          // a last line without a break
        {"a=b=c\n", "a", "b=c"},
        {"no pair here\n", "no pair here", nullptr},
    };
    for (const Case& c : cases) {
        LatRusDictionary d;
        d.LoadFromText(cp(c.text));
        const int index = d.IndexOfLatin(cp(c.key));
        if (!c.expected) {
            EXPECT_EQ(index, -1) << c.text;
            continue;
        }
        ASSERT_GE(index, 0) << c.text;
        EXPECT_EQ(d.GetTranslation(index), cp(c.expected)) << c.text;
    }
}

TEST(Dictionary, ExistingKeysKeepTheirTranslationOnLoad) {
    LatRusDictionary d;
    d.AddPair("Moscow", cp("Москва"));
    d.LoadFromText("moscow=X\nTver=" + cp("Тверь") + "\n");
    EXPECT_EQ(d.Count(), 2);
    EXPECT_EQ(d.GetTranslation(d.IndexOfLatin("MOSCOW")), cp("Москва"));
    EXPECT_TRUE(d.NoSpaces());
    d.Clear();
    d.LoadFromText("Tver=x\n");
    EXPECT_TRUE(d.NoSpaces());
    d.LoadFromText("Red Square=y\n");
    EXPECT_FALSE(d.NoSpaces());
}

TEST(Dictionary, KeysEqualButForCaseInOneTextAreOneEntry) {
    struct Case {
        const char* name;
        std::string before; // loaded first
        std::string text;
        int count;
        const char* kept;
    };
    const Case cases[] = {
        {"three spellings", "", "Moscow=A\nmoscow=B\nMOSCOW=C\n", 1, "A"},
        {"twins beside others", "", "Tver=T\nmoscow=B\nAbakan=X\nMoscow=A\nMOSCOW=C\n", 3, "B"},
        {"twins of a loaded key", "Moscow=Z\n", "Moscow=A\nmoscow=B\n", 1, "Z"},
        {"twins spread through a hundred keys", "", spreadTwins(), 101, "A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LatRusDictionary d;
        d.LoadFromText(c.before);
        d.LoadFromText(c.text);
        EXPECT_EQ(d.Count(), c.count);
        int moscows = 0;
        for (int i = 0; i < d.Count(); ++i)
            moscows += FoldedCp1251(d.GetLatin(i)) == "MOSCOW";
        EXPECT_EQ(moscows, 1);
        EXPECT_EQ(d.TranslateName("mOsCoW", false), c.kept);
        // Saved and read back as text or in the compiled form, it stays one entry.
        const std::string text = saved(d);
        LatRusDictionary again;
        again.LoadFromText(text);
        EXPECT_EQ(saved(again), text);
        // Deleting the one entry leaves no look-up behind, and the others keep theirs.
        d.DeleteAt(d.IndexOfLatin("moscow"));
        EXPECT_EQ(d.TranslateName("Moscow", false), "");
        EXPECT_EQ(d.Count(), c.count - 1);
    }
}

TEST(Dictionary, ATextWithoutPairsIsNoDictionary) {
    struct Case {
        const char* name;
        std::string text;
        int pairs, otherLines;
    };
    std::string binary = lndict(43, 2, {{"Moscow", 0}, {"Tver", 1}}, "A=B\nx\n");
    binary[3] = '='; // an "=" among the header's bytes
    const Case cases[] = {
        {"pairs and other lines", "Tver=T\njunk\n\n   \n=no key\nkey=\nOrel=O\n", 2, 3},
        {"no pairs", "just text\nmore text\n", 0, 2},
        {"a compiled dictionary read as text", binary.substr(0, binary.size() - 6), 0, 1},
        {"empty", "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LatRusDictionary d;
        d.AddPair("Kept", "K");
        d.SetDirty(false);
        const LatRusDictionary::TextLoad found = d.LoadFromText(c.text);
        EXPECT_EQ(found.pairs, c.pairs);
        EXPECT_EQ(found.otherLines, c.otherLines);
        EXPECT_EQ(d.Count(), 1 + c.pairs);
        // A text that gave nothing left the dictionary as it was.
        EXPECT_EQ(d.Dirty(), c.pairs > 0);
    }
}

TEST(Dictionary, CaseFoldCoversCyrillicAndUkrainianLetters) {
    LatRusDictionary d;
    d.AddPair(cp("ёлка ґанок їжак"), "x");
    EXPECT_GE(d.IndexOfLatin(cp("ЁЛКА ҐАНОК ЇЖАК")), 0);
    EXPECT_EQ(FoldedCp1251(cp("abzяіў")), cp("ABZЯІЎ"));
}

TEST(Dictionary, Translation) {
    struct Case {
        const char* name;
        bool byWords;
        bool folds;
        const char* expected;
    };
    LatRusDictionary d;
    d.AddPair("Red", cp("Красный"));
    d.AddPair("Blue", cp("Синий"));
    d.AddPair("Space", " ");
    d.AddPair("Street", cp("Улица"));
    d.AddPair("A", cp("А"));
    d.AddPair("Yo", cp("ЁЇЄҐЎ"));
    d.AddPair("Empty", "");
    const Case cases[] = {
        {"Unknown", false, false, ""},
        {"Unknown", true, false, "Unknown"},
        {"red", false, false, "Красный"},
        {"Red\tGreen", false, false, "Красный\tGreen"},
        {"Space\tBlue", false, false, "Space\tСиний"},
        {"Empty\tBlue", false, false, "Empty\tСиний"},
        {"Street 12-A", true, false, "Улица 12-А"},
        {"(Red) [Blue], Red/Blue\\\"A\"", true, false, "(Красный) [Синий], Красный/Синий\\\"А\""},
        {"Yo", false, true, "ЕIEГУ"},
        {"Yo", false, false, "ЁЇЄҐЎ"},
        {"B=Red", false, false, "B=Красный"},
        // A prefixed name with tabs keeps every part, translated.
        {"B=Red\tBlue\tGreen", false, false, "B=Красный\tСиний\tGreen"},
        {"B=Red Blue\tStreet 1", true, false, "B=Красный Синий\tУлица 1"},
        {"B=", false, false, ""},
        {"Foo=Red\tBlue", false, false, "Foo=Red\tСиний"}, // no prefix: nothing before "=" is dropped
    };
    for (const Case& c : cases) {
        d.foldYo = d.foldUkrainian = c.folds;
        const std::string name = cp(c.name);
        const std::string got =
            c.byWords ? d.TranslateNameByWords(name, false) : d.TranslateName(name, false);
        EXPECT_EQ(got, cp(c.expected)) << c.name;
    }
}

TEST(Dictionary, UnknownNamesAskTheHandlerAndFillTheMissList) {
    LatRusDictionary d;
    d.AddPair("Red", cp("Красный"));
    DictionaryMissList misses;
    int asked = 0;
    d.SetUnknownNameHandler([&](std::string_view name) {
        ++asked;
        return name == "Known" ? cp("Известный") : misses.Add(name);
    });
    EXPECT_EQ(d.TranslateName("Known", false), "") << "no question without ask";
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(d.TranslateName("Known", true), cp("Известный"));
    EXPECT_EQ(d.Count(), 2) << "a non-empty answer is added";
    EXPECT_EQ(d.TranslateName("Known", true), cp("Известный"));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(d.TranslateName("Zeta", true), "");
    EXPECT_EQ(d.TranslateNameByWords("Red Zeta Alpha", true), cp("Красный") + " Zeta Alpha");
    EXPECT_EQ(d.Count(), 2);
    EXPECT_EQ(misses.Lines(), (std::vector<std::string>{"Alpha=", "Zeta="}));

    const std::string path = fixture::scratchDir("dict-misses") + "/LogDictErrors.txt";
    EXPECT_EQ(misses.Save(path), 2u);
    std::ifstream file(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "Alpha=\r\nZeta=\r\n");
    {
        ScopedUnknownNameHandler scoped(d, [](std::string_view) { return std::string("x"); });
        EXPECT_EQ(d.TranslateName("Omega", true), "x");
    }
    EXPECT_EQ(d.TranslateName("Psi", true), "") << "the scoped handler is cleared";
}

TEST(Dictionary, PairOperationsKeepIndexesValid) {
    LatRusDictionary d;
    EXPECT_EQ(d.AddPair("b", "1"), 0);
    EXPECT_EQ(d.AddPair("a", "2"), 0);
    EXPECT_EQ(d.AddPair("B", "3"), 1) << "an existing key keeps its translation";
    EXPECT_EQ(d.GetTranslation(1), "1");
    EXPECT_EQ(d.SetPair("B", "4"), 1);
    EXPECT_EQ(d.GetTranslation(1), "4");
    EXPECT_EQ(d.GetLatin(1), "b");
    EXPECT_EQ(d.SetPair("c", "5"), 2);
    d.DeleteAt(0);
    EXPECT_EQ(d.Count(), 2);
    EXPECT_EQ(d.GetTranslation(0), "4");
    EXPECT_EQ(d.GetTranslation(1), "5");
    d.ClearTranslation(0);
    EXPECT_EQ(d.GetTranslation(0), "");
    EXPECT_EQ(d.GetLatin(0), "b");
    EXPECT_EQ(d.LowerBound("B"), 0);
    EXPECT_EQ(d.LowerBound("bb"), 1);
    EXPECT_EQ(d.LowerBound("z"), 2);
    d.SetDirty(false);
    d.SetTranslation(1, "6");
    EXPECT_TRUE(d.Dirty());
}

TEST(Dictionary, LatinizeCapitals) {
    EXPECT_EQ(LatinizeCapitals(cp("МОСКВА")), "MOCKBA");
    EXPECT_EQ(LatinizeCapitals(cp("ЖИЗНЬ")), "JIZH-");
    EXPECT_EQ(LatinizeCapitals(cp("ПЦЧШЩЪЫЬЭЮЯБ")), "------------");
    EXPECT_EQ(LatinizeCapitals(cp("абв A1 Ё")), cp("абв A1 Ё")) << "only А..Я change";
}

TEST(Dictionary, TextFileRoundTrip) {
    LatRusDictionary d;
    std::string text;
    for (int i = 0; i < 500; ++i)
        text +=
            "Key" + std::to_string(i * 7919 % 1000) + " Street=" + cp("Улица ") + std::to_string(i) + "\r\n";
    d.LoadFromText(text);
    const std::string folder = fixture::scratchDir("dict-roundtrip");
    EXPECT_EQ(d.SaveToTextFile(folder + "/dict.txt"), 0);
    LatRusDictionary again;
    again.LoadFromTextFile(folder + "/dict.txt");
    ASSERT_EQ(again.Count(), d.Count());
    for (int i = 0; i < d.Count(); ++i) {
        EXPECT_EQ(again.GetLatin(i), d.GetLatin(i));
        EXPECT_EQ(again.GetTranslation(i), d.GetTranslation(i));
    }
    EXPECT_EQ(saved(again), saved(d));

    // Entries that would read back differently are left out and counted.
    d.AddPair("a=b", "x");
    d.AddPair("line\nbreak", "x");
    d.AddPair("value", "two\r\nlines");
    EXPECT_EQ(d.SaveToTextFile(folder + "/dict.txt"), 3);
    LatRusDictionary third;
    third.LoadFromTextFile(folder + "/dict.txt");
    EXPECT_EQ(third.Count(), again.Count());
    EXPECT_THROW(third.LoadFromTextFile(folder + "/missing.txt"), EFOpenError);
}

TEST(Dictionary, CompiledFile) {
    LatRusDictionary d;
    const std::string good =
        lndict(43, 3, {{"Red", 1}, {"blue", 0}, {"Green Park", 2}}, cp("Синий\r\nКрасный\nЗелёный парк"));
    ASSERT_EQ(d.LoadFromBytes(good), "");
    EXPECT_EQ(d.areaCode, 43u);
    EXPECT_EQ(d.Count(), 3);
    EXPECT_EQ(d.GetLatin(0), "blue");
    EXPECT_EQ(d.TranslateName("RED", false), cp("Красный"));
    EXPECT_EQ(d.TranslateName("Blue", false), cp("Синий"));
    EXPECT_EQ(d.TranslateName("green park", false), cp("Зелёный парк"));
    EXPECT_FALSE(d.NoSpaces());
}

TEST(Dictionary, MalformedCompiledFilesLeaveTheDictionaryUnchanged) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::string values = "one\ntwo\n";
    const Case cases[] = {
        {"count too large", lndict(1, 1000000, {{"a", 0}}, values)},
        {"index out of range", lndict(1, 2, {{"a", 0}, {"b", 2}}, values)},
        {"key past the end", lndict(1, 1, {}, "") + std::string("\0\0\0\0\xFF\0\0\0ab", 10)},
        {"duplicate keys", lndict(1, 2, {{"Key", 0}, {"KEY", 1}}, values)},
        {"truncated values", lndict(1, 2, {{"a", 0}, {"b", 1}}, "one")},
        {"short header", std::string("\1\0\0", 3)},
    };
    for (const Case& c : cases) {
        LatRusDictionary d;
        d.areaCode = 7;
        d.AddPair("Keep", "me");
        const std::string before = saved(d);
        EXPECT_NE(d.LoadFromBytes(c.bytes), "") << c.what;
        EXPECT_EQ(saved(d), before) << c.what;
        EXPECT_EQ(d.areaCode, 7u) << c.what;
        EXPECT_EQ(d.Count(), 1) << c.what;
    }
    // A cp1251 key is named as written.
    EXPECT_EQ(LatRusDictionary().LoadFromBytes(lndict(1, 2, {{cp("Ключ"), 0}, {cp("КЛЮЧ"), 1}}, values)),
              "Ключ \"Ключ\" встречается дважды");
}
