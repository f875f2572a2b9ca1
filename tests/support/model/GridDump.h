// A plain-text dump of the field grid, one line per row, for golden files and the probe.
#pragma once

#include <QString>

class FieldGridModel;

// Virtual rows written before the rest is summed up in one line.
constexpr int kDumpVirtualRowLimit = 200;

// Every row as "tag|name|value|remark" (blank rows kept, line breaks inside cells written as \n). Colour
// rows add "|colour=00BBGGRR", image rows "|image=<index> <width>x<height>" (or "missing"). Virtual rows
// (tag 0) are asked of their provider up to virtualLimit, then one line "…(N more)". A help link adds a
// last line "@help <document>".
QString DumpGrid(const FieldGridModel& model, int virtualLimit = kDumpVirtualRowLimit);
