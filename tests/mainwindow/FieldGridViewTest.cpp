// The field grid on screen (offscreen): what a paint reads of virtual rows, how tagged rows look, the Help
// link and the jump to the hex viewer.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <set>

#include "mainwindow/FieldGridView.h"
#include "mainwindow/model/FieldGrid.h"
#include "widgets/Services.h"

namespace {

class RecordingUrlOpener : public UrlOpener {
public:
    bool Open(const QUrl& url) override {
        opened.push_back(url);
        return true;
    }
    std::vector<QUrl> opened;
};

class FieldGridViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.SetGridModel(&model);
        view.resize(1000, 600);
    }

    QImage Shot() {
        view.show();
        view.clearSelection();
        return view.viewport()->grab().toImage();
    }

    QPoint CellCentre(int row, int column) const {
        return view.visualRect(model.index(row, column)).center();
    }

    void Send(QEvent::Type type, const QPoint& at) {
        QMouseEvent event(type, at, view.viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &event);
    }
    void Click(int row, int column) {
        const QPoint at = CellCentre(row, column);
        Send(QEvent::MouseButtonPress, at);
        Send(QEvent::MouseButtonRelease, at);
    }
    void DoubleClick(int row, int column) {
        Click(row, column);
        const QPoint at = CellCentre(row, column);
        Send(QEvent::MouseButtonDblClick, at);
        Send(QEvent::MouseButtonRelease, at);
    }

    FieldGridModel model;
    FieldGrid grid{model};
    FieldGridView view;
};

} // namespace

TEST_F(FieldGridViewTest, ColumnsKeepTheirWidthsAndRowsTheirHeight) {
    grid.AddSectionHeader("Record");
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(view.columnWidth(column), FieldGridModel::kColumnWidths[column]);
    view.setColumnWidth(0, 50);
    grid.Clear(); // a cleared grid is the grid as it started
    EXPECT_EQ(view.columnWidth(0), 350);
    EXPECT_EQ(view.columnWidth(1), 180);
    EXPECT_EQ(view.columnWidth(2), 450);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Value");
    EXPECT_EQ(view.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
}

TEST_F(FieldGridViewTest, PaintingAHugeVirtualGridReadsOnlyVisibleRows) {
    std::set<int> rowsRead;
    grid.AddSectionHeader("Blocks");
    grid.SetVirtualRows(100000, [&](int row, int column, QString& text) {
        rowsRead.insert(row);
        text = QStringLiteral("Block %1 / %2").arg(row).arg(column);
        return true;
    });
    view.show();
    view.grab();
    EXPECT_GT(rowsRead.size(), 0u);
    EXPECT_LE(rowsRead.size(), 1000u);
    view.scrollToBottom();
    view.grab();
    EXPECT_TRUE(rowsRead.count(99999));
    EXPECT_LE(rowsRead.size(), 1000u);
}

TEST_F(FieldGridViewTest, TaggedRowsArePaintedByTheirTag) {
    grid.AddSectionHeader("Palette");       // row 0
    grid.AddSubHeader("Colours");           // row 2
    grid.AddColorRow("Colour", 0x00336699); // row 3
    grid.AddImage([] {
        QImage image(20, 40, QImage::Format_ARGB32);
        image.fill(QColor(0, 200, 0));
        return image;
    }());
    grid.AddImageRow("Image", 0); // row 4
    grid.AddEmptyRow();
    grid.SetHelpLink("doc");            // row 5
    grid.AddTextRow("Plain", "v", "r"); // row 6

    EXPECT_EQ(view.rowHeight(4), 48);
    EXPECT_EQ(view.rowHeight(6), view.rowHeight(3));
    const QImage shot = Shot();
    const QPalette palette = view.palette();

    const QRect header = view.visualRect(model.index(0, 0));
    const QRgb headerFill = shot.pixel(header.right() - 5, header.center().y());
    EXPECT_NE(headerFill, palette.color(QPalette::Base).rgb());
    EXPECT_EQ(headerFill, palette.color(QPalette::ToolTipBase).rgb());

    const QRect sub = view.visualRect(model.index(2, 0));
    EXPECT_EQ(shot.pixel(sub.right() - 5, sub.center().y()), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(view.columnViewportPosition(1) + 5, sub.center().y()), qRgb(255, 0, 0)); // spans

    // 0x00BBGGRR: red 0x99, green 0x66, blue 0x33; framed in black.
    const QRect colour = view.visualRect(model.index(3, 2));
    EXPECT_EQ(shot.pixel(colour.left() + 15, colour.center().y()), qRgb(0x99, 0x66, 0x33));
    EXPECT_EQ(shot.pixel(colour.left() + 3, colour.center().y()), qRgb(0, 0, 0));
    EXPECT_EQ(shot.pixel(colour.left() + 32, colour.center().y()), qRgb(0, 0, 0));
    EXPECT_NE(shot.pixel(colour.left() + 35, colour.center().y()), qRgb(0x99, 0x66, 0x33));

    const QRect image = view.visualRect(model.index(4, 2));
    EXPECT_EQ(shot.pixel(image.left() + 4, image.top() + 4), qRgb(0, 200, 0));
    EXPECT_EQ(shot.pixel(image.left() + 23, image.top() + 43), qRgb(0, 200, 0));
    EXPECT_NE(shot.pixel(image.left() + 2, image.top() + 2), qRgb(0, 200, 0));

    const QRect help = view.visualRect(model.index(5, 2));
    EXPECT_EQ(shot.pixel(help.left() + 1, help.center().y()), palette.color(QPalette::Dark).rgb());
    EXPECT_EQ(shot.pixel(help.left() + 60, help.center().y()), palette.color(QPalette::Dark).rgb());
    EXPECT_EQ(shot.pixel(help.left() + 10, help.center().y()), palette.color(QPalette::Button).rgb());

    const QRect plain = view.visualRect(model.index(6, 0));
    EXPECT_EQ(shot.pixel(plain.right() - 5, plain.center().y()), palette.color(QPalette::Base).rgb());
}

TEST_F(FieldGridViewTest, HelpClickOpensTheDocumentOfAHelpRowOnly) {
    RecordingUrlOpener opener;
    view.SetUrlOpener(&opener);
    view.SetHelpBase(QUrl("https://kiwi.example/standard/"));
    grid.AddSectionHeader("Management Header");
    grid.SetHelpLink("format_english/pdf/0500122e.pdf");
    grid.AddTextRow("Text", {}, "Help"); // row 2 says "Help" but is no link
    view.show();

    Click(2, 2);
    Click(1, 1);
    EXPECT_TRUE(opener.opened.empty());
    Click(1, 2);
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], QUrl("https://kiwi.example/standard/format_english/pdf/0500122e.pdf"));
    // Tab reaches the link, and Enter opens it.
    view.setCurrentIndex(model.index(1, 1));
    for (const int key : {int(Qt::Key_Tab), int(Qt::Key_Return)}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&view, &press);
    }
    EXPECT_EQ(opener.opened.size(), 2u);
    // From the title, Tab stops on the link and not on the link row's empty cells; Shift+Tab goes back.
    view.setCurrentIndex(model.index(0, 0));
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(&view, &tab);
    EXPECT_EQ(view.currentIndex(), model.index(1, 2));
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier);
    QApplication::sendEvent(&view, &back);
    EXPECT_EQ(view.currentIndex().row(), 0);
}

TEST_F(FieldGridViewTest, AddressRowsJumpFromTheMenuAndOnDoubleClick) {
    grid.AddInt64HexRow("Data Address", {}, 0x1234);     // row 0
    grid.AddInt64HexRow("Data Address", {}, 0xFFFFFFFF); // row 1
    grid.AddHexDecRow("DISPLACEMENT", {}, 0x40);         // row 2
    std::vector<qint64> jumps;
    QObject::connect(&view, &FieldGridView::jumpRequested, [&](qint64 offset) { jumps.push_back(offset); });
    view.show();

    DoubleClick(1, 0);
    DoubleClick(2, 1);
    EXPECT_TRUE(jumps.empty());
    DoubleClick(0, 1);
    EXPECT_EQ(jumps, std::vector<qint64>{0x1234});

    EXPECT_EQ(view.JumpAction()->text(), QStringLiteral(u"Показать данные по Адресу"));
    EXPECT_EQ(view.ContextMenu()->actions().size(), 1);
    emit view.customContextMenuRequested(CellCentre(1, 2));
    EXPECT_FALSE(view.JumpAction()->isEnabled());
    view.ContextMenu()->close();
    emit view.customContextMenuRequested(CellCentre(2, 0));
    EXPECT_FALSE(view.JumpAction()->isEnabled());
    view.ContextMenu()->close();
    emit view.customContextMenuRequested(CellCentre(0, 2));
    EXPECT_TRUE(view.JumpAction()->isEnabled());
    view.JumpAction()->trigger();
    view.ContextMenu()->close();
    EXPECT_EQ(jumps, (std::vector<qint64>{0x1234, 0x1234}));
}
