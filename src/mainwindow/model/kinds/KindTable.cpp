// The node kind table as the program uses it: the fallback views every table starts with, and the table with
// every family registered. Kept apart from the table's own code, which knows no view.
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/kinds/FallbackViews.h"
#include "mainwindow/model/kinds/KindFamilies.h"
#include "mainwindow/model/views/ManagementViews.h"

NodeKinds::NodeKinds() {
    invalid_.kind = kKindInvalid;
    invalid_.viewName = "ShowInvalidData";
    invalid_.view = ShowInvalidData;
    managementHeader_.viewName = "ShowManagementHeader";
    managementHeader_.view = ShowManagementHeader;
    notImplemented_.viewName = "ShowNotImplemented";
    notImplemented_.view = ShowNotImplemented;
}

const NodeKinds& NodeKinds::Table() {
    static const NodeKinds table = [] {
        NodeKinds t;
        // Every kind first, by name; the families then attach the views and builders they have.
        RegisterKindNames(t);
        RegisterHeaderKinds(t);
        RegisterAllDataKinds(t);
        RegisterMainMapKinds(t);
        RegisterRegionKinds(t);
        RegisterParameterKinds(t);
        RegisterPictureKinds(t);
        RegisterVoiceKinds(t);
        RegisterIndexKinds(t);
        RegisterTmcAndLocalKinds(t);
        return t;
    }();
    return table;
}
