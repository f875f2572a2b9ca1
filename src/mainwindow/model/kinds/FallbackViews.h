// The views every kind falls back on: a record that is not valid, a kind whose view is not implemented,
// a node whose file is missing.
#pragma once

struct KindContext;
struct RecordNode;

// Kind -1: one section header with an empty title and the value "Invalid data !!!".
void ShowInvalidData(KindContext& context, RecordNode& node);
// "Sorry. Not Implimented" with the node's caption and, past offset 0, its offset.
void ShowNotImplemented(KindContext& context, RecordNode& node);
// Kind 99: "Sorry. File doesn''t exists" with the node's caption.
void ShowMissingFile(KindContext& context, RecordNode& node);
