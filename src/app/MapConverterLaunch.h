// How the program starts the map converter from the main window: the wizard over the open map, with the
// building-data import and the name dictionary put in.
#pragma once

#include "converter/wizard/ConverterSource.h"
#include "mainwindow/MainWindow.h"
#include "widgets/Services.h"

// What the wizard learns of the map open in window (its localisation areas included) and the calls it
// makes back into the window.
ConverterSource ConverterSourceOf(MainWindow& window);

// The hook for MainWindow::SetMapConverter. window and services are borrowed and must outlive every
// converter window the hook creates.
MapConverterHook MakeMapConverterHook(MainWindow& window, const Services& services);
