// Where the field grid's view joins the Data tab. Until the grid's own view (tagged rows, swatches, images,
// the help link) is built, a plain table over the field grid model stands in; the Data tab asks only this
// function for the view, so swapping it is a change here alone.
#pragma once

class FieldGridModel;
class QAbstractItemView;
class QWidget;

QAbstractItemView* MakeFieldGridView(FieldGridModel* model, QWidget* parent);
