// Seeded mutation test of the LOADING, COVERAGE and voice readers: random byte changes and cuts of the
// generated fixtures, each read fully; the readers must neither crash nor hang.
#include <gtest/gtest.h>

#include <random>

#include "kiwi/io/MemoryStream.h"
#include "kiwi/parts/Coverage.h"
#include "kiwi/parts/Loading.h"
#include "kiwi/voice/VoiceManager.h"
#include "kiwi/voice/VoiceMe1Manager.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/LoadingFixtures.h"
#include "support/fixtures/VoiceFixtures.h"

namespace {
std::vector<uint8_t> mutate(std::vector<uint8_t> bytes, std::mt19937& random) {
    const int changes = 1 + int(random() % 8);
    for (int i = 0; i < changes && !bytes.empty(); ++i) {
        const size_t at = random() % bytes.size();
        switch (random() % 4) {
        case 0:
            bytes[at] = 0xFF;
            break;
        case 1:
            bytes[at] = 0x00;
            break;
        default:
            bytes[at] = uint8_t(random());
            break;
        }
    }
    if (random() % 8 == 0) bytes.resize(random() % (bytes.size() + 1));
    return bytes;
}

std::shared_ptr<TLN_MemoryStream> memory(std::vector<uint8_t> bytes) {
    return std::make_shared<TLN_MemoryStream>(std::move(bytes));
}

void readLoadingFully(const TLN_Loading& loading) {
    TLN_Unit_Identification id;
    for (const auto& system : loading.Systems())
        for (const auto& unit : system.Units)
            for (const auto& file : unit.Files)
                loading.ReadIdentification(file.Position, id);
}

size_t readVoiceFully(const TLN_VoiceManager& reader) {
    size_t samples = 0;
    for (int l = 0; l < reader.AvailableLanguageCount(); ++l) {
        TLN_Voice_Language language;
        if (!reader.ReadLanguage(l, language)) continue;
        for (const auto& record : language.Records) {
            int64_t table = record.TablePosition;
            // The record's tables follow one another; a mutated voice count may claim thousands.
            for (int t = 0; t < std::min<int>(record.NumberOfVoices, 8) && table >= 0; ++t) {
                samples += reader.BuildPhrasesWave(table).size();
                table = reader.GetNextTableOffset(table);
            }
        }
    }
    return samples;
}

size_t readVoiceMeFully(const TLN_VoiceMe1Manager& reader) {
    size_t bytes = 0;
    for (int e = 0; e < reader.EntryCount(); ++e)
        for (int v = 0; v < std::min(reader.GetVoiceCount(e), 16); ++v)
            bytes += reader.BuildVoiceWave(e, v).size();
    return bytes;
}
} // namespace

TEST(VoiceLoadingMutation, ReadersSurviveMutatedFiles) {
    std::mt19937 random(20240607);
    const std::vector<uint8_t> loading = fixture::buildLoading().bytes;
    const std::vector<uint8_t> voice = fixture::buildVoiceDat(64).bytes;
    const std::vector<uint8_t> voiceMe = fixture::buildVoiceMe(32).bytes;
    size_t validLoading = 0, voiceBytes = 0, voiceMeBytes = 0;
    for (int round = 0; round < 1000; ++round) {
        SCOPED_TRACE(round);
        const std::vector<uint8_t> loadingBytes = mutate(loading, random);
        const TLN_Loading loadingReader(memory(loadingBytes));
        readLoadingFully(loadingReader);
        validLoading += loadingReader.IsValid();
        size_t units = 0;
        for (const auto& system : loadingReader.Systems())
            units += system.Units.size();
        EXPECT_LE(loadingReader.Systems().size() + units, loadingBytes.size());
        const std::vector<uint8_t> voiceBytesIn = mutate(voice, random);
        const TLN_VoiceManager voiceReader(memory(voiceBytesIn), 64);
        EXPECT_LE(size_t(voiceReader.AvailableLanguageCount()), voiceBytesIn.size());
        voiceBytes += readVoiceFully(voiceReader);
        const std::vector<uint8_t> voiceMeIn = mutate(voiceMe, random);
        const TLN_VoiceMe1Manager voiceMeReader(memory(voiceMeIn), 32);
        EXPECT_LE(size_t(voiceMeReader.EntryCount()), voiceMeIn.size());
        voiceMeBytes += readVoiceMeFully(voiceMeReader);
    }
    // Most mutations leave something to read, so the walk goes deep.
    EXPECT_GT(validLoading, 300u);
    EXPECT_GT(voiceBytes, 0u);
    EXPECT_GT(voiceMeBytes, 0u);
}

TEST(VoiceLoadingMutation, CoverageSurvivesMutatedFiles) {
    std::mt19937 random(7);
    const std::string folder = fixture::scratchDir("coverage-mutation");
    const std::vector<uint8_t> list = fixture::buildCoverage({{1, "A.BMP"}, {2, "../B.BMP"}, {3, "C.BMP"}});
    const std::vector<uint8_t> bmp = fixture::buildBmp(4, 4, fixture::coveragePictureColour);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        fixture::writeFile(folder + "/COVERAGE.BIN", mutate(list, random));
        fixture::writeFile(folder + "/A.BMP", mutate(bmp, random));
        const TLN_Coverage coverage(folder + "/COVERAGE.BIN");
        for (int i = 0; i < coverage.Count(); ++i) {
            QImage picture;
            coverage.LoadPicture(coverage.GetItem(i).Name, picture);
        }
    }
}
