// The record views of the general-purpose voice data (VOICEDAT.KWI, STDVCE.KWI, the ALLDATA "Voice" part)
// and of VOICE001: distribution headers, languages, offset management records, offset tables and voice
// records; a voice record plays when shown, and the play button plays it again.
#pragma once

#include <functional>
#include <memory>

class NodeKinds;
class ViewHost;
struct KindContext;
struct RecordNode;

void ShowVoiceDistributionHeader(KindContext& context, RecordNode& node);     // kinds 106, 1060, 133, 1100
void ShowVoiceOffsetManagementTable(KindContext& context, RecordNode& node);  // kind 200
void ShowVoiceOffsetManagementRecord(KindContext& context, RecordNode& node); // kind 201
void ShowVoiceOffsetTable(KindContext& context, RecordNode& node);            // kind 202
void ShowVoiceInfo(KindContext& context, RecordNode& node);                   // kind 1110
void ShowVoiceOffsetRecord(KindContext& context, RecordNode& node);           // kind 1120

// What the play button does for a voice node (PlayGeneralPurposeVoice): the reader is chosen by the
// node's kind, the phrases of an offset table (202) or a VOICE001 voice (1120); an empty function for any
// other node or when its reader is missing. The function keeps no reader alive: once the reader is gone
// it plays nothing.
std::function<void()> PlayGeneralPurposeVoice(const KindContext& context, const RecordNode& node,
                                              ViewHost& host);

// Attaches the views above to their kinds.
void RegisterVoiceViews(NodeKinds& table);
