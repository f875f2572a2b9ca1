// A headless bench for the views and builders below a parcel: the frames map of the fixture written to a
// scratch folder and opened, a "Map Data" node holding it, and the steps to reach and show the nodes of
// a parcel's frames (by captions, or made by hand where the map's format gives a parcel no frame nodes).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "KindHarness.h"
#include "kiwi/frames/ParcelFrames.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/kinds/KindFamilies.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/QtPrinting.h"
#include "support/model/GridDump.h"

namespace parcelbench {

struct ParcelBench : harness::KindHarness {
    ParcelBench() { RegisterMainMapKinds(table); }

    // Writes image into a scratch folder named name and opens it as the map of the "Map Data" node.
    void Open(const fixture::AllDataImage& fixtureImage, const std::string& name) {
        image = fixtureImage;
        const std::string path = fixture::writeAllData(image, fixture::scratchDir("parcel-views-" + name));
        map = std::make_shared<TLN_KiwiMap>(path);
        data.map = map;
        mapNode = harness::Root(100, QStringLiteral("Map Data"), HeldReader(map), map->PartStream());
    }
    void Open(const fixture::AllDataPlan& plan, const std::string& name) {
        Open(fixture::buildAllData(plan), name);
    }

    // The node reached from "Map Data" by expanding along captions; null when a caption is missing.
    RecordNode* Find(const std::vector<QString>& captions) {
        RecordNode* node = mapNode.get();
        for (const QString& caption : captions)
            if (!(node = Under(*node, caption))) return nullptr;
        return node;
    }
    // The first parcel of the first block, whose frames hold every record kind.
    RecordNode* FirstParcel() {
        return Find({QStringLiteral("Level 0"), QStringLiteral("BlockSet 0"), QStringLiteral("Block 0"),
                     QStringLiteral("Parcel 0")});
    }
    RecordNode* Under(RecordNode& node, const QString& caption) {
        // A node the file cuts short keeps its caption, marked.
        for (const auto& child : Built(node))
            if (child->caption == caption || child->caption == caption + QStringLiteral("  (Error)"))
                return child.get();
        return nullptr;
    }
    // The captions of node's children, built first when they are not.
    std::vector<QString> Children(RecordNode& node) {
        Built(node);
        return harness::Captions(node);
    }
    // The frames of the parcel node lies in.
    std::shared_ptr<const TLN_Parcel_Frames> Frames(const RecordNode& node) {
        return LoadParcelFrames(*map, node.stream, uint8_t(node.level), node.parcelFrameAddress,
                                uint32_t(node.parcelFrameSize));
    }
    // A frame node made by hand below parcel (as the parcel's builder makes them for maps below format 8).
    RecordNode* AddFrameNode(RecordNode& parcel, int kind, const QString& caption, int64_t offset) {
        auto child = RecordNode::MakeChild(&parcel, kind, caption, 0);
        child->recordOffset = offset;
        child->hasChildren = true;
        child->parent = &parcel;
        parcel.children.push_back(std::move(child));
        parcel.built = true;
        return parcel.children.back().get();
    }

    // node's children, built first when they are not (what the builders told the host is dropped).
    const std::vector<std::unique_ptr<RecordNode>>& Built(RecordNode& node) {
        if (!node.built) Expand(node);
        host.Take();
        return node.children;
    }

    // The grid and the host's log after showing node, as one text.
    std::string Show(RecordNode& node) {
        table.Show(context, node);
        std::string dump = DumpGrid(model).toStdString();
        for (const std::string& line : host.Take())
            dump += line + "\n";
        return dump;
    }
    // The grid row whose name is name, as "value|remark"; "absent" when there is none.
    std::string Row(const std::string& name) const {
        for (int row = 0; row < model.rowCount(); ++row)
            if (model.CellText(row, 0).toStdString() == name)
                return model.CellText(row, 1).toStdString() + "|" + model.CellText(row, 2).toStdString();
        return "absent";
    }
    int Count(const std::string& name) const {
        int count = 0;
        for (int row = 0; row < model.rowCount(); ++row)
            count += model.CellText(row, 0).toStdString() == name ? 1 : 0;
        return count;
    }

    fixture::AllDataImage image;
    std::shared_ptr<TLN_KiwiMap> map;
    std::unique_ptr<RecordNode> mapNode;
};

} // namespace parcelbench
