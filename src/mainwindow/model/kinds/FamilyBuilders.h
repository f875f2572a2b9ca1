// What the kind families of the data parts (route planning, parameters, pictures, voice, index data,
// RDS-TMC and localisation) share: registering their rows without undoing another family's, finding the
// reader a node reads through, and the small steps of making children.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "kiwi/core/Failure.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/RecordNode.h"

namespace family {

// Registers the row of kind with its view name and builder (the view comes later). When another family
// registered the kind already (a management kind of ALLDATA, a fallback view), its row is kept and only
// what it lacks is filled in: the builder, and the view name when it has only the default one.
void RegisterRow(NodeKinds& table, int kind, const char* viewName, BuilderFn builder = {});

// The reader of type T the node holds; else fallback (a reader the main window holds for the source).
template <typename T>
std::shared_ptr<T> ReaderOf(const RecordNode& node, const std::shared_ptr<T>& fallback = nullptr) {
    if (auto held = node.held.Shared<T>()) return held;
    return fallback;
}

// The node's parent: builders of nested records find the indices of the records above through it. Raises
// std::logic_error for a node that is not attached (the tree then attaches nothing).
const RecordNode& ParentOf(const RecordNode& node);

// "text" followed by the decimal number n ("Region " 5 → "Region 5").
QString Numbered(const char* text, int64_t n);

// A child of parent with its record offset set, and expandable when expandable is true.
std::unique_ptr<RecordNode> Child(const RecordNode& parent, int kind, const QString& caption, int64_t index,
                                  int64_t recordOffset, bool expandable = false);

// Makes node an "  (Error)" one with the reason (its "Ошибка" rows); a second reason is added as a further
// line, the caption is marked once. Nothing for an empty reason. A reason as data is told in Russian; one
// still in words keeps them.
void MarkError(RecordNode& node, const std::string& reason);
void MarkError(RecordNode& node, const Failure& reason);

// Why the record of bytes at position cannot be read whole from stream (no failure when it can, or for a
// negative position, which names no record): the failure every reader raises for a short read.
Failure ShortRecord(TLN_Stream& stream, const std::string& what, int64_t position, int64_t bytes);

// Gives node the children built together with it: they are attached at once and the node counts as built.
void AttachBuilt(RecordNode& node, std::vector<std::unique_ptr<RecordNode>> children);

} // namespace family
