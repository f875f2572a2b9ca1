// The voice records, row by row, and the sound of a voice record handed to the host to play.
#include "mainwindow/model/views/VoiceViews.h"

#include "kiwi/voice/VoiceManager.h"
#include "kiwi/voice/VoiceMe1Manager.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/views/PartViewSupport.h"

using partview::Address;
using partview::Count;
using partview::Frame;
using partview::Hex32;

namespace {

constexpr int kVoicePart = 106;
constexpr int kVoiceMePart = 133;
constexpr int kVoiceMeRoot = 1100;
constexpr int kOffsetTable = 202;
constexpr int kVoiceMeRecord = 1120;
// The management header records of the ALLDATA "Voice" and "VOICE001" parts.
constexpr int kVoiceHeaderIndex = 6;
constexpr int kVoiceMeHeaderIndex = 33;

QString s(const char* text) {
    return QString::fromUtf8(text);
}

std::shared_ptr<TLN_VoiceManager> voiceOf(const KindContext& context, const RecordNode& node) {
    if (auto held = node.held.Shared<TLN_VoiceManager>()) return held;
    return context.data.voice;
}

std::shared_ptr<TLN_VoiceMe1Manager> voiceMeOf(const KindContext& context, const RecordNode& node) {
    if (auto held = node.held.Shared<TLN_VoiceMe1Manager>()) return held;
    return context.data.voice001;
}

bool languageOf(const TLN_VoiceManager& reader, int64_t i, TLN_Voice_Language& out) {
    return i >= 0 && i < reader.AvailableLanguageCount() && reader.ReadLanguage(int(i), out);
}

// The VOICE001 entry and voice of a voice record node (its parent is the entry's language node).
bool voiceMeIndices(const RecordNode& node, int& entry, int& voice) {
    if (!node.parent || node.parent->index < 0 || node.parent->index > 0xFFFF || node.index < 0 ||
        node.index > 0xFFFF)
        return false;
    entry = int(node.parent->index);
    voice = int(node.index);
    return true;
}

// Plays the wave image when it has one and offers the play button for the node.
void play(KindContext& context, const RecordNode& node, std::vector<uint8_t> wave) {
    if (wave.empty()) return;
    context.host.PlaySound(std::move(wave));
    context.host.ShowPlayButton(PlayGeneralPurposeVoice(context, node, context.host));
}

} // namespace

std::function<void()> PlayGeneralPurposeVoice(const KindContext& context, const RecordNode& node,
                                              ViewHost& host) {
    if (node.kind == kOffsetTable) {
        const std::weak_ptr<TLN_VoiceManager> reader = voiceOf(context, node);
        if (reader.expired()) return {};
        const int64_t table = node.recordOffset;
        return [reader, table, &host] {
            if (const auto voice = reader.lock()) {
                std::vector<uint8_t> wave = voice->BuildPhrasesWave(table);
                if (!wave.empty()) host.PlaySound(std::move(wave));
            }
        };
    }
    int entry = 0, voice = 0;
    if (node.kind == kVoiceMeRecord && voiceMeIndices(node, entry, voice)) {
        const std::weak_ptr<TLN_VoiceMe1Manager> reader = voiceMeOf(context, node);
        if (reader.expired()) return {};
        return [reader, entry, voice, &host] {
            if (const auto voices = reader.lock()) {
                std::vector<uint8_t> wave = voices->BuildVoiceWave(entry, voice);
                if (!wave.empty()) host.PlaySound(std::move(wave));
            }
        };
    }
    return {};
}

void ShowVoiceDistributionHeader(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const bool voiceMe = node.kind == kVoiceMePart || node.kind == kVoiceMeRoot;
    if (node.kind == kVoicePart)
        partview::ManagementHeader(context, node, kVoiceHeaderIndex, HelpDocument::VoiceData);
    if (node.kind == kVoiceMePart)
        partview::ManagementHeader(context, node, kVoiceMeHeaderIndex, HelpDocument::DataVolume);
    if (voiceMe) {
        // VOICE001 names its header in a plain row.
        grid.AddTextRow(s("Voice Distribution Header"), {});
        grid.AddEmptyRow();
        const auto reader = voiceMeOf(context, node);
        if (!reader || !reader->IsValid()) {
            if (node.kind != kVoiceMePart) partview::ErrorRow(grid, node);
            if (reader) partview::ReasonRows(grid, node, reader->ErrorReason());
            return;
        }
        Hex32(grid, s("Voice Distribution Header Size"), reader->HeaderWordSize());
        Count(grid, s("Number of General-purpose Voice Languages"), reader->EntryCount());
        return;
    }
    grid.AddSectionHeader(s("Voice Distribution Header"));
    if (node.kind != kVoicePart) partview::Help(grid, HelpDocument::VoiceData);
    const auto reader = voiceOf(context, node);
    if (!reader || !reader->IsValid()) {
        if (node.kind != kVoicePart) partview::ErrorRow(grid, node);
        return;
    }
    Hex32(grid, s("Voice Distribution Header Size"), reader->HeaderWordSize());
    Count(grid, s("Number of General-purpose Voice Languages"), reader->LanguageCount());
}

void ShowVoiceOffsetManagementTable(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(s("General-purpose Voice Offset Management Table"));
    partview::Help(grid, HelpDocument::VoiceData);
    const auto reader = voiceOf(context, node);
    TLN_Voice_Language language;
    if (!reader || !languageOf(*reader, node.index, language)) return;
    grid.AddWordRow(s("Number of General-purpose Voice Offset Management Records"), {}, language.RecordCount);
    partview::ErrorRow(grid, node);
}

void ShowVoiceOffsetManagementRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(s("General-purpose Voice Offset Management Record"));
    partview::Help(grid, HelpDocument::VoiceData);
    const auto reader = voiceOf(context, node);
    TLN_Voice_Language language;
    if (!reader || !node.parent || !languageOf(*reader, node.parent->index, language) || node.index < 0 ||
        size_t(node.index) >= language.Records.size())
        return;
    const TLN_Voice_Offset_Management_Record& record = language.Records[size_t(node.index)];
    const TLN_PointRecord& maker = record.Maker;
    grid.AddLatLonRow(s("Manufacturer Identification "), true, TLN_Point{maker.X, maker.Y});
    grid.AddWordRow(s("Manufacturer Identification (Floor)"), {}, maker.ByteValue);
    grid.AddDateRow(s("Manufacturer Identification (Date)"), {}, maker.WordValue);
    // No code of the usage or the reproduction method is named by the format's documents at hand.
    grid.AddWordHexRow(s("Usage Identification"), {}, record.UsageIdentification);
    grid.AddByteRow(s("Speaker Code"), {}, record.SpeakerCode);
    grid.AddByteRow(s("Reproduction Method Identification"), {}, record.ReproductionMethod);
    grid.AddWordRow(s("Number of Voices"), {}, record.NumberOfVoices);
    Frame(grid, s("Offset to the General-purpose Voice Offset Table"),
          s("General-purpose Voice Offset Table Size"), record.TablePosition, record.TableWordSize);
    partview::ErrorRow(grid, node);
}

void ShowVoiceOffsetTable(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const auto reader = voiceOf(context, node);
    TLN_Voice_Offset_Table table;
    const bool read = reader && reader->ReadOffsetTable(table, node.recordOffset);
    grid.AddSectionHeaderAt(s("General-purpose Voice Offset Table"), {}, node.recordOffset);
    partview::Help(grid, HelpDocument::VoiceData);
    partview::ErrorRow(grid, node);
    if (!read) return;
    grid.AddTextRow(s("Voice Data ID"), QString::fromLatin1(table.VoiceDataIdText.data(),
                                                            qsizetype(table.VoiceDataIdText.size())));
    grid.AddWordRow(s("Number of Composition Phrases"), {}, table.PhraseCount);
    grid.AddSectionHeader(s("A Sequence of General-purpose Voice Offset Records"));
    for (const TLN_Voice_Phrase& phrase : table.Phrases) {
        Frame(grid, s("Offset to the General-purpose Voice Real Data"),
              s("General-purpose Voice Real Data Size"), phrase.Position, phrase.WordSize);
        grid.AddEmptyRow();
    }
    play(context, node, reader->BuildPhrasesWave(node.recordOffset));
}

void ShowVoiceInfo(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(s("General-purpose Voice Info"));
    const auto reader = voiceMeOf(context, node);
    TLN_VoiceMe1_Entry entry;
    if (!reader || node.index < 0 || node.index >= reader->EntryCount() ||
        !reader->ReadEntry(int(node.index), entry))
        return;
    grid.AddByteRow(s("Language ID"), {}, entry.LanguageId);
    grid.AddByteRow(s("Voice ID"), {}, entry.VoiceId);
    Frame(grid, s("Offset to the General-purpose Voice Offset Table"),
          s("General-purpose Voice Offset Table Size"), entry.Tables[0].Position, entry.Tables[0].WordSize);
    Frame(grid, s("Offset to the General-purpose Real-Voice Data Table"),
          s("General-purpose Real-Voice Data Table"), entry.Tables[3].Position, entry.Tables[3].WordSize);
    Count(grid, s("Number of General-purpose Voice Records"), reader->StoredVoiceCount(int(node.index)));
    partview::ErrorRow(grid, node);
}

void ShowVoiceOffsetRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(s("General-purpose Voice Offset Record"));
    const auto reader = voiceMeOf(context, node);
    int entry = 0, voice = 0;
    TLN_VoiceMe1_Voice_Header header;
    if (!reader || !voiceMeIndices(node, entry, voice) || !reader->ReadVoiceHeader(entry, voice, header))
        return;
    grid.AddWordHexRow(s("Voice Language ID"), {}, header.LanguageId);
    grid.AddHexDecRow(s("Voice Data ID"), {}, header.VoiceDataId);
    Frame(grid, s("Offset to the General-purpose Real-Voice Data"), s("General-purpose Real-Voice Data Size"),
          header.DataPosition, header.DataWordSize);
    grid.AddByteRow(s("Reproduction method"), {}, header.ReproductionMethod);
    grid.AddByteRow(s("Number of Channels"), {}, header.Channels);
    grid.AddWordRow(s("Bitrate"), {}, header.SampleRate);
    partview::ErrorRow(grid, node);
    play(context, node, reader->BuildVoiceWave(entry, voice));
}

void RegisterVoiceViews(NodeKinds& table) {
    for (int kind : {kVoicePart, 1060, kVoiceMePart, kVoiceMeRoot})
        table.SetView(kind, ShowVoiceDistributionHeader);
    table.SetView(200, ShowVoiceOffsetManagementTable);
    table.SetView(201, ShowVoiceOffsetManagementRecord);
    table.SetView(kOffsetTable, ShowVoiceOffsetTable);
    table.SetView(1110, ShowVoiceInfo);
    table.SetView(kVoiceMeRecord, ShowVoiceOffsetRecord);
}
