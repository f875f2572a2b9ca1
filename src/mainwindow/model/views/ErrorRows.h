// Why a node is an "(Error)" one, as its view shows it: the "Ошибка" rows, and a view that ends with them.
#pragma once

#include "mainwindow/model/NodeKinds.h"

class FieldGrid;
struct RecordNode;

// One "Ошибка" row for each line of the node's reason (nothing for a node without one).
void AddErrorRows(FieldGrid& grid, const RecordNode& node);

// view, then the node's "Ошибка" rows: for views with no place of their own for them.
ViewFn WithErrorRows(void (*view)(KindContext&, RecordNode&));
