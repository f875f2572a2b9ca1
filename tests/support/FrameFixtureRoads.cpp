// The frame fixture's road data frame: three display classes (one empty), multilinks with link IDs,
// route numbers, street addresses, nodes with and without additional node information.
#include "support/FrameFixture.h"

#include <optional>
#include <stdexcept>

#include "support/FixtureWriter.h"

namespace fixture {

namespace {

struct NodeSpec {
    uint16_t shapeWord = 0; // one-way bits; the point count is added
    uint16_t x = 0, y = 0;
    std::vector<uint16_t> points;
    uint32_t recordWord = 0;
    uint16_t flags = 0;
    // Additional node information words after the first; the street address word is patched in.
    bool additional = false;
    std::vector<uint16_t> additionalWords;
    int streetAddressWordIndex = -1; // index in additionalWords of the street address data offset
};

struct MultiLinkSpec {
    bool linkId = false;
    bool routeGuidance = false;
    bool streetAddress = false;
    bool routeNumberFlag = false;
    uint8_t roadTypeCode = 0;
    uint32_t startLinkId = 0;
    uint16_t endLinkAdd = 0;
    uint16_t routeNumber = 0;
    uint16_t routeGuidanceOffset = 0;
    std::vector<NodeSpec> nodes;
};

// Writes a multilink at the writer's end (byte 0 of the writer = the road frame start).
void writeMultiLink(ByteWriter& w, const MultiLinkSpec& spec, int nodeRecordBytes) {
    const size_t m = w.size();
    const size_t headerBytes = 26 + (spec.routeGuidance ? 2 : 0) + (spec.streetAddress ? 2 : 0);
    w.u32(0);                                    // word 0, patched
    w.u16(uint32_t(spec.nodes.size()) | 0xF800); // bits 15-11 are not the node count
    const size_t sizesAt = w.size();
    w.u16(0).u16(0).u16(0).u16(0xF000); // shape, additional, altitude, passage (top bits not sizes)
    w.u16(uint32_t(spec.roadTypeCode) << 12 | (spec.linkId ? 1u : 0u) << 11 |
          (spec.routeNumberFlag ? 1u : 0u) << 9 | (spec.routeGuidance ? 1u : 0u) << 1 | 1u << 5);
    if (spec.linkId)
        w.u32(spec.startLinkId).u16(spec.endLinkAdd).u16(0);
    else
        w.u32(0x11111111u).u16(0x2222).u16(0); // present but unused without the flag
    w.u16(spec.routeNumber);
    if (spec.routeGuidance) w.u16(spec.routeGuidanceOffset);
    size_t streetSizeAt = 0;
    if (spec.streetAddress) {
        streetSizeAt = w.size();
        w.u16(0);
    }
    if (w.size() != m + headerBytes) throw std::logic_error("multilink header size");

    const size_t shapes = w.size();
    for (const NodeSpec& node : spec.nodes) {
        w.u16(node.shapeWord | uint32_t(node.points.size())).u16(node.x).u16(node.y);
        for (uint16_t point : node.points)
            w.u16(point);
    }
    const size_t records = w.size();
    std::vector<size_t> offsetAt;
    for (const NodeSpec& node : spec.nodes) {
        const size_t at = w.size();
        w.u32(node.recordWord).u16(node.flags);
        offsetAt.push_back(w.size());
        w.u16(0xFFFF);
        if (nodeRecordBytes > 8) w.u16(0xA800 | 0x7FF); // link type code 21, low bits not part of it
        w.padTo(at + size_t(nodeRecordBytes));
    }
    const size_t additional = w.size();
    std::vector<std::pair<size_t, size_t>> streetWords; // (word position, node)
    for (size_t k = 0; k < spec.nodes.size(); ++k) {
        const NodeSpec& node = spec.nodes[k];
        if (!node.additional) continue;
        w.patchU16(offsetAt[k], uint32_t(w.size() / 2));
        w.u16(uint32_t(0x0100 + k)); // link shape data offset
        for (size_t i = 0; i < node.additionalWords.size(); ++i) {
            if (int(i) == node.streetAddressWordIndex) streetWords.push_back({w.size(), k});
            w.u16(node.additionalWords[i]);
        }
    }
    const size_t streets = w.size();
    for (const auto& [wordAt, node] : streetWords) {
        w.patchU16(wordAt, uint32_t(w.size() / 2));
        // Storage details: street name left (13) and right = left (14), left kind 1, right kind 2, type 3.
        const uint16_t details = 0x2000 | 0x4000 | 1u << 10 | 2u << 8 | 3u << 5;
        w.u16(9).u16(details).u16(0x0040).u16(0x0044).u16(0x0048);
        w.u16(uint32_t(10 + node))
            .u16(uint32_t(20 + node))
            .u16(uint32_t(11 + node))
            .u16(uint32_t(0x8000 | 31));
    }
    const size_t end = w.size();
    w.patchU32(m, 1u << 29 | uint32_t((end - m) / 2) << 16 | (spec.streetAddress ? 1u : 0u) << 15 |
                      uint32_t(headerBytes / 2));
    w.patchU16(sizesAt, 0xF000 | uint32_t((records - shapes) / 2));
    w.patchU16(sizesAt + 2, 0xF000 | uint32_t((streets - additional) / 2));
    if (spec.streetAddress) w.patchU16(streetSizeAt, 0xF000 | uint32_t((end - streets) / 2));
}

} // namespace

std::vector<uint8_t> roadFrame(const FrameOptions& options, std::vector<int64_t>* multiLinks) {
    const int c = options.counter;
    ByteWriter w;
    w.u16(10);               // header: 8 bytes + 3 classes × 4 = 20 bytes
    w.u16(uint32_t(10 + c)); // total number of intersections
    w.u8(0xE0 | 3).u8(1);    // 3 display classes (bits 7-5 are not part of the count); 1 additional
    w.u16(0x8000 | uint32_t(options.level + 1));
    const size_t classes = w.size();
    w.u32(0).u32(0x0004000Fu).u32(0); // class 1: offset 4 words (inside the header) = empty

    MultiLinkSpec a;
    a.linkId = true;
    a.routeGuidance = true;
    a.streetAddress = true;
    a.roadTypeCode = 3;
    a.startLinkId = 0x00100000u + uint32_t(c);
    a.endLinkAdd = 4;
    a.routeNumber = uint16_t(300 + c);
    a.routeGuidanceOffset = 0x0020;
    NodeSpec n0;
    n0.shapeWord = 1u << 13; // one way forward, validated
    n0.x = uint16_t(1u << 13 | (100 + c));
    n0.y = 200;
    n0.points = {0x0502, 0xFDFE};
    // Start point, on the boundary, towards parcel position 2, crossing class 3, number 17, node 5.
    n0.recordWord = 1u << 30 | 1u << 29 | 2u << 25 | 3u << 21 | 17u << 9 | 5u;
    n0.flags = 0x8000 | 0x4000 | 0x0800 | 0x0040;
    n0.additional = true;
    // Differential link ID, road width (direction 3, 2 forward lanes of width 4, 1 backward of width 5),
    // the street address offset (patched), link length, the on-boundary start word.
    n0.additionalWords = {0x0007, uint16_t(3u << 13 | 2u << 9 | 4u << 6 | 1u << 3 | 5u), 0, 0x0123, 0xB0B0};
    n0.streetAddressWordIndex = 2;
    NodeSpec n1;
    n1.shapeWord = 2u << 13;
    n1.x = 4095;
    n1.y = uint16_t(2u << 13 | 300);
    n1.recordWord = 0u << 30 | 7u << 25;
    n1.flags = 0x0005;
    NodeSpec n2;
    n2.shapeWord = 0x8000 | 3u << 13; // road closed, not validated
    n2.x = 50;
    n2.y = 60;
    n2.points = {0x0101};
    n2.recordWord = 2u << 30 | 1u << 28;
    n2.flags = 0x2000 | 0x1000 | 0x0400 | 0x0200;
    n2.additional = true;
    n2.additionalWords = {0x0A0A, 0x0B0B, 0x0C0C, uint16_t(40 + c)};
    a.nodes = {n0, n1, n2};

    MultiLinkSpec b;
    b.roadTypeCode = 5;
    b.routeNumber = 0x7777;
    NodeSpec m0;
    m0.shapeWord = 0x8000;
    m0.x = 10;
    m0.y = 20;
    m0.recordWord = 1u << 30;
    NodeSpec m1 = m0;
    m1.x = 30;
    m1.recordWord = 2u << 30;
    b.nodes = {m0, m1};

    MultiLinkSpec d;
    d.routeNumberFlag = true;
    d.routeGuidance = true;
    d.roadTypeCode = 10;
    d.routeNumber = uint16_t(7 + c);
    d.routeGuidanceOffset = 0x0040;
    NodeSpec k0;
    k0.x = uint16_t(3000 + c);
    k0.y = 3100;
    k0.points = {0x0303, 0x0404, 0x0505};
    k0.recordWord = 1u << 30;
    NodeSpec k1;
    k1.x = 3200;
    k1.y = 3300;
    k1.recordWord = 2u << 30;
    d.nodes = {k0, k1};

    std::vector<int64_t> positions;
    // Class 0: display scale flags 11111, two multilinks.
    if (options.full) {
        w.patchU16(classes, uint32_t(w.size() / 2));
        w.patchU16(classes + 2, 0xF000 | 2);
        w.u16(0x1F << 11 | 0x7FF);
        positions.push_back(int64_t(w.size()));
        writeMultiLink(w, a, options.nodeRecordBytes);
        positions.push_back(int64_t(w.size()));
        writeMultiLink(w, b, options.nodeRecordBytes);
    }
    // Class 2: display scale flags 00100, one multilink.
    w.patchU16(classes + 8, uint32_t(w.size() / 2));
    w.patchU16(classes + 10, 1);
    w.u16(0x04 << 11);
    positions.push_back(int64_t(w.size()));
    writeMultiLink(w, d, options.nodeRecordBytes);
    if (multiLinks) *multiLinks = positions;
    return w.take();
}

} // namespace fixture
