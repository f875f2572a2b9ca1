// What the tests of the ALLDATA and main map views share: a fixture map opened as the window opens it, an
// "ALL DATA" root over it, the kind table of the ALLDATA and main map families, and the shown rows as text.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KindHarness.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/kinds/KindFamilies.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/model/GridDump.h"

namespace mapviews {

struct MapViews : harness::KindHarness {
    MapViews() {
        RegisterAllDataKinds(table);
        RegisterMainMapKinds(table);
    }

    // Writes image into a scratch folder of its own and opens its map as the window's map, with an
    // "ALL DATA" root (which holds no reader of its own, as the opener makes it).
    std::shared_ptr<TLN_KiwiMap> Open(const fixture::AllDataImage& image, const std::string& name) {
        folder = fixture::scratchDir("map-views-" + name);
        const std::string path = fixture::writeAllData(image, folder);
        data.map = std::make_shared<TLN_KiwiMap>(path);
        root = harness::Root(7, QStringLiteral("ALL DATA"), HeldReader(), data.map->GetAllDataStream());
        return data.map;
    }
    std::shared_ptr<TLN_KiwiMap> Open(const fixture::AllDataPlan& plan, const std::string& name) {
        return Open(fixture::buildAllData(plan), name);
    }

    // Shows node (the grid cleared first) and returns the grid's rows and the host's lines as text.
    std::string Show(RecordNode& node) {
        host.Take();
        table.Show(context, node);
        std::string dump = DumpGrid(model).toStdString();
        for (const std::string& line : host.Take())
            dump += line + "\n";
        return dump;
    }

    // "value|remark" of the first row whose name is name, or "<none>".
    std::string Row(const std::string& name) const {
        for (int row = 0; row < model.rowCount(); ++row)
            if (model.CellText(row, 0).toStdString() == name)
                return (model.CellText(row, 1) + QLatin1Char('|') + model.CellText(row, 2)).toStdString();
        return "<none>";
    }
    int Count(const std::string& name) const {
        int count = 0;
        for (int row = 0; row < model.rowCount(); ++row)
            count += model.CellText(row, 0).toStdString() == name;
        return count;
    }

    // The child of node with caption, its children built first when they are not.
    RecordNode* Child(RecordNode& node, const std::string& caption) {
        if (!node.built) Expand(node);
        for (const auto& child : node.children)
            if (child->caption.toStdString() == caption) return child.get();
        return nullptr;
    }
    // The node at a path of captions below the root.
    RecordNode* At(const std::vector<std::string>& path) {
        RecordNode* node = root.get();
        for (const std::string& caption : path)
            if (!node || !(node = Child(*node, caption))) return nullptr;
        return node;
    }

    std::string folder;
    std::unique_ptr<RecordNode> root;
};

} // namespace mapviews
