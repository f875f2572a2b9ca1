// Builds VOICEDAT.KWI and VOICE001.ME images byte by byte from their layouts.
#include "support/VoiceFixtures.h"

#include "support/AdpcmEncoder.h"
#include "support/FixtureWriter.h"

namespace fixture {
namespace {
struct PhrasePlan {
    std::vector<int16_t> wave;
    size_t remainder = 0; // bytes after the whole groups, which readers ignore
    std::vector<ForcedUnit> forced;
};
struct TablePlan {
    std::string id;
    std::vector<PhrasePlan> phrases;
};
using RecordPlan = std::vector<TablePlan>;

std::vector<int16_t> stereoWave(size_t frames) {
    const std::vector<int16_t> left = sineWave(frames, 300, 11025, 7000);
    const std::vector<int16_t> right = sineWave(frames, 600, 11025, 5000);
    std::vector<int16_t> wave;
    for (size_t i = 0; i < frames; ++i) {
        wave.push_back(left[i]);
        wave.push_back(right[i]);
    }
    return wave;
}
} // namespace

VoiceDatFixture buildVoiceDat(uint64_t base) {
    const std::vector<std::vector<RecordPlan>> languages = {
        {
            {{"VA01",
              {{sineWave(448, 440, 18900, 8000), 44, {}}, {sineWave(224, 1000, 18900, 12000), 100, {}}}},
             {"VA02", {{sineWave(672, 300, 18900, 20000), 0, {}}}}},
            {{"VB01", {{sineWave(224, 2000, 18900, 4000), 2, {}}}}},
        },
        {
            {{"VC01", {{sineWave(448, 700, 18900, 10000), 0, {{0, 3, 1, 13}}}}}},
        },
    };

    VoiceDatFixture fixture;
    fixture.base = base;
    ByteWriter w;
    w.fill(base, 0xEE);
    const auto words = [&](size_t position) { return uint32_t((position - base) / 2); };

    w.u32(0).u16(uint32_t(languages.size()));
    std::vector<std::vector<size_t>> recordAt(languages.size());
    for (size_t l = 0; l < languages.size(); ++l) {
        fixture.recordsPerLanguage.push_back(int(languages[l].size()));
        w.u16(uint32_t(languages[l].size()));
        for (size_t r = 0; r < languages[l].size(); ++r) {
            recordAt[l].push_back(w.size());
            // Point record (latitude, longitude, floor, date), usage, speaker, method, voice count.
            w.coordinate(1005219).coordinate(3947658).u8(3).u8(0).u16(0x2005);
            w.u16(0x0001).u8(0x10 + uint8_t(r)).u8(0x01).u16(uint32_t(languages[l][r].size()));
            w.u32(0).u32(0); // table offset and size, patched below
        }
    }
    w.patchU32(base, words(w.size()));

    struct PhraseSlot {
        size_t entryAt;
        const PhrasePlan* plan;
        VoiceDatTableManifest* table;
    };
    std::vector<PhraseSlot> slots;
    fixture.tables.reserve(8);
    for (size_t l = 0; l < languages.size(); ++l)
        for (size_t r = 0; r < languages[l].size(); ++r) {
            const size_t tablesStart = w.size();
            for (size_t t = 0; t < languages[l][r].size(); ++t) {
                const TablePlan& plan = languages[l][r][t];
                VoiceDatTableManifest manifest;
                manifest.language = int(l);
                manifest.record = int(r);
                manifest.table = int(t);
                manifest.position = w.size();
                manifest.id = plan.id;
                fixture.tables.push_back(manifest);
                w.fixedText(plan.id, 4).u16(uint32_t(plan.phrases.size()));
                for (const PhrasePlan& phrase : plan.phrases) {
                    slots.push_back({w.size(), &phrase, nullptr});
                    w.u32(0).u16(0);
                }
            }
            w.patchU32(recordAt[l][r] + 18, words(tablesStart));
            w.patchU32(recordAt[l][r] + 22, uint32_t((w.size() - tablesStart) / 2));
        }
    // Tie each phrase slot to its table manifest, in the order both were written.
    size_t slot = 0;
    for (size_t l = 0, m = 0; l < languages.size(); ++l)
        for (size_t r = 0; r < languages[l].size(); ++r)
            for (size_t t = 0; t < languages[l][r].size(); ++t, ++m)
                for (size_t p = 0; p < languages[l][r][t].phrases.size(); ++p)
                    slots[slot++].table = &fixture.tables[m];

    for (const PhraseSlot& s : slots) {
        const EncodedAdpcm encoded = encodeCdiGroups(s.plan->wave, s.plan->forced);
        const size_t at = w.size();
        w.raw(encoded.bytes).fill(s.plan->remainder, 0x5A);
        const uint32_t bytes = uint32_t(w.size() - at);
        w.patchU32(s.entryAt, words(at));
        w.patchU16(s.entryAt + 4, bytes / 2);
        s.table->phraseBytes.push_back(bytes);
        s.table->samples.insert(s.table->samples.end(), encoded.decoded.begin(), encoded.decoded.end());
    }
    fixture.bytes = w.take();
    return fixture;
}

VoiceMeFixture buildVoiceMe(uint64_t base) {
    struct VoicePlan {
        std::vector<int16_t> wave;
        uint8_t channels;
        uint16_t rate;
        size_t remainder;
        std::vector<ForcedUnit> forced;
    };
    const std::vector<std::vector<VoicePlan>> entries = {
        {{sineWave(150, 500, 22050, 9000), 1, 22050, 0, {}}, {stereoWave(60), 2, 11025, 0, {}}},
        {{sineWave(90, 250, 8000, 6000), 1, 8000, 6, {{1, 0, 2, 14}}}},
    };

    VoiceMeFixture fixture;
    fixture.base = base;
    ByteWriter w;
    w.fill(base, 0xEE);
    const auto words = [&](size_t position, size_t from) { return uint32_t((position - from) / 2); };

    w.u16(uint32_t((2 + 64 * entries.size()) / 2));
    std::vector<size_t> entryAt;
    for (size_t e = 0; e < entries.size(); ++e) {
        entryAt.push_back(w.size());
        fixture.languageIds.push_back(uint8_t(e + 1));
        fixture.voicesPerEntry.push_back(int(entries[e].size()));
        w.u8(uint32_t(e + 1)).u8(uint32_t(0x20 + e));
        for (int t = 0; t < 4; ++t)
            w.u32(0).u32(0);
        w.fill(64 - 34);
    }
    for (size_t e = 0; e < entries.size(); ++e) {
        // Table 0: the voice records.
        const size_t recordsAt = w.size();
        w.u16(uint32_t(entries[e].size()));
        std::vector<size_t> voiceAt;
        for (size_t v = 0; v < entries[e].size(); ++v) {
            voiceAt.push_back(w.size());
            w.u16(uint32_t(e + 1)).u32(0x1000 + uint32_t(v)).u32(0).u32(0);
            w.u8(0x02).u8(entries[e][v].channels).u16(entries[e][v].rate);
        }
        // Tables 1 and 2 are not used by the reader: a little filler for each.
        const size_t table1 = w.size();
        w.fill(8, 0x11);
        const size_t table2 = w.size();
        w.fill(8, 0x22);
        // Table 3: the voice data.
        const size_t dataAt = w.size();
        for (size_t v = 0; v < entries[e].size(); ++v) {
            const VoicePlan& plan = entries[e][v];
            const EncodedAdpcm encoded = encodeMeBlocks(plan.wave, plan.forced);
            const size_t at = w.size();
            w.raw(encoded.bytes).fill(plan.remainder, 0x5A);
            const uint32_t bytes = uint32_t(w.size() - at);
            w.patchU32(voiceAt[v] + 6, words(at, dataAt));
            w.patchU32(voiceAt[v] + 10, bytes / 2);
            VoiceMeManifest manifest;
            manifest.entry = int(e);
            manifest.voice = int(v);
            manifest.dataPosition = at;
            manifest.dataBytes = bytes;
            manifest.channels = plan.channels;
            manifest.sampleRate = plan.rate;
            manifest.samples = encoded.decoded;
            fixture.voices.push_back(manifest);
        }
        const size_t end = w.size();
        const size_t starts[4] = {recordsAt, table1, table2, dataAt};
        const size_t ends[4] = {table1, table2, dataAt, end};
        for (int t = 0; t < 4; ++t) {
            w.patchU32(entryAt[e] + 2 + 8 * size_t(t), words(starts[t], base));
            w.patchU32(entryAt[e] + 6 + 8 * size_t(t), uint32_t((ends[t] - starts[t]) / 2));
        }
    }
    fixture.bytes = w.take();
    return fixture;
}

} // namespace fixture

namespace fixture {

WaveHeader readWaveHeader(const std::vector<uint8_t>& image) {
    WaveHeader h;
    if (image.size() < 46) return h;
    const auto le = [&](size_t at, int bytes) {
        uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = v << 8 | image[at + size_t(i)];
        return v;
    };
    const auto tag = [&](size_t at) {
        return std::string(image.begin() + long(at), image.begin() + long(at) + 4);
    };
    h.riff = tag(0);
    h.riffSize = le(4, 4);
    h.wave = tag(8);
    h.fmt = tag(12);
    h.fmtSize = le(16, 4);
    h.format = uint16_t(le(20, 2));
    h.channels = uint16_t(le(22, 2));
    h.sampleRate = le(24, 4);
    h.byteRate = le(28, 4);
    h.blockAlign = uint16_t(le(32, 2));
    h.bitsPerSample = uint16_t(le(34, 2));
    h.extraSize = uint16_t(le(36, 2));
    h.data = tag(38);
    h.dataSize = le(42, 4);
    for (size_t at = 46; at + 2 <= image.size() && at < 46 + size_t(h.dataSize); at += 2)
        h.samples.push_back(int16_t(le(at, 2)));
    return h;
}

} // namespace fixture
