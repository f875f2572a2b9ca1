// What the record views of the data parts (route planning, parameters, pictures, voice, the voice command
// dictionary, RDS-TMC, localisation and index data) share: their texts, the management header that an
// ALLDATA part's view starts with, and the address and frame rows they repeat.
#pragma once

#include <cstdint>
#include <string>

#include <QString>

#include "kiwi/core/Failure.h"
#include "mainwindow/model/views/ViewSupport.h"

class FieldGrid;
struct KindContext;
struct RecordNode;

namespace partview {

// A stored text for a cell, as UTF-8.
QString Text(const std::string& value);

// The help link of a chapter on the blank row after the last section header.
void Help(FieldGrid& grid, HelpDocument document);

// The management header record headerIndex of ALLDATA.KWI (the rows the management kinds show alone),
// written by the management header view, with the chapter document as its help.
// Views call it only for nodes that stand for a management header: a part read from a file of its own
// has none.
void ManagementHeader(KindContext& context, const RecordNode& node, int headerIndex, HelpDocument document);

// Why the node is an "(Error)" one, as "Ошибка" rows, one for each line of the reason (nothing for a node
// without an error).
void ErrorRow(FieldGrid& grid, const RecordNode& node);
// "Ошибка" rows for the lines of a reader's reason that the node's own error does not hold (those rows
// are shown by ErrorRow or the management header).
void ReasonRows(FieldGrid& grid, const RecordNode& node, const std::string& reason);
// The same for a reason as data, told in Russian.
void ReasonRows(FieldGrid& grid, const RecordNode& node, const Failure& reason);

// An address row: the stream position as spaced hex (-1, none, shows "0 x FF FF FF FF").
void Address(FieldGrid& grid, const QString& name, int64_t position, const QString& remark = {});
// An address row and the size row after it (32-bit hex with the decimal value).
void Frame(FieldGrid& grid, const QString& addressName, const QString& sizeName, int64_t position,
           int64_t size);
// A 32-bit hex row of a size or code kept in 64 bits (values past 32 bits show their low half).
void Hex32(FieldGrid& grid, const QString& name, int64_t value, const QString& remark = {});
// A decimal row of a count kept in 64 bits.
void Count(FieldGrid& grid, const QString& name, int64_t value, const QString& remark = {});

} // namespace partview
