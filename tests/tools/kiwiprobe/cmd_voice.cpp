// kiwiprobe voice / voice-me: what the voice readers see, and WAVE files of their phrases and voices.
#include <cstdio>

#include "ProbeCommand.h"
#include "ProbeOutput.h"
#include "ProbeText.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/voice/VoiceManager.h"
#include "kiwi/voice/VoiceMe1Manager.h"

namespace {

// Walks languages, records and each record's tables in order; table N is the N-th visited.
int voiceCommand(const probe::Args& args) {
    const auto& files = args.words();
    if (!probe::oneArgument(files, "voice: give VOICEDAT.KWI")) return 2;
    if (!probe::mountImageOption(args, "voice")) return probe::kImageNotMounted;
    const long long base = args.number("--base", 0, 0);
    const bool one = args.has("--table");
    const long long wanted = one ? args.number("--table", 0, 0) : -1;
    const std::string wav = args.value("--wav");

    TLN_VoiceManager reader(files[0]);
    TLN_VoiceManager based(reader.SharedStream(), base);
    const TLN_VoiceManager& voice = base ? based : reader;
    if (!one)
        std::printf("voice %s valid %d header-words %u languages %d\n", fileNamePart(files[0]).c_str(),
                    voice.IsValid(), voice.HeaderWordSize(), voice.LanguageCount());
    long long index = 0;
    for (int l = 0; l < voice.AvailableLanguageCount(); ++l) {
        TLN_Voice_Language language;
        voice.ReadLanguage(l, language);
        if (!one)
            std::printf("language %d at %lld records %u truncated %d\n", l, (long long)language.Position,
                        language.RecordCount, language.Truncated);
        for (size_t r = 0; r < language.Records.size(); ++r) {
            const TLN_Voice_Offset_Management_Record& record = language.Records[r];
            if (!one)
                std::printf(
                    "record %zu at %lld lat %d lon %d floor %u date 0x%04X usage 0x%04X speaker 0x%02X "
                    "method 0x%02X voices %u table %lld words %u\n",
                    r, (long long)record.Position, record.Maker.Y, record.Maker.X, record.Maker.ByteValue,
                    record.Maker.WordValue, record.UsageIdentification, record.SpeakerCode,
                    record.ReproductionMethod, record.NumberOfVoices, (long long)record.TablePosition,
                    record.TableWordSize);
            int64_t position = record.TablePosition;
            for (int t = 0; t < record.NumberOfVoices && position >= 0; ++t, ++index) {
                TLN_Voice_Offset_Table table;
                if (!voice.ReadOffsetTable(table, position)) break;
                if (!one || index == wanted) {
                    bool truncated = false;
                    const size_t samples = voice.DecodePhrases(position, &truncated).size();
                    std::printf("table %lld at %lld id %s phrases %u samples %zu truncated %d\n", index,
                                (long long)position, probe::quoted(table.VoiceDataIdText).c_str(),
                                table.PhraseCount, samples, truncated);
                    for (size_t p = 0; p < table.Phrases.size(); ++p)
                        std::printf("phrase %zu at %lld words %u\n", p, (long long)table.Phrases[p].Position,
                                    table.Phrases[p].WordSize);
                }
                if (index == wanted) {
                    const std::vector<uint8_t> image =
                        wav.empty() ? std::vector<uint8_t>() : voice.BuildPhrasesWave(position);
                    return wav.empty() || probe::writeOutput("voice", wav, image.data(), image.size(), args)
                               ? 0
                               : 1;
                }
                position = voice.GetNextTableOffset(position);
            }
        }
    }
    if (one) {
        std::fprintf(stderr, "voice: no table %lld\n", wanted);
        return 1;
    }
    return 0;
}

int voiceMeCommand(const probe::Args& args) {
    const auto& files = args.words();
    if (!probe::oneArgument(files, "voice-me: give VOICE001.ME")) return 2;
    const long long base = args.number("--base", 0, 0);
    const int wantedEntry = int(args.number("--entry", 0, 0, INT_MAX));
    const int wantedVoice = int(args.number("--voice", 0, 0, INT_MAX));
    TLN_VoiceMe1Manager reader(files[0]);
    TLN_VoiceMe1Manager based(reader.SharedStream(), base);
    const TLN_VoiceMe1Manager& voice = base ? based : reader;
    const std::string wav = args.value("--wav");
    if (wav.empty() && (args.has("--entry") || args.has("--voice")))
        throw probe::UsageError("--entry and --voice choose the voice --wav writes: give --wav OUT");
    if (!wav.empty()) {
        const std::vector<uint8_t> image = voice.BuildVoiceWave(wantedEntry, wantedVoice);
        if (image.empty()) {
            std::fprintf(stderr, "voice-me: no voice %d/%d\n", wantedEntry, wantedVoice);
            return 1;
        }
        return probe::writeOutput("voice-me", wav, image.data(), image.size(), args) ? 0 : 1;
    }
    std::printf("voice-me %s valid %d header-words %u entries %d truncated %d\n",
                fileNamePart(files[0]).c_str(), voice.IsValid(), voice.HeaderWordSize(), voice.EntryCount(),
                voice.EntriesTruncated());
    for (int e = 0; e < voice.EntryCount(); ++e) {
        TLN_VoiceMe1_Entry entry;
        voice.ReadEntry(e, entry);
        std::printf("entry %d at %lld language 0x%02X voice 0x%02X", e, (long long)entry.Position,
                    entry.LanguageId, entry.VoiceId);
        for (const TLN_VoiceMe1_Table& table : entry.Tables)
            std::printf(" table %lld words %u", (long long)table.Position, table.WordSize);
        std::printf(" voices %d\n", voice.GetVoiceCount(e));
        for (int v = 0; v < voice.GetVoiceCount(e); ++v) {
            TLN_VoiceMe1_Voice_Header header;
            voice.ReadVoiceHeader(e, v, header);
            bool truncated = false;
            const size_t samples = voice.DecodeVoiceSamples(e, v, &truncated).size();
            std::printf(
                "voice %d at %lld language 0x%04X id 0x%08X data %lld words %u method 0x%02X channels %u "
                "rate %u samples %zu truncated %d\n",
                v, (long long)header.Position, header.LanguageId, header.VoiceDataId,
                (long long)header.DataPosition, header.DataWordSize, header.ReproductionMethod,
                header.Channels, header.SampleRate, samples, truncated);
        }
    }
    return 0;
}

probe::Register voiceReg("voice", "VOICEDAT.KWI [--base B] [--table N [--wav OUT]] [--image IMAGE]",
                         "The voice part's languages, records and tables; --wav writes table N as WAVE.",
                         voiceCommand);
probe::Register voiceMeReg("voice-me", "VOICE001.ME [--base B] [--entry E --voice V --wav OUT]",
                           "The entries of a .ME voice file; --wav writes one voice as WAVE.",
                           voiceMeCommand);
} // namespace
