// The record views of the voice command dictionary (DICVCE56.KWI or the ALLDATA "Voice Command Data"
// part): distribution header, language records, dictionary info records and group data with their
// string entries (the first 100 of a group).
#pragma once

class NodeKinds;
struct KindContext;
struct RecordNode;

void ShowVoiceDictionaryHeader(KindContext& context, RecordNode& node);    // kinds 125, 1250
void ShowDictionaryLanguageRecord(KindContext& context, RecordNode& node); // kind 1251
void ShowDictionaryInfoRecord(KindContext& context, RecordNode& node);     // kind 1255
void ShowDictionaryGroupData(KindContext& context, RecordNode& node);      // kind 1260

// Groups listed under a dictionary and string entries shown of a group; more are left out (and said so).
inline constexpr int kDictionaryListLimit = 100;

// Attaches the views above to their kinds.
void RegisterDictionaryViews(NodeKinds& table);
