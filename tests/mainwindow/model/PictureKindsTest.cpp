// Picture builders: the PCT2MNG.KWI list (readers made and owned per file, missing files, other types),
// palette sets, colour tables and images with their top IDs, image paging, and who frees which reader.
#include <gtest/gtest.h>

#include "KindHarness.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/parts/ParamManager.h"
#include "kiwi/picture/EXPCTManager.h"
#include "kiwi/picture/GraphicManager.h"
#include "kiwi/picture/PCT2MNGManager.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/ParamFixture.h"
#include "support/fixtures/PictureFixture.h"

using harness::Captions;
using harness::Kinds;

namespace {

// The standard picture files with a list that also names a parameter file, a file of an unknown type, a
// missing file and a name that is no bare file name.
struct PictureFolder {
    std::string folder;
    std::shared_ptr<TLN_PCT2MNGManager> list;
};

PictureFolder writePictureFolder(const std::string& name) {
    PictureFolder f;
    f.folder = fixture::scratchDir(name);
    fixture::writeStandardPictureSet(f.folder);
    fixture::writeFile(f.folder + "/PARAM001.KWI", fixture::buildParamPart(fixture::standardParamPlan()));
    fixture::writeFile(f.folder + "/OTHER001.KWI", std::vector<uint8_t>(64, 0x11));
    fixture::writeFile(f.folder + "/PCT2MNG.KWI", fixture::buildPct2Mng({{0x00000000, "PICT0001.KWI"},
                                                                         {0xABC2FFFF, "EXPCT001.KWI"},
                                                                         {0x00010000, "PARAM001.KWI"},
                                                                         {0x00030000, "OTHER001.KWI"},
                                                                         {0x00000000, "MISSING1.KWI"},
                                                                         {0x00000000, "PICT0002.KWI"},
                                                                         {0x00000000, "../PICT.KWI"}}));
    f.list = std::make_shared<TLN_PCT2MNGManager>(f.folder + "/PCT2MNG.KWI");
    return f;
}

std::unique_ptr<RecordNode> listRoot(const PictureFolder& f) {
    return harness::Root(1300, QStringLiteral("PCT2MNG"), f.list, f.list->SharedStream());
}

} // namespace

TEST(PictureKinds, ManagementListMakesAReaderPerFile) {
    harness::KindHarness h;
    const PictureFolder f = writePictureFolder("picture_kinds_list");
    ASSERT_TRUE(f.list->IsValid());
    auto root = listRoot(f);
    const auto items = h.Expand(*root);
    EXPECT_EQ(Captions(*root),
              (std::vector<QString>{"PICT0001.KWI", "EXPCT001.KWI", "PARAM001.KWI", "OTHER001.KWI",
                                    "MISSING1.KWI", "PICT0002.KWI", "../PICT.KWI"}));
    EXPECT_EQ(Kinds(*root), (std::vector<int>{1310, 1315, 1320, 13, 99, 1310, 99}));

    // Each readable file's node reads it through a reader of its own and shows that file.
    ASSERT_NE(items[0]->held.As<TLN_GraphicManager>(), nullptr);
    EXPECT_EQ(items[0]->stream, items[0]->held.As<TLN_GraphicManager>()->SharedStream());
    EXPECT_EQ(items[0]->fileName, f.folder + "/PICT0001.KWI");
    EXPECT_EQ(items[0]->recordOffset, 0);
    EXPECT_TRUE(items[0]->hasChildren);
    ASSERT_NE(items[1]->held.As<TLN_EXPCTManager>(), nullptr);
    EXPECT_FALSE(items[1]->hasChildren);
    ASSERT_NE(items[2]->held.As<TLN_ParamManager>(), nullptr);
    EXPECT_TRUE(items[2]->hasChildren);
    EXPECT_EQ(h.Expand(*items[2]).size(), 3u); // its parameter records
    EXPECT_EQ(items[5]->fileName, f.folder + "/pict0002.kwi");

    // Other types, missing files: no reader, and the file's path for the hex viewer or the message.
    EXPECT_FALSE(items[3]->held);
    EXPECT_EQ(items[3]->stream, nullptr);
    EXPECT_EQ(items[3]->fileName, f.folder + "/OTHER001.KWI");
    EXPECT_FALSE(items[4]->held);
    EXPECT_EQ(items[4]->stream, nullptr);
    EXPECT_EQ(items[4]->fileName, f.folder + "/MISSING1.KWI");
    EXPECT_FALSE(items[4]->hasChildren);
    EXPECT_EQ(items[6]->fileName, "../PICT.KWI");
}

TEST(PictureKinds, PaletteSetsColorTablesAndImagesWithTheirTopIds) {
    harness::KindHarness h;
    const PictureFolder f = writePictureFolder("picture_kinds_sets");
    auto root = listRoot(f);
    RecordNode& file = *h.Expand(*root)[0];
    const TLN_GraphicManager& reader = *file.held.As<TLN_GraphicManager>();
    const auto parts = h.Expand(file);
    EXPECT_EQ(Captions(file), (std::vector<QString>{"Palette Sets", "Color Tables", "Image Data"}));
    EXPECT_EQ(Kinds(file), (std::vector<int>{1200, 1201, 1202}));

    // Palette sets and colour tables come with their list; "Image Data" is built when expanded.
    EXPECT_TRUE(parts[0]->built);
    EXPECT_EQ(parts[0]->recordOffset, reader.PaletteSetFramePosition());
    EXPECT_EQ(Captions(*parts[0]),
              (std::vector<QString>{"Palette Set 32", "Palette Set 33", "Palette Set 34", "Palette Set 35"}));
    EXPECT_EQ(parts[0]->children[3]->kind, 1210);
    EXPECT_EQ(parts[0]->children[3]->parent, parts[0]);
    EXPECT_EQ(parts[0]->children[3]->recordOffset, reader.PaletteSetPosition(3));
    EXPECT_EQ(Captions(*parts[1]),
              (std::vector<QString>{"Color Table 16", "Color Table 17", "Color Table 18"}));
    EXPECT_EQ(parts[1]->children[1]->kind, 1220);
    EXPECT_EQ(parts[1]->children[1]->recordOffset, reader.ColorTablePosition(1));
    EXPECT_FALSE(parts[2]->built);
    EXPECT_TRUE(parts[2]->hasChildren);

    const auto images = h.Expand(*parts[2]);
    ASSERT_EQ(int(images.size()), reader.ImageCount());
    EXPECT_EQ(images[0]->caption, QStringLiteral("Image Data 256"));
    EXPECT_EQ(images[2]->caption, QStringLiteral("Image Data 258"));
    EXPECT_EQ(images[2]->kind, 1230);
    TLN_ImageDataRecord record;
    ASSERT_TRUE(reader.ReadImageRecord(2, record));
    EXPECT_EQ(images[2]->recordOffset, record.Position);
}

TEST(PictureKinds, TwelveHundredImagesComeInPages) {
    harness::KindHarness h;
    fixture::PictureFile file;
    file.topImageId = 0x100;
    file.paletteSets = {{0, 0, 0, 0}};
    file.images.assign(1200, fixture::PictureImage{1, 0, false, 0, 0, 1, 1, 0, 0, {1, 2}});
    const auto reader = std::make_shared<TLN_GraphicManager>(
        std::make_shared<TLN_MemoryStream>(fixture::buildPictureFile(file)), 0);
    ASSERT_EQ(reader->ImageCount(), 1200);
    auto part = harness::Root(105, QStringLiteral("Graphic Data"), reader, reader->SharedStream());
    RecordNode& list = *h.Expand(*part)[2];
    h.Expand(list);
    ASSERT_EQ(list.children.size(), 500u);
    EXPECT_EQ(list.children[498]->caption, QStringLiteral("Image Data 754"));
    EXPECT_EQ(list.children[499]->caption, QStringLiteral(". . . . ."));
    EXPECT_EQ(list.children[499]->kind, 1231);
    EXPECT_EQ(list.children[499]->pagedKind, 1230);

    h.NextPage(*list.children[499]);
    ASSERT_EQ(list.children.size(), 1000u);
    EXPECT_EQ(list.children[499]->caption, QStringLiteral("Image Data 755"));
    EXPECT_EQ(list.children[499]->kind, 1230);
    EXPECT_EQ(list.children[999]->kind, 1231);
    h.NextPage(*list.children[999]);
    ASSERT_EQ(list.children.size(), 1200u);
    EXPECT_EQ(list.children.back()->caption, QStringLiteral("Image Data 1455"));
    TLN_ImageDataRecord record;
    ASSERT_TRUE(reader->ReadImageRecord(1199, record));
    EXPECT_EQ(list.children.back()->recordOffset, record.Position);
}

TEST(PictureKinds, ANodeFreesOnlyTheReaderItMade) {
    harness::KindHarness h;
    const PictureFolder f = writePictureFolder("picture_kinds_owners");
    auto root = listRoot(f);
    h.Expand(*root);
    std::weak_ptr<TLN_EXPCTManager> extended = root->children[1]->held.Shared<TLN_EXPCTManager>();
    std::weak_ptr<TLN_GraphicManager> graphic = root->children[0]->held.Shared<TLN_GraphicManager>();
    ASSERT_FALSE(extended.expired());
    const auto parts = h.Expand(*root->children[0]);

    harness::Remove(*parts[0], 0); // a palette set: frees nothing
    EXPECT_FALSE(graphic.expired());
    harness::Remove(*root, 1); // the extended picture file's node
    EXPECT_TRUE(extended.expired());
    harness::Remove(*root, 0); // the picture file's node with its subtree
    EXPECT_TRUE(graphic.expired());
    EXPECT_FALSE(f.list->Items().empty()); // the list root's reader stays
}

TEST(PictureKinds, GraphicPartWithoutAReaderOfItsOwnHasNoNodes) {
    harness::KindHarness h;
    // The ALLDATA "Graphic" part whose header names a file of its own holds the map, not a picture reader.
    auto part = harness::Root(105, QStringLiteral("Graphic Data"), std::make_shared<std::string>("map"));
    EXPECT_TRUE(h.Expand(*part).empty());
    auto list = harness::Root(130, QStringLiteral("Picture Data"), HeldReader());
    EXPECT_TRUE(h.Expand(*list).empty());
}
