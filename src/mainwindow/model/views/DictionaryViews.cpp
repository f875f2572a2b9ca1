// The voice command dictionary's records, row by row.
#include "mainwindow/model/views/DictionaryViews.h"

#include <algorithm>

#include "kiwi/core/RussianFailureTexts.h"
#include "kiwi/parts/DicVceManager.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/views/ErrorRows.h"
#include "mainwindow/model/views/PartViewSupport.h"

using partview::Address;
using partview::Count;
using partview::Frame;
using partview::Hex32;
using partview::Text;

namespace {

constexpr int kDictionaryPart = 125;
// The management header record of the ALLDATA "Voice Command Data" part.
constexpr int kDictionaryHeaderIndex = 25;

QString s(const char* text) {
    return QString::fromUtf8(text);
}

std::shared_ptr<TLN_DicVceManager> readerOf(const RecordNode& node) {
    return node.held.Shared<TLN_DicVceManager>();
}

bool languageOf(const TLN_DicVceManager& reader, int64_t i, TLN_DicVceLangRec& out) {
    return i >= 0 && i < reader.PhonemeHeader().NumberOfLanguages &&
           reader.ReadLanguageRecord(int(i), reader.PhonemeHeader().LanguageRecordSize, out);
}

bool dictionaryOf(const TLN_DicVceManager& reader, int64_t language, TLN_DictionaryRecordHeader& out) {
    TLN_DicVceLangRec record;
    return languageOf(reader, language, record) && record.DictionaryFramePosition >= 0 &&
           reader.ReadDictionaryInfoRecord(record.DictionaryFramePosition, out);
}

// The dictionary type a node of kind 1255 stands for (type node.index of its parent's language).
const TLN_DictionaryType* typeOf(const TLN_DicVceManager& reader, const RecordNode& node,
                                 TLN_DictionaryRecordHeader& dictionary) {
    if (!node.parent || !dictionaryOf(reader, node.parent->index, dictionary) || node.index < 0 ||
        size_t(node.index) >= dictionary.Types.size())
        return nullptr;
    return &dictionary.Types[size_t(node.index)];
}

void userClassificationRows(FieldGrid& grid, const TLN_PointRecord& point) {
    grid.AddLatLonRow(s("Latitude and Longitude of User Classification"), true, TLN_Point{point.X, point.Y});
    grid.AddWordRow(s("Floor of The User Classification"), {}, point.ByteValue);
    grid.AddDateRow(s("Date of User Classification"), {}, point.WordValue);
}

void tooManyItems(FieldGrid& grid) {
    grid.AddSectionHeader(s("ONLY FIRST 100 ITEMS ARE DISPLAYED !!!"));
}

} // namespace

void ShowVoiceDictionaryHeader(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    if (node.kind == kDictionaryPart)
        partview::ManagementHeader(context, node, kDictionaryHeaderIndex, HelpDocument::DataVolume);
    grid.AddSectionHeader(s("Voice Command Dictionary Distribution Header"));
    const auto reader = readerOf(node);
    // The part's own node shows its reason with its management header.
    if (node.kind != kDictionaryPart) partview::ErrorRow(grid, node);
    if (!reader || !reader->IsValid()) return;
    const TLN_DicVceHeader& header = reader->Header();
    userClassificationRows(grid, header.UserClassification);
    Hex32(grid, s("Size of Voice Command Dictionary Data Frame"), header.DataFrameSize);
    Hex32(grid, s("Size of Distribution Header"), header.HeaderSize);
    Address(grid, s("Address of Phoneme Data Frame"), header.PhonemeFramePosition);
    Hex32(grid, s("Size of Phoneme Data Frame Header"), header.PhonemeHeaderSize);
    Hex32(grid, s("Size of Phoneme Data Frame"), header.PhonemeFrameSize);
    Address(grid, s("Address of Text Data Frame"), header.TextFramePosition);
    Count(grid, s("Number of Text Data Records"), header.NumberOfTextRecords);
    Hex32(grid, s("Size of Text Data Frame"), header.TextFrameSize);
    Frame(grid, s("Address of Extended Data Frame"), s("Size of Extended Data Frame"),
          header.ExtendedFramePosition, header.ExtendedFrameSize);

    const TLN_PhonemeFrameHeader& phonemes = reader->PhonemeHeader();
    grid.AddSectionHeaderAt(s("Phoneme Data Frame Header"), {}, header.PhonemeFramePosition);
    Hex32(grid, s("Size of Phoneme Data Frame Header"), phonemes.Size);
    grid.AddWordRow(s("Number of Language Management Records"), {}, phonemes.NumberOfLanguages);
    Hex32(grid, s("Size of each Language Management Record"), phonemes.LanguageRecordSize);
    Frame(grid, s("Address of Phoneme Extention Data Frame"), s("Size of Phoneme Extention Data Frame"),
          phonemes.PhonemeExtensionPosition, phonemes.PhonemeExtensionSize);
    Frame(grid, s("Address of Language Extention List"), s("Size of Language Extention List"),
          phonemes.LanguageExtensionPosition, phonemes.LanguageExtensionSize);

    const TLN_TextFrameHeader& text = reader->TextHeader();
    grid.AddSectionHeaderAt(s("Text Data Frame Header"), {}, header.TextFramePosition);
    Hex32(grid, s("Size of Text Data Frame Header"), text.Size);
    Count(grid, s("Number of Text Pages"), text.NumberOfPages);
}

void ShowDictionaryLanguageRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const auto reader = readerOf(node);
    TLN_DicVceLangRec record;
    const bool read = reader && languageOf(*reader, node.index, record);
    grid.AddSectionHeaderAt(s("Language Management Record"), {}, read ? record.Position : node.recordOffset);
    if (!read) return;
    userClassificationRows(grid, record.UserClassification);
    grid.AddTextRow(s("Toponym Identification"), Text(record.Toponym));
    Address(grid, s("Address of Dictionary Data Frame"), record.DictionaryFramePosition);
    Hex32(grid, s("Size of Dictionary Data Header"), record.DictionaryHeaderSize);
    Hex32(grid, s("Size of Dictionary Data Frame"), record.DictionaryFrameSize);
    Frame(grid, s("Address of Voice Recognition Data Frame"), s("Size of Voice Recognition Data Frame"),
          record.VoiceRecognitionPosition, record.VoiceRecognitionSize);
    grid.AddHexDecRow(s("Language Record ID"), {}, record.RecordID);
    grid.AddHexDecRow(s("Language Record Code"), {}, record.RecordCode);
    TLN_DictionaryRecordHeader dictionary;
    if (record.DictionaryFramePosition < 0 ||
        !reader->ReadDictionaryInfoRecord(record.DictionaryFramePosition, dictionary))
        return;
    grid.AddSectionHeader(s("Dictionary Data Header"));
    Hex32(grid, s("Size of Dictionary Data Header"), dictionary.Size);
    Frame(grid, s("Address of Extention A Data Frame"), s("Size of Extention A Data Frame"),
          dictionary.ExtensionAPosition, dictionary.ExtensionASize);
    Frame(grid, s("Address of Extention B Data Frame"), s("Size of Extention B Data Frame"),
          dictionary.ExtensionBPosition, dictionary.ExtensionBSize);
    grid.AddHexDecRow(s("Data Type Code"), {}, dictionary.DataTypeCode);
    Count(grid, s("Number of Dictionary Items"), dictionary.NumberOfTypes);
}

void ShowDictionaryInfoRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeaderAt(s("Dictionary Info Record"), {}, node.recordOffset);
    const auto reader = readerOf(node);
    TLN_DictionaryRecordHeader dictionary;
    const TLN_DictionaryType* type = reader ? typeOf(*reader, node, dictionary) : nullptr;
    if (!type) return;
    grid.AddTextRow(s("Type Name"), Text(type->Name));
    Address(grid, s("Address of Data"), type->DataPosition);
    Hex32(grid, s("Size of Data Header"), type->DataHeaderSize);
    Hex32(grid, s("Size of Data"), type->DataSize);
    TLN_DictionaryHeader header;
    if (type->DataPosition < 0 || !reader->ReadDictionaryHeader(type->DataPosition, header)) return;
    grid.AddSectionHeader(s("Dictionary Info Data Header"));
    Hex32(grid, s("Size of Info Data Header"), header.Size);
    Count(grid, s("Number of Groups"), header.NumberOfGroups);
    grid.AddHexDecRow(s("Data Type Code"), {}, header.DataTypeCode);
    Hex32(grid, s("Size of Info Data"), header.InfoDataSize);
    if (header.NumberOfGroups > uint32_t(kDictionaryListLimit)) tooManyItems(grid);
    if (header.Error) grid.AddTextRow(s("Ошибка"), {}, RussianReason(header.Error));
}

void ShowDictionaryGroupData(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const auto reader = readerOf(node);
    TLN_DictionaryRecordHeader dictionary;
    const TLN_DictionaryType* type =
        reader && node.parent ? typeOf(*reader, *node.parent, dictionary) : nullptr;
    TLN_DictionaryGroupOffset offset;
    TLN_DictionaryGroupData group;
    const bool read = type && type->DataPosition >= 0 && node.index >= 0 &&
                      reader->GetGroupOffset(type->DataPosition, node.index, offset) &&
                      offset.Position >= 0 && reader->ReadGroupData(offset.Position, group);
    grid.AddSectionHeaderAt(s("Dictionary Group Data"), {}, read ? group.Position : node.recordOffset);
    if (!read) return;
    Hex32(grid, s("Size of Group Data"), group.Size);
    grid.AddTextRow(s("Type Name"), Text(group.TypeName));
    grid.AddHexDecRow(s("Group ID"), {}, group.GroupID);
    Count(grid, s("Text Page ID"), group.TextPageID);
    Address(grid, s("Address of The String Entry Offset List"), group.StringEntryListPosition);
    Count(grid, s("Number of Items"), group.NumberOfItems);
    Frame(grid, s("Address of Phonetic Data"), s("Size of Phonetic Data"), group.PhoneticDataPosition,
          group.PhoneticDataSize);
    grid.AddSectionHeader(s("String Items List"));
    const int64_t entries = reader->StringEntryCount(group);
    const int64_t shown = std::min<int64_t>(entries, kDictionaryListLimit);
    for (int64_t k = 0; k < shown; ++k) {
        const TLN_PartText entry = reader->ReadStringEntry(group, k);
        grid.AddTextRow(s("String Entry ") + QString::number(k), entry.Text);
        if (entry.Error) grid.AddTextRow(s("Ошибка"), {}, RussianReason(entry.Error));
    }
    if (shown >= kDictionaryListLimit) tooManyItems(grid);
    const std::string missing = reader->StringEntryShortfall(group);
    if (!missing.empty()) grid.AddTextRow(s("Ошибка"), {}, QString::fromStdString(missing));
}

void RegisterDictionaryViews(NodeKinds& table) {
    for (int kind : {kDictionaryPart, 1250})
        table.SetView(kind, ShowVoiceDictionaryHeader);
    table.SetView(1251, WithErrorRows(ShowDictionaryLanguageRecord));
    table.SetView(1255, ShowDictionaryInfoRecord);
    table.SetView(1260, WithErrorRows(ShowDictionaryGroupData));
}
