// Pictures of the main window's tabs for a person to review: each must show something (not one colour),
// and with STROVANE_SCREENSHOT_DIR set they are saved there as PNG files.
#include <QDir>
#include <QImage>
#include <QTabWidget>
#include <QTreeView>

#include "WindowTestSupport.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/HexViewPlaceholder.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "mainwindow/model/ReopenList.h"
#include "support/fixtures/SourceFolderFixture.h"

namespace {

using windowtest::WindowTest;

bool uniform(const QImage& image) {
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            if (image.pixel(x, y) != first) return false;
    return true;
}

void keep(const QImage& image, const char* name) {
    const QByteArray folder = qgetenv("STROVANE_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    image.save(QString::fromLocal8Bit(folder) + "/" + name);
}

class ScreenshotTest : public WindowTest {};

TEST_F(ScreenshotTest, TabsShowTheirContent) {
    fixture::writeSourceFolder(spath("disc"));
    ReopenList list;
    for (const char* p : {"/media/cdrom", "/home/user/Навигация/Европа 2012/ALLDATA.KWI"})
        list.Add(QString::fromUtf8(p));
    list.Add(path("disc"));

    HexViewPlaceholder hexWindow;
    MainWindow window(services);
    window.SetHexViewer(&hexWindow);
    window.show();
    window.OnReopenChanged();
    window.FinishReopenAnimation();
    const QImage open = window.grab().toImage();
    EXPECT_FALSE(uniform(open));
    keep(open, "open-tab.png");

    ASSERT_TRUE(window.OpenDiskOrFolder(path("disc"), false));
    const RecordNode* first = window.Tree().Roots().front().get();
    window.DataTab()->treeView->setCurrentIndex(window.TreeModel()->IndexOf(first));
    const QImage data = window.grab().toImage();
    EXPECT_FALSE(uniform(data));
    keep(data, "data-tab.png");
    EXPECT_TRUE(window.IsTabShown(&hexWindow));

    window.Tabs()->setCurrentWidget(&hexWindow);
    keep(window.grab().toImage(), "hex-tab.png");
    window.Tabs()->setCurrentIndex(window.Tabs()->count() - 1);
    const QImage map = window.grab().toImage();
    EXPECT_FALSE(uniform(map));
    keep(map, "map-tab.png");
}

} // namespace
