// The glyph-and-caption layout of the flat button: each layout with shared, given and mixed margins and
// spacings, and the shift by the client corner and the pressed offset.
#include <gtest/gtest.h>

#include "widgets/flat/FlatDrawing.h"

namespace {

struct LayoutCase {
    const char* name;
    flat::WinRect client;
    QPoint offset;
    QSize text;
    flat::GlyphLayout layout;
    int margin, spacing;
    QSize glyph;
    QPoint expectedGlyph;
    flat::WinRect expectedText;
};

class GlyphLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(GlyphLayout, PlacesGlyphAndCaption) {
    const LayoutCase c = GetParam();
    const flat::GlyphAndCaption placed =
        flat::LayoutGlyphAndCaption(c.client, c.offset, c.text, c.layout, c.margin, c.spacing, c.glyph);
    EXPECT_EQ(placed.glyph, c.expectedGlyph);
    EXPECT_EQ(placed.text, c.expectedText);
}

using L = flat::GlyphLayout;
const flat::WinRect kWide{0, 0, 75, 25};

INSTANTIATE_TEST_SUITE_P(
    Table, GlyphLayout,
    ::testing::Values(
        // Too little height for glyph, spacing and text: the centring margin goes negative (truncating).
        LayoutCase{"top_centred", kWide, {}, {30, 13}, L::Top, -1, 4, {16, 16}, {30, -3}, {23, 17, 53, 30}},
        LayoutCase{"left_shared", kWide, {}, {30, 13}, L::Left, -1, -1, {16, 16}, {9, 5}, {34, 6, 64, 19}},
        LayoutCase{"right_margin", kWide, {}, {30, 13}, L::Right, 2, -1, {16, 16}, {57, 5}, {14, 6, 44, 19}},
        LayoutCase{"bottom_given",
                   {0, 0, 40, 50},
                   {},
                   {30, 13},
                   L::Bottom,
                   3,
                   2,
                   {16, 16},
                   {12, 31},
                   {5, 16, 35, 29}},
        // Without a glyph the spacing is shared like the margin.
        LayoutCase{"caption_only", kWide, {}, {30, 13}, L::Top, -1, 4, {0, 0}, {38, 4}, {23, 8, 53, 21}},
        LayoutCase{"glyph_only", kWide, {}, {0, 0}, L::Left, -1, 4, {16, 16}, {19, 5}, {54, 13, 54, 13}},
        LayoutCase{"pressed_shift",
                   {2, 3, 77, 28},
                   {1, 1},
                   {30, 13},
                   L::Left,
                   -1,
                   -1,
                   {16, 16},
                   {12, 9},
                   {37, 10, 67, 23}}),
    [](const auto& instance) { return std::string(instance.param.name); });

} // namespace
