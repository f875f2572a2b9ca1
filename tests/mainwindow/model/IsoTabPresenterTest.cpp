// The ISO tab's rules without widgets, over an image made with xorriso: what opening each kind of row does,
// what the pop-up menu allows on each row (with an extraction running too), and that a directory change or
// closing forgets the menu's row.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "kiwi/disc/FileManager.h"
#include "mainwindow/model/IsoTabPresenter.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "support/fixtures/QtPrinting.h"

namespace {

using Opened = IsoTabPresenter::Opened;
using MenuState = IsoTabPresenter::MenuState;

class IsoTabPresenterTest : public ::testing::Test {
protected:
    void SetUp() override {
        KIWI_NEED_XORRISO();
        const std::string content = (dir.path() + "/content").toStdString();
        fixture::CmpListEntryPlan entry;
        entry.name = "ALLDATA.KWI";
        entry.type = 2;
        fixture::writeFile(content + "/ALLDATA.KWI",
                           fixture::buildCmpDataFile(std::vector<uint8_t>(300, 7), entry));
        fixture::writeFile(content + "/05.CMP", fixture::buildCmpList({entry}));
        fixture::writeFile(content + "/DATA/PICTURE.PNG", std::vector<uint8_t>(100, 3));
        const std::string image = (dir.path() + "/disc.iso").toStdString();
        fixture::makeIsoWithXorriso(content, image);
        ASSERT_TRUE(OpenISOImage(image));
    }
    void TearDown() override {
        presenter.Clear();
        CloseISOImage();
    }
    int row(const QString& name) const {
        for (size_t i = 0; i < presenter.Items().size(); ++i)
            if (presenter.Items()[i].name == name) return int(i);
        return -1;
    }

    QTemporaryDir dir;
    IsoTabPresenter presenter;
};

TEST_F(IsoTabPresenterTest, TheMenuAllowsWhatItsRowAllows) {
    presenter.ShowRoot();
    const struct {
        const char* name;
        bool extractionRunning;
        MenuState state;
    } cases[] = {
        // Listed in the image's compression list with a compressed type: unpacking too.
        {"ALLDATA.KWI", false, {true, true, true, true}},
        {"05.CMP", false, {true, true, false, true}},
        // One extraction at a time.
        {"05.CMP", true, {true, false, false, true}},
        {"DATA", false, {false, false, false, true}},
    };
    for (const auto& c : cases) {
        const int at = row(QString::fromLatin1(c.name));
        ASSERT_GE(at, 0) << c.name;
        EXPECT_EQ(presenter.ChooseMenuRow(at, c.extractionRunning), c.state) << c.name;
        EXPECT_EQ(presenter.MenuFile() != nullptr, c.state.openInHexViewer) << c.name;
    }
    EXPECT_EQ(presenter.ChooseMenuRow(-1, false), (MenuState{false, false, false, true}));
    EXPECT_EQ(presenter.MenuFile(), nullptr);
}

TEST_F(IsoTabPresenterTest, OpeningARowListsItsDirectoryOrChoosesItsFile) {
    int changes = 0;
    QObject::connect(&presenter, &IsoTabPresenter::ItemsChanged, [&] { ++changes; });
    presenter.ShowRoot();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(presenter.Open(int(presenter.Items().size())), Opened::Nothing);

    EXPECT_EQ(presenter.Open(row("ALLDATA.KWI")), Opened::File);
    ASSERT_NE(presenter.MenuFile(), nullptr);
    EXPECT_EQ(presenter.MenuFile()->name, "ALLDATA.KWI");

    EXPECT_EQ(presenter.Open(row("DATA")), Opened::Directory);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(presenter.MenuFile(), nullptr);
    ASSERT_EQ(presenter.Items().size(), 2u);
    EXPECT_EQ(presenter.Items()[0].name, "/\\");
    EXPECT_EQ(presenter.Items()[1].name, "PICTURE.PNG");
    EXPECT_EQ(presenter.Open(0), Opened::Directory);
    EXPECT_GE(row("ALLDATA.KWI"), 0);

    presenter.Open(row("ALLDATA.KWI"));
    presenter.Clear();
    EXPECT_TRUE(presenter.Items().empty());
    EXPECT_EQ(presenter.MenuFile(), nullptr);
    // Without the image's list nothing unpacks, and without a mounted image there is nothing to list.
    CloseISOImage();
    presenter.ShowRoot();
    EXPECT_TRUE(presenter.Items().empty());
    EXPECT_EQ(presenter.ChooseMenuRow(0, false), MenuState{});
}

} // namespace
