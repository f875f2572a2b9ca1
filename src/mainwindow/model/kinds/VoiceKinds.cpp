// Node kinds of the general-purpose voice data (VOICEDAT.KWI, STDVCE.KWI or the ALLDATA "Voice" part),
// of VOICE001 and of the voice command dictionary (DICVCE56.KWI or ALLDATA header 25).
#include <algorithm>

#include "kiwi/display/KiwiFormat.h"
#include "kiwi/parts/DicVceManager.h"
#include "kiwi/parts/LocalManager.h"
#include "kiwi/voice/VoiceManager.h"
#include "kiwi/voice/VoiceMe1Manager.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/kinds/FamilyBuilders.h"
#include "mainwindow/model/kinds/KindFamilies.h"
#include "mainwindow/model/views/DictionaryViews.h"
#include "mainwindow/model/views/VoiceViews.h"

namespace {

constexpr int kVoiceRoot = 1060;
constexpr int kVoicePart = 106;
constexpr int kVoiceMeRoot = 1100;
constexpr int kVoiceMePart = 133;
constexpr int kLanguage = 200;
constexpr int kItem = 201;
constexpr int kOffsetTable = 202;
constexpr int kVoiceMeLanguage = 1110;
constexpr int kVoiceMeRecord = 1120;
constexpr int kDictionaryRoot = 1250;
constexpr int kDictionaryPart = 125;
constexpr int kDictionaryLanguage = 1251;
constexpr int kDictionary = 1255;
constexpr int kGroup = 1260;
// Bytes of a VOICE001 voice record.
constexpr int64_t kVoiceMeRecordBytes = 18;
// Groups listed under a dictionary; its view says that the rest is left out.
constexpr int64_t kMaxListedGroups = 100;
// A dictionary info record: 28 bytes, then the type names (4 bytes each), then their 12-byte entries.
constexpr int64_t kDictionaryTypeNames = 28;

std::shared_ptr<TLN_VoiceManager> voiceReader(const KindContext& context, const RecordNode& node) {
    return family::ReaderOf(node, context.data.voice);
}

std::shared_ptr<TLN_VoiceMe1Manager> voiceMeReader(const KindContext& context, const RecordNode& node) {
    return family::ReaderOf(node, context.data.voice001);
}

// A language's name from the localisation data; empty without it.
QString languageName(const KindContext& context, int i) {
    const auto& local = context.data.localisation;
    if (!local || i < 0 || i >= local->LanguageCount()) return {};
    return QString::fromStdString(local->GetLanguageName(i));
}

void addVoiceLanguageNodes(KindContext& context, RecordNode& node,
                           std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = voiceReader(context, node);
    if (!reader || !reader->IsValid()) return;
    for (int i = 0; i < reader->AvailableLanguageCount(); ++i) {
        TLN_Voice_Language language;
        if (!reader->ReadLanguage(i, language)) break;
        const QString caption = family::Numbered("Language ", i) + QStringLiteral(" (") +
                                languageName(context, i) + QStringLiteral(")");
        auto child = family::Child(node, kLanguage, caption, i, language.Position, !language.Records.empty());
        child->held = reader;
        family::MarkError(*child, language.Reason);
        out.push_back(std::move(child));
    }
}

void addVoiceMeLanguageNodes(KindContext& context, RecordNode& node,
                             std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = voiceMeReader(context, node);
    if (!reader) return;
    if (!reader->IsValid()) {
        // The part of ALLDATA.KWI is listed whatever its file holds: it says why it has no languages.
        family::MarkError(node, reader->ErrorReason());
        return;
    }
    for (int i = 0; i < reader->EntryCount(); ++i) {
        TLN_VoiceMe1_Entry entry;
        if (!reader->ReadEntry(i, entry)) break;
        auto child = family::Child(node, kVoiceMeLanguage, family::Numbered("Language ", i), i,
                                   entry.Position, reader->GetVoiceCount(i) > 0);
        // Replaying a voice names its entry through the level field.
        child->level = i;
        child->held = reader;
        family::MarkError(*child, reader->VoiceCountError(i));
        out.push_back(std::move(child));
    }
}

void addVoiceItemNodes(KindContext& context, RecordNode& node,
                       std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = voiceReader(context, node);
    TLN_Voice_Language language;
    if (!reader || node.index < 0 || node.index >= reader->AvailableLanguageCount() ||
        !reader->ReadLanguage(int(node.index), language))
        return;
    for (size_t k = 0; k < language.Records.size(); ++k) {
        const TLN_Voice_Offset_Management_Record& record = language.Records[k];
        auto child = family::Child(node, kItem, family::Numbered("Item ", int64_t(k)), int64_t(k),
                                   record.Position, record.NumberOfVoices > 0 && record.TablePosition >= 0);
        family::MarkError(*child, reader->ItemError(record));
        out.push_back(std::move(child));
    }
}

// The voice offset tables of an item follow one another: each one's position comes from the one before.
void addOffsetTableNodes(KindContext& context, RecordNode& node,
                         std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = voiceReader(context, node);
    const int64_t languageIndex = family::ParentOf(node).index;
    TLN_Voice_Language language;
    if (!reader || languageIndex < 0 || languageIndex >= reader->AvailableLanguageCount() ||
        !reader->ReadLanguage(int(languageIndex), language) || node.index < 0 ||
        size_t(node.index) >= language.Records.size())
        return;
    const TLN_Voice_Offset_Management_Record& record = language.Records[size_t(node.index)];
    int64_t position = record.TablePosition;
    for (int r = 0; r < record.NumberOfVoices && position >= 0; ++r) {
        // A table whose header lies past the stream ends the list.
        const int64_t next = reader->GetNextTableOffset(position);
        if (next < 0) break;
        auto child = family::Child(node, kOffsetTable, family::Numbered("Record ", r), r, position);
        // A table whose phrases the file does not hold has no sound to play.
        family::MarkError(*child, reader->OffsetTableError(position));
        out.push_back(std::move(child));
        position = next;
    }
}

void addVoiceMeRecordNodes(KindContext& context, RecordNode& node,
                           std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = voiceMeReader(context, node);
    TLN_VoiceMe1_Entry entry;
    if (!reader || node.index < 0 || node.index >= reader->EntryCount() ||
        !reader->ReadEntry(int(node.index), entry))
        return;
    const int count = reader->GetVoiceCount(int(node.index));
    // The voice records follow the count word of the entry's first table.
    for (int r = 0; r < count; ++r) {
        auto child = family::Child(node, kVoiceMeRecord, family::Numbered("Record ", r), r,
                                   entry.Tables[0].Position + 2 + r * kVoiceMeRecordBytes);
        family::MarkError(*child, reader->VoiceDataError(int(node.index), r));
        out.push_back(std::move(child));
    }
}

bool languageRecordOf(const TLN_DicVceManager& reader, int64_t i, TLN_DicVceLangRec& out) {
    return i >= 0 && i < reader.PhonemeHeader().NumberOfLanguages &&
           reader.ReadLanguageRecord(int(i), reader.PhonemeHeader().LanguageRecordSize, out);
}

// The dictionary info record of language i (the dictionary data header with its types).
bool dictionaryOf(const TLN_DicVceManager& reader, int64_t i, TLN_DictionaryRecordHeader& out) {
    TLN_DicVceLangRec language;
    return languageRecordOf(reader, i, language) && language.DictionaryFramePosition >= 0 &&
           reader.ReadDictionaryInfoRecord(language.DictionaryFramePosition, out);
}

void addDictionaryLanguageNodes(KindContext&, RecordNode& node,
                                std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = family::ReaderOf<TLN_DicVceManager>(node);
    if (!reader || !reader->IsValid()) return;
    for (int i = 0; i < reader->PhonemeHeader().NumberOfLanguages; ++i) {
        TLN_DicVceLangRec language;
        if (!languageRecordOf(*reader, i, language)) break;
        const QString caption = family::Numbered("Item ", i) + QStringLiteral(" (") +
                                QString::fromStdString(language.Toponym) + QStringLiteral(")");
        out.push_back(family::Child(node, kDictionaryLanguage, caption, i, language.Position,
                                    language.DictionaryFramePosition >= 0));
    }
}

void addDictionaryNodes(KindContext&, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = family::ReaderOf<TLN_DicVceManager>(node);
    TLN_DictionaryRecordHeader dictionary;
    if (!reader) return;
    if (!dictionaryOf(*reader, node.index, dictionary)) {
        TLN_DicVceLangRec language;
        if (languageRecordOf(*reader, node.index, language))
            family::MarkError(node, family::ShortRecord(reader->Stream(), "the dictionary data header",
                                                        language.DictionaryFramePosition, 28));
        family::MarkError(node, dictionary.Error);
        return;
    }
    family::MarkError(node, dictionary.Error);
    for (size_t t = 0; t < dictionary.Types.size(); ++t) {
        const TLN_DictionaryType& type = dictionary.Types[t];
        out.push_back(family::Child(node, kDictionary, QString::fromStdString(type.Name), int64_t(t),
                                    dictionary.Position + kDictionaryTypeNames + 4 * int64_t(t),
                                    type.DataPosition >= 0));
    }
}

void addGroupNodes(KindContext&, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = family::ReaderOf<TLN_DicVceManager>(node);
    TLN_DictionaryRecordHeader dictionary;
    if (!reader || !dictionaryOf(*reader, family::ParentOf(node).index, dictionary) || node.index < 0 ||
        size_t(node.index) >= dictionary.Types.size())
        return;
    const int64_t headerPosition = dictionary.Types[size_t(node.index)].DataPosition;
    TLN_DictionaryHeader header;
    if (headerPosition < 0 || !reader->ReadDictionaryHeader(headerPosition, header)) return;
    family::MarkError(node, header.Error);
    const int64_t groups = std::min(header.ReadableGroups, kMaxListedGroups);
    for (int64_t g = 0; g < groups; ++g) {
        TLN_DictionaryGroupOffset group;
        if (!reader->GetGroupOffset(headerPosition, g, group)) break;
        auto child = family::Child(node, kGroup, QString::fromStdString(FormatHex0x(group.Identifier)), g,
                                   group.Position >= 0 ? group.Position : node.recordOffset);
        family::MarkError(*child,
                          family::ShortRecord(reader->Stream(), "the group data", group.Position, 48));
        out.push_back(std::move(child));
    }
}

} // namespace

void RegisterVoiceKinds(NodeKinds& table) {
    for (int kind : {kVoiceRoot, kVoicePart})
        family::RegisterRow(table, kind, "ShowVoiceDistributionHeader", addVoiceLanguageNodes);
    for (int kind : {kVoiceMeRoot, kVoiceMePart})
        family::RegisterRow(table, kind, "ShowVoiceDistributionHeader", addVoiceMeLanguageNodes);
    family::RegisterRow(table, kLanguage, "ShowVoiceOffsetManagementTable", addVoiceItemNodes);
    family::RegisterRow(table, kItem, "ShowVoiceOffsetManagementRecord", addOffsetTableNodes);
    family::RegisterRow(table, kOffsetTable, "ShowVoiceOffsetTable");
    family::RegisterRow(table, kVoiceMeLanguage, "ShowVoiceInfo", addVoiceMeRecordNodes);
    family::RegisterRow(table, kVoiceMeRecord, "ShowVoiceOffsetRecord");
    for (int kind : {kDictionaryRoot, kDictionaryPart})
        family::RegisterRow(table, kind, "ShowVoiceDictionaryHeader", addDictionaryLanguageNodes);
    family::RegisterRow(table, kDictionaryLanguage, "ShowDictionaryLanguageRecord", addDictionaryNodes);
    family::RegisterRow(table, kDictionary, "ShowDictionaryInfoRecord", addGroupNodes);
    family::RegisterRow(table, kGroup, "ShowDictionaryGroupData");
    RegisterVoiceViews(table);
    RegisterDictionaryViews(table);
}
