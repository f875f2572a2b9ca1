// Node kinds of this family: registered with their views and builders.
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/kinds/KindFamilies.h"

void RegisterVoiceKinds(NodeKinds&) {}
