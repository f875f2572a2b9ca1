// Code page conversion: samples checked against the iconv command, bad input, unknown pages, threads.
#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "support/fixtures/FixtureWriter.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// What the iconv command makes of UTF-8 text in the given charset.
QByteArray iconvCommand(const QString& text, const std::string& charset) {
    const std::string dir = fixture::scratchDir("codepage-" + charset);
    const QByteArray utf8 = text.toUtf8();
    fixture::writeFile(dir + "/in.txt", std::vector<uint8_t>(utf8.begin(), utf8.end()));
    std::string output;
    const int status = fixture::runCommand("iconv -f UTF-8 -t " + charset + " '" + dir + "/in.txt'", &output);
    EXPECT_EQ(status, 0) << "iconv to " << charset;
    return QByteArray::fromStdString(output);
}

QString codePoints(const QString& text) {
    QString result;
    for (QChar c : text)
        result += QString::asprintf("%04X ", c.unicode());
    return result.trimmed();
}

QByteArray bytes(std::initializer_list<unsigned> values) {
    QByteArray result;
    for (unsigned v : values)
        result.append(char(v));
    return result;
}

struct Sample {
    int codePage;
    const char* charset;
    const char* utf8;
};

const Sample kSamples[] = {
    {1251, "CP1251", "Москва, Тверская улица 12 — №5"},
    {1252, "CP1252", "Café Straße – Ærøskøbing 5 €"},
    {932, "CP932", "東京都千代田区 ｶﾀｶﾅ ～①"},
    {936, "CP936", "北京市朝阳区 建国路"},
    {949, "CP949", "서울특별시 강남구 테헤란로"},
    {950, "CP950", "臺北市中正區 重慶南路"},
    {1200, "UTF-16BE", "Ä€ 😀 x"},
    {28595, "ISO-8859-5", "Москва Київ"},
    {50220, "ISO-2022-JP", "東京 Tokyo 大阪"},
    {1250, "CP1250", "Łódź Příbram Győr"},
    {874, "CP874", "กรุงเทพมหานคร"},
    {20127, "ASCII", "Plain ASCII ~\\"},
    // The single-byte pages convert through tables read off iconv once: a sample of each script.
    {1253, "CP1253", "Αθήνα Πειραιάς"},
    {1254, "CP1254", "İstanbul Şişli Ğ"},
    {1256, "CP1256", "القاهرة"},
    {1257, "CP1257", "Rīga Šiauliai"},
    {28592, "ISO-8859-2", "Łódź Győr"},
    {28597, "ISO-8859-7", "Αθήνα"},
    {28605, "ISO-8859-15", "Œuvre €"},
};

} // namespace

TEST(CodePage, SamplesMatchTheIconvCommandBothWays) {
    for (const Sample& sample : kSamples) {
        const QString text = QString::fromUtf8(sample.utf8);
        const QByteArray expected = iconvCommand(text, sample.charset);
        ASSERT_FALSE(expected.isEmpty()) << sample.charset;
        bool supported = false;
        EXPECT_EQ(decodeFromCodePage(expected, sample.codePage, &supported), text) << sample.codePage;
        EXPECT_TRUE(supported) << sample.codePage;
        EXPECT_EQ(encodeToCodePage(text, sample.codePage, &supported), expected) << sample.codePage;
        EXPECT_TRUE(supported) << sample.codePage;
    }
}

TEST(CodePage, KnownBytesWithoutAnyTool) {
    EXPECT_EQ(decodeFromCodePage(bytes({0x00, 0x41, 0x00, 0x42}), 1200), "AB");
    EXPECT_EQ(encodeToCodePage("AB", 1200), bytes({0x00, 0x41, 0x00, 0x42}));
    EXPECT_EQ(encodeToCodePage("AB", 1201), bytes({0x00, 0x41, 0x00, 0x42}));
    EXPECT_EQ(decodeFromCodePage(bytes({0xC4, 0xE0}), 1251), QString::fromUtf8("Да"));
    EXPECT_EQ(decodeFromCodePage(bytes({0x80}), 1252), QString::fromUtf8("€"));
    EXPECT_EQ(decodeFromCodePage(bytes({0xC4}), 28591), QString::fromUtf8("Ä"));
    EXPECT_EQ(decodeFromCodePage(bytes({0x82, 0xA0}), 932), QString::fromUtf8("あ"));
    EXPECT_EQ(decodeFromCodePage(bytes({0xE2, 0x82, 0xAC}), 65001), QString::fromUtf8("€"));
    // NULs are text like any other byte; callers decide where a field ends.
    EXPECT_EQ(decodeFromCodePage(bytes({0x41, 0x00, 0xC4}), 1251), QString::fromUtf8("A\0Д", 4));
}

TEST(CodePage, InvalidInputGivesReplacementAndGoesOn) {
    struct Case {
        int codePage;
        QByteArray input;
        const char* expectedUtf8;
    } cases[] = {
        {65001, bytes({'A', 0x80, 'B'}), "A\uFFFDB"},
        {65001, bytes({'A', 0xE2, 0x82}), "A\uFFFD\uFFFD"},
        {65001, bytes({0xC0, 0xAF, 'x'}), "\uFFFD\uFFFDx"},
        {1200, bytes({0x00, 0x41, 0x00}), "A\uFFFD"},       // odd last byte
        {1200, bytes({0xD8, 0x3D, 0x00, 0x41}), "\uFFFDA"}, // high surrogate alone
        {1200, bytes({0xDE, 0x00, 0x00, 0x42}), "\uFFFDB"}, // low surrogate alone
        {1200, bytes({0x00, 0x41, 0xD8, 0x3D}), "A\uFFFD"}, // cut pair at the end
        {1200, bytes({0xD8, 0x3D, 0xDE, 0x00}), "😀"},
        {1251, bytes({'a', 0x98, 'b'}), "a\uFFFDb"}, // unassigned in 1251
        {1252, bytes({0x81, 0xC4}), "\uFFFDÄ"},
        {932, bytes({'x', 0x82}), "x\uFFFD"},                // lead byte at the end
        {932, bytes({0x82, 0x20, 0x82, 0xA0}), "\uFFFD あ"}, // bad trail byte
        {936, bytes({0xB1, 0xB1, 0xFF, 'z'}), "北\uFFFDz"},
        {20127, bytes({'a', 0xC0, 'b'}), "a\uFFFDb"},
        {1255, bytes({0xE0, 0xD9, 0xE0}), "\u05D0\uFFFD\u05D0"}, // a held-back letter keeps its place
        {50220, bytes({0x1B, 0x24, 0x42, 0x45, 0x6C, 0x1B, 0x28, 0x42, 0x80, 'k'}), "東\uFFFDk"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(codePoints(decodeFromCodePage(c.input, c.codePage)),
                  codePoints(QString::fromUtf8(c.expectedUtf8)))
            << c.codePage << " " << c.input.toHex().toStdString();
}

TEST(CodePage, UnencodableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(encodeToCodePage(QString::fromUtf8("Д€x"), 1252), bytes({'?', 0x80, 'x'}));
    EXPECT_EQ(encodeToCodePage(QString::fromUtf8("a€b"), 28595), "a?b");
    // A surrogate pair is one character and one "?".
    EXPECT_EQ(encodeToCodePage(QString::fromUtf8("Я😀"), 1251), bytes({0xDF, '?'}));
    QString lone = "a";
    lone.append(QChar(0xD800));
    EXPECT_EQ(encodeToCodePage(lone, 1251), "a?");
    EXPECT_EQ(encodeToCodePage(lone + "b", 1251), "a?b");
    EXPECT_EQ(encodeToCodePage(lone, 1200), bytes({0x00, 'a', 0x00, '?'}));
    // A stateful page shifts back to ASCII for the "?" and ends in ASCII.
    EXPECT_EQ(encodeToCodePage(QString::fromUtf8("東😀京"), 50220),
              iconvCommand(QString::fromUtf8("東?京"), "ISO-2022-JP"));
}

TEST(CodePage, UnknownPagesAreLatin1AndSaySo) {
    bool supported = true;
    EXPECT_EQ(decodeFromCodePage(bytes({0xC4, 'a'}), 12345, &supported), QString::fromUtf8("Äa"));
    EXPECT_FALSE(supported);
    supported = true;
    EXPECT_EQ(encodeToCodePage(QString::fromUtf8("ÄД"), 28602, &supported), bytes({0xC4, '?'}));
    EXPECT_FALSE(supported);

    for (int page : {0, 65001, 1200, 1201, 874, 932, 936, 949, 950, 1250, 1255, 1258, 20127, 28591, 28599,
                     28603, 28605, 50220})
        EXPECT_TRUE(isSupportedCodePage(page)) << page;
    for (int page : {-1, 1, 437, 1249, 1259, 28602, 28606, 65000, 1000000})
        EXPECT_FALSE(isSupportedCodePage(page)) << page;
}

TEST(CodePage, SystemAnsiPageFollowsTheLocaleLanguage) {
    struct Case {
        const char* locale;
        int codePage;
    } cases[] = {
        {"C", 1252},     {"en_US", 1252},      {"de_DE", 1252}, {"ru_RU", 1251}, {"uk_UA", 1251},
        {"sr_RS", 1251}, {"sr_Latn_RS", 1250}, {"pl_PL", 1250}, {"el_GR", 1253}, {"tr_TR", 1254},
        {"he_IL", 1255}, {"ar_EG", 1256},      {"lt_LT", 1257}, {"vi_VN", 1258}, {"th_TH", 874},
        {"ja_JP", 932},  {"zh_CN", 936},       {"ko_KR", 949},  {"zh_TW", 950},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ansiCodePageForLocale(QLocale(c.locale)), c.codePage) << c.locale;
    EXPECT_EQ(decodeFromCodePage(bytes({0xC0}), 0), decodeFromCodePage(bytes({0xC0}), systemAnsiCodePage()));
}

TEST(CodePage, LongInputAndStatefulFlush) {
    // Output buffers grow; a 1255 base letter held back for a following point is still written.
    QByteArray longInput(100000, char(0xC4));
    EXPECT_EQ(decodeFromCodePage(longInput, 1251), QString(100000, QChar(0x0414)));
    EXPECT_EQ(codePoints(decodeFromCodePage(bytes({'a', 0xF2}), 1255)), "0061 05E2");
    const QString kanji = QString::fromUtf8("東").repeated(50000);
    EXPECT_EQ(decodeFromCodePage(encodeToCodePage(kanji, 50220), 50220), kanji);
}

TEST(CodePage, ThreadsConvertIndependently) {
    // Each thread keeps its own converters; shared ones would mix shift states and buffers.
    struct Pair {
        int codePage;
        QString text;
        QByteArray encoded;
    };
    std::vector<Pair> pairs;
    for (const Sample& sample : kSamples) {
        const QString text = QString::fromUtf8(sample.utf8);
        pairs.push_back({sample.codePage, text, encodeToCodePage(text, sample.codePage)});
    }
    constexpr int kThreads = 8;
    constexpr int kIterations = 10000 / kThreads;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&pairs, &failures, t] {
            for (int i = 0; i < kIterations; ++i) {
                const Pair& pair = pairs[size_t(i * 7 + t) % pairs.size()];
                if (decodeFromCodePage(pair.encoded, pair.codePage) != pair.text) ++failures;
                if (encodeToCodePage(pair.text, pair.codePage) != pair.encoded) ++failures;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}
