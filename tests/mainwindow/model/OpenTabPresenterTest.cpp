// The Open tab's rules without widgets: where each reopen label and button leads for every kind of stored
// path, what an opening leaves behind (setting, button, list), and the reopen labels typed in or shown whole.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "mainwindow/model/OpenTabPresenter.h"
#include "platform/RegistrySettings.h"
#include "support/fixtures/QtPrinting.h"
#include "support/fixtures/ScopedEnvironment.h"

namespace {

using Source = OpenTabPresenter::Source;

class OpenTabPresenterTest : public ::testing::Test {
protected:
    OpenTabPresenterTest() {
        QDir(files.path()).mkpath(QStringLiteral("disc"));
        for (const char* name : {"map.iso", "MAP2.ISO", "map3.Iso", "ALLDATA.KWI", "iso"})
            touch(QString::fromLatin1(name));
    }
    QString path(const QString& name) const { return files.filePath(name); }
    void touch(const QString& name) const {
        QFile file(path(name));
        file.open(QIODevice::WriteOnly);
    }

    QTemporaryDir config;
    QTemporaryDir files;
    fixture::ScopedEnvironment configHome{"XDG_CONFIG_HOME", config.path().toUtf8()};
    OpenTabPresenter presenter;
};

TEST_F(OpenTabPresenterTest, AReopenLabelOpensWhatItsPathIsNow) {
    const struct {
        const char* name;
        Source source;
    } cases[] = {
        {"map.iso", Source::Iso},      {"MAP2.ISO", Source::Iso},  {"map3.Iso", Source::Iso},
        {"ALLDATA.KWI", Source::File}, {"iso", Source::File},      {"disc", Source::Folder},
        {"gone", Source::Disk},        {"gone.iso", Source::Disk},
    };
    for (const auto& c : cases) {
        presenter.AddToReopenList(path(QString::fromLatin1(c.name)));
        presenter.LoadReopenList();
        const auto target = presenter.ReopenLabelTarget(0);
        ASSERT_TRUE(target.has_value()) << c.name;
        EXPECT_EQ(*target, (OpenTabPresenter::Target{c.source, path(QString::fromLatin1(c.name))})) << c.name;
    }
    EXPECT_FALSE(presenter.ReopenLabelTarget(-1).has_value());
    EXPECT_FALSE(presenter.ReopenLabelTarget(presenter.Reopen().Count()).has_value());
}

TEST_F(OpenTabPresenterTest, AReopenButtonOpensItsStoredPathOnlyWhileItIsOfItsKind) {
    const struct {
        Source source;
        const char* stored;
        bool opens;
    } cases[] = {
        {Source::Disk, "disc", true},   {Source::Disk, "map.iso", false}, {Source::Disk, "gone", false},
        {Source::Folder, "disc", true}, {Source::Folder, "gone", false},  {Source::File, "ALLDATA.KWI", true},
        {Source::File, "disc", false},  {Source::Iso, "map.iso", true},   {Source::Iso, "gone.iso", false},
    };
    for (const auto& c : cases) {
        const QString stored = path(QString::fromLatin1(c.stored));
        RegWriteString(OpenTabPresenter::SettingName(c.source), stored);
        EXPECT_EQ(presenter.ReopenButtonTarget(c.source).path, c.opens ? stored : QString()) << c.stored;
    }
    RegWriteString(QStringLiteral("Disk"), QString());
    EXPECT_TRUE(presenter.ReopenButtonTarget(Source::Disk).path.isEmpty());
}

TEST_F(OpenTabPresenterTest, AnOpeningStoresItsSettingShowsItsButtonAndListsItOnce) {
    RegWriteString(QStringLiteral("Folder"), path("disc"));
    presenter.ReadSettings();
    EXPECT_TRUE(presenter.ReopenButtonShown(Source::Folder));
    EXPECT_FALSE(presenter.ReopenButtonShown(Source::Iso));

    int buttonsChanged = 0;
    QObject::connect(&presenter, &OpenTabPresenter::ReopenButtonsChanged, [&] { ++buttonsChanged; });
    EXPECT_TRUE(presenter.Opened(Source::Iso, path("map.iso")));
    EXPECT_TRUE(presenter.ReopenButtonShown(Source::Iso));
    EXPECT_EQ(RegReadString(QStringLiteral("IsoFile")), path("map.iso"));
    EXPECT_EQ(buttonsChanged, 1);
    // The same path again is listed once and the buttons stay as they are; a path with a line break is
    // not listed (nobody is told), though its setting is kept.
    EXPECT_TRUE(presenter.Opened(Source::Iso, path("map.iso")));
    EXPECT_FALSE(presenter.Opened(Source::File, path("two\nlines")));
    EXPECT_EQ(buttonsChanged, 2);
    presenter.LoadReopenList();
    EXPECT_EQ(presenter.Reopen().Paths(), QStringList{path("map.iso")});
}

TEST_F(OpenTabPresenterTest, TheConverterStartsFromNoMapOrAConvertibleOne) {
    const struct {
        bool available, mapOpen, convertible, enabled;
    } cases[] = {
        {false, false, false, false}, {false, true, true, false}, {true, false, false, true},
        {true, true, false, false},   {true, true, true, true},
    };
    for (const auto& c : cases) {
        presenter.SetConverterAvailable(c.available);
        presenter.SetOpenMap(c.mapOpen, c.convertible);
        EXPECT_EQ(presenter.ConverterEnabled(), c.enabled) << c.available << c.mapOpen << c.convertible;
    }
}

TEST_F(OpenTabPresenterTest, LabelsAreTypedWhileSeenAndShownWholeOtherwise) {
    for (const char* name : {"map.iso", "disc"})
        presenter.AddToReopenList(path(QString::fromLatin1(name)));
    presenter.SetElider([](const QString& full) { return full.right(12); });
    presenter.RestartAnimation();
    EXPECT_TRUE(presenter.AnimationStarted());

    EXPECT_TRUE(presenter.Tick(true));
    EXPECT_TRUE(presenter.Label(0).visible);
    EXPECT_EQ(presenter.Label(0).text, path("disc").right(12).left(ReopenAnimation::kCharactersPerTick));
    int ticks = 1;
    while (presenter.Tick(true))
        ASSERT_LT(++ticks, 100);
    EXPECT_EQ(presenter.Label(0).text, path("disc").right(12));
    EXPECT_EQ(presenter.Label(1).text, path("map.iso").right(12));
    EXPECT_FALSE(presenter.Label(2).visible);
    EXPECT_EQ(presenter.LabelToolTip(1), path("map.iso"));
    EXPECT_TRUE(presenter.LabelToolTip(2).isEmpty());

    // Off the tab the typing ends at once with every label whole, and starts over when seen again.
    presenter.AddToReopenList(path("ALLDATA.KWI"));
    presenter.RestartAnimation();
    EXPECT_FALSE(presenter.Tick(false));
    EXPECT_EQ(presenter.Label(0).text, path("ALLDATA.KWI").right(12));
    EXPECT_TRUE(presenter.Label(2).visible);
    EXPECT_TRUE(presenter.Tick(true));
    EXPECT_EQ(presenter.Label(0).text.size(), ReopenAnimation::kCharactersPerTick);
}

} // namespace
