// The picture views over the standard picture set: the management list, a picture file's header (no
// management header: it comes from PCT2MNG.KWI), palette sets, colour tables as swatches, image records
// with their CLUT, GIF and BMP pictures shown through the host (and none for data that do not decode), an
// extended picture header, the paged image list's more-node; and ImageDataPicture's bounds.
#include <gtest/gtest.h>

#include <QBuffer>

#include "KindHarness.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/picture/GraphicManager.h"
#include "kiwi/picture/PCT2MNGManager.h"
#include "mainwindow/model/views/PictureViews.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/ParamFixture.h"
#include "support/fixtures/PictureFixture.h"
#include "support/model/GridDump.h"

namespace {

struct PictureViews : ::testing::Test {
    harness::KindHarness h;

    QString show(RecordNode& node) {
        h.table.Show(h.context, node);
        return DumpGrid(h.model);
    }
    QString row(const QString& name) {
        for (int r = 0; r < h.model.rowCount(); ++r)
            if (h.model.CellText(r, 0) == name)
                return h.model.CellText(r, 1) + QStringLiteral("|") + h.model.CellText(r, 2);
        return QStringLiteral("?");
    }
    std::vector<std::string> sideEffects() { return h.host.Take(); }
};

std::vector<uint8_t> bmpBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

TEST_F(PictureViews, TheStandardSetFromItsList) {
    const std::string folder = fixture::scratchDir("picture-views");
    fixture::writeStandardPictureSet(folder);
    fixture::writeFile(folder + "/PARAM001.KWI", fixture::buildParamPart(fixture::standardParamPlan()));
    const auto list = std::make_shared<TLN_PCT2MNGManager>(folder + "/PCT2MNG.KWI");
    auto root = harness::Root(1300, QStringLiteral("PCT2MNG"), list, list->SharedStream());
    QString dump = show(*root);
    EXPECT_TRUE(dump.startsWith(QStringLiteral("1|         < Picture Assigned Managements List  >||\n")));
    EXPECT_EQ(row(QStringLiteral("Number of Included Managements")), QStringLiteral("5|"));

    const auto files = h.Expand(*root);
    RecordNode& pictures = *files[0];
    ASSERT_EQ(pictures.kind, 1310);
    // A listed file is no management header of ALLDATA.KWI: its own header comes first, with its help.
    dump = show(pictures);
    EXPECT_TRUE(
        dump.startsWith(QStringLiteral("1|         < Image Management Distribution Header >||\n2|||Help\n")));
    EXPECT_EQ(row(QStringLiteral("Top Image Data ID")), QStringLiteral("0 x 01 00|(256) "));
    EXPECT_TRUE(dump.endsWith(QStringLiteral("@help format_english/pdf/3300122e.pdf\n")));

    const auto parts = h.Expand(pictures);
    ASSERT_EQ(parts.size(), 3u);
    show(*parts[0]);
    EXPECT_EQ(row(QStringLiteral("Number of Items")), QStringLiteral("4|"));
    show(*parts[0]->children[0]);
    EXPECT_EQ(row(QStringLiteral("Color Table Classification used for Night Time")), QStringLiteral("17|"));
    // The record is three words long: all six classifications are stored.
    EXPECT_EQ(row(QStringLiteral("Color Table Classification used for Night Time Stop")),
              QStringLiteral("0|"));

    dump = show(*parts[1]->children[0]);
    EXPECT_EQ(row(QStringLiteral("Number of Color Codes")).section('|', 0, 0).toInt(), 8);
    EXPECT_TRUE(dump.contains(QStringLiteral("3|Color 1|"))) << dump.toStdString();
    EXPECT_EQ(h.model.Row(h.model.rowCount() - 1).tag, RowTag::ColorSwatch);
    EXPECT_EQ(h.model.Row(h.model.rowCount() - 1).remark, QStringLiteral(" (BGR Value)"));

    RecordNode& images = *parts[2];
    show(images);
    EXPECT_EQ(row(QStringLiteral("Number of Items")).section('|', 0, 0).toInt(),
              int(fixture::standardPictureSet().mainImages.size()));
    const auto records = h.Expand(images);
    const auto& expected = fixture::standardPictureSet().mainImages;
    ASSERT_EQ(records.size(), expected.size());
    sideEffects();
    for (size_t i = 0; i < records.size(); ++i) {
        show(*records[i]);
        const std::vector<std::string> effects = sideEffects();
        const std::string picture = expected[i].expected.isNull()
                                        ? ""
                                        : "@picture " + std::to_string(expected[i].expected.width()) + "x" +
                                              std::to_string(expected[i].expected.height());
        const auto shownPictures = std::count_if(
            effects.begin(), effects.end(), [](const std::string& e) { return e.starts_with("@picture"); });
        if (picture.empty())
            EXPECT_EQ(shownPictures, 0) << expected[i].what;
        else
            EXPECT_NE(std::find(effects.begin(), effects.end(), picture), effects.end()) << expected[i].what;
        // A GIF that does not decode says so, with the decoder's reason.
        const QString error = row(QStringLiteral("Ошибка"));
        EXPECT_EQ(error.startsWith(QStringLiteral("GIF не декодирован|")) && error.section('|', 1) != "",
                  expected[i].what == "truncated GIF")
            << expected[i].what;
    }
    show(*records[3]);
    EXPECT_EQ(row(QStringLiteral("Image Data Type")), QStringLiteral("0 x 02|(2) GIF"));
    show(*records.back());
    EXPECT_EQ(row(QStringLiteral("Image Data Type")), QStringLiteral("0 x 01|(1) Vecor"));

    // The extended picture file: its header only, no management header.
    RecordNode& extended = *files[1];
    ASSERT_EQ(extended.kind, 1315);
    dump = show(extended);
    EXPECT_TRUE(dump.startsWith(
        QStringLiteral("1|         < Extended Picture Data Frame Distribution Header >||\n")));
    EXPECT_EQ(row(QStringLiteral("Equipment_Classification_Code")), QStringLiteral("0 x 00 03|(3) "));
    // The parameter file listed beside them shows its parameters header.
    ASSERT_EQ(files[2]->kind, 1320);
    show(*files[2]);
    EXPECT_EQ(row(QStringLiteral("Number of Records")), QStringLiteral("3|"));
}

TEST_F(PictureViews, BmpPicturesAndTheMoreNode) {
    QImage source(5, 4, QImage::Format_RGB32);
    source.fill(qRgb(10, 200, 30));
    fixture::PictureFile file;
    file.topImageId = 0x10;
    file.paletteSets = {{0, 0, 0, 0}};
    file.images.push_back({3, 0, false, 0, 0, 5, 4, 0, 0, bmpBytes(source)});
    // A BMP that claims 60000 x 60000 pixels in 60 bytes, and one that is not a BMP at all.
    std::vector<uint8_t> huge = bmpBytes(QImage(1, 1, QImage::Format_RGB32));
    for (size_t at : {18u, 22u}) {
        huge[at] = 0x60;
        huge[at + 1] = 0xEA;
        huge[at + 2] = 0;
        huge[at + 3] = 0;
    }
    file.images.push_back({3, 0, false, 0, 0, 1, 1, 0, 0, huge});
    file.images.push_back({3, 0, false, 0, 0, 1, 1, 0, 0, {'N', 'O', 'T', 'B', 'M', 'P'}});
    for (int i = 0; i < 600; ++i)
        file.images.push_back({1, 0, false, 0, 0, 1, 1, 0, 0, {1, 2}});
    const auto reader = std::make_shared<TLN_GraphicManager>(
        std::make_shared<TLN_MemoryStream>(fixture::buildPictureFile(file)), 0);
    auto part = harness::Root(1310, QStringLiteral("PICT.KWI"), reader, reader->SharedStream());
    RecordNode& list = *h.Expand(*part)[2];
    const auto images = h.Expand(list);
    sideEffects();
    show(*images[0]);
    EXPECT_EQ(row(QStringLiteral("Image Data Type")), QStringLiteral("0 x 03|(3) BMP"));
    EXPECT_EQ(sideEffects().back(), "@picture 5x4");
    for (int i : {1, 2}) {
        TLN_ImageDataRecord record;
        ASSERT_TRUE(reader->ReadImageRecord(i, record));
        EXPECT_TRUE(ImageDataPicture(*reader, i, record).isNull()) << i;
    }

    // The more-node shows the record of the image it stands for.
    RecordNode& more = *list.children[499];
    ASSERT_EQ(more.kind, 1231);
    show(more);
    EXPECT_EQ(row(QStringLiteral("Image ID")), QStringLiteral("0 x 00 00 02 03|(515) "));
}

} // namespace
