// Which route guidance frames the name writer rewrites: only a header of exactly the guidance data and
// string frame references (32 bytes), and under translation alone only the dictionary's area taken from
// the header; every other frame comes out byte for byte.
#include <gtest/gtest.h>

#include <algorithm>

#include "converter/names/NameParcelWriter.h"
#include "kiwi/frames/StringFrame.h"
#include "kiwi/io/MemoryStream.h"
#include "platform/CodePage.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/converter/ParcelNameWalk.h"

namespace {

// One generated route guidance frame and where its character string frame lies inside it.
struct GuidanceSample {
    uint8_t level = 0;
    std::vector<uint8_t> bytes;
    int64_t stringsAt = 0;
    int64_t stringsSize = 0;
};

GuidanceSample firstGuidanceFrame(TLN_KiwiMap& map) {
    GuidanceSample sample;
    namewalk::eachParcel(map, map, [&](uint8_t level, const auto& parcel, const auto&) {
        if (!sample.bytes.empty()) return;
        const auto frames = LoadParcelFrames(map, level, parcel);
        if (!frames || !frames->HasRouteGuidance || !frames->Strings.IsValid()) return;
        const TLN_FrameSpan& guidance = frames->RouteGuidance;
        sample.level = level;
        sample.bytes.resize(size_t(guidance.Size()));
        frames->Stream->ReadAt(guidance.Position(), sample.bytes.data(), guidance.Size());
        sample.stringsAt = frames->Strings.Position() - guidance.Position();
        sample.stringsSize = frames->Strings.Size();
    });
    return sample;
}

// The display texts of a frame's character strings, their padding 00 bytes dropped.
std::vector<QString> displayTexts(const GuidanceSample& sample, const std::vector<uint8_t>& bytes) {
    const TLN_FrameSpan strings =
        TLN_FrameSpan::FromBytes(bytes, 0).Sub(sample.stringsAt, sample.stringsSize);
    TLN_Character_String_Data_Frame frame;
    EXPECT_TRUE(ReadCharacterString(strings, frame, true, {65001, 0}));
    std::vector<QString> texts;
    for (const auto& item : frame.Items)
        for (const auto& record : item.Records) {
            QString text = record.Display.text;
            while (text.endsWith(QChar(0)))
                text.chop(1);
            texts.push_back(text);
        }
    return texts;
}

} // namespace

TEST(GuidanceStringsGate, OnlyTheTwoReferenceHeaderInTheDictionaryAreaIsRewritten) {
    const auto f = convtest::makeSource("names-guidance-gate", fixture::framesAllDataPlan(false));
    TLN_KiwiMap map(f.allData);
    const GuidanceSample sample = firstGuidanceFrame(map);
    ASSERT_FALSE(sample.bytes.empty());
    ASSERT_EQ(sample.bytes.size() % 32, 0u);
    ASSERT_EQ(sample.bytes[0] << 8 | sample.bytes[1], 16) << "the generated header holds two references";
    const std::vector<QString> before = displayTexts(sample, sample.bytes);
    ASSERT_NE(std::find(before.begin(), before.end(), QString::fromUtf8("Кольцо")), before.end());

    LatRusDictionary dictionary;
    const QByteArray ring = encodeToCodePage(QString::fromUtf8("Кольцо"), 1251);
    dictionary.AddPair(std::string(ring.constData(), size_t(ring.size())), "Ring");
    struct Case {
        const char* what;
        bool utf;
        uint16_t headerWords;
        uint8_t frameArea, dictionaryArea;
        bool rewritten;
    };
    const Case cases[] = {
        {"UTF-8 conversion, 32-byte header", true, 16, 0x2B, 0x2C, true},
        {"UTF-8 conversion, 34-byte header", true, 17, 0x2B, 0x2B, false},
        {"UTF-8 conversion, header of 32 words", true, 32, 0x2B, 0x2B, false},
        {"translation in the dictionary's area", false, 16, 0x2B, 0x2B, true},
        {"translation outside the dictionary's area", false, 16, 0x2B, 0x2C, false},
        {"translation with another header size", false, 17, 0x2B, 0x2B, false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> source = sample.bytes;
        source[0] = uint8_t(c.headerWords >> 8);
        source[1] = uint8_t(c.headerWords);
        // The area code: the first byte of the Practical Management Code.
        source[14] = c.frameArea;
        dictionary.areaCode = c.dictionaryArea;
        NameOptions options;
        options.translate = !c.utf;
        options.utfToAnsi = c.utf;
        options.textCodePage = 65001;
        NameParcelWriter writer(map, NameTextPolicy(options, &dictionary), {});
        writer.BeginLevel(sample.level);
        TLN_MemoryStream out;
        const SourceFrame frame{std::make_shared<TLN_MemoryStream>(source), 0, uint32_t(source.size())};
        ASSERT_EQ(writer.WriteGuidanceFrame(frame, out, 0), source.size()) << c.what;
        const std::vector<uint8_t> written = out.Bytes();
        ASSERT_EQ(written.size(), source.size()) << c.what;
        if (!c.rewritten) {
            EXPECT_EQ(written, source) << c.what;
            continue;
        }
        EXPECT_NE(written, source) << c.what;
        // Only the string frame changes.
        EXPECT_TRUE(std::equal(source.begin(), source.begin() + sample.stringsAt, written.begin())) << c.what;
        const auto after = sample.stringsAt + sample.stringsSize;
        EXPECT_TRUE(std::equal(source.begin() + after, source.end(), written.begin() + after)) << c.what;
        if (!c.utf) {
            const std::vector<QString> now = displayTexts(sample, written);
            EXPECT_NE(std::find(now.begin(), now.end(), QString("Ring")), now.end()) << c.what;
        }
    }
}
