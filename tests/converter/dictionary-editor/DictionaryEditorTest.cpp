// The dictionary editor driven offscreen: the current entry, editing a translation with Enter and
// Cancel, clearing, deleting down to an empty dictionary, adding and replacing pairs, the search panel,
// and the question about unsaved changes answered by a recording messenger.
#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>
#include <stdexcept>

#include "converter/dictionary-editor/DictionaryEditor.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatEdit.h"

namespace {

class RecordingMessenger : public Messenger {
public:
    QStringList questions;
    QStringList errors;
    bool answer = false;
    void Error(QWidget*, const QString& text) override { errors << text; }
    void Information(QWidget*, const QString&) override {}
    bool Question(QWidget*, const QString& text) override {
        questions << text;
        return answer;
    }
};

LatRusDictionary sample(int count) {
    LatRusDictionary d;
    const char* keys[] = {"Alpha", "Beta", "Gamma", "Delta", "Epsilon", "Zeta", "Eta"};
    for (int i = 0; i < count; ++i)
        d.AddPair(keys[i], std::string("t") + keys[i]);
    d.SetDirty(false);
    return d;
}

struct Editor {
    explicit Editor(LatRusDictionary& d) : dialog(d, messenger) {}
    RecordingMessenger messenger;
    DictionaryEditor dialog;
    template <typename T> T* get(const char* name) {
        T* child = dialog.findChild<T*>(QLatin1String(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QString lat() { return get<QLineEdit>("LatEdit")->text(); }
    QString rus() { return get<QLineEdit>("RusEdit")->text(); }
};

QColor background(QLineEdit* field) {
    return field->palette().color(QPalette::Base);
}

// Saves a picture for a person to look at when STROVANE_SCREENSHOT_DIR is set.
void keep(QWidget& window, const char* name) {
    const QByteArray folder = qgetenv("STROVANE_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    window.grab().save(QString::fromLocal8Bit(folder) + "/" + name);
}

} // namespace

TEST(DictionaryEditor, ShowsTheFirstEntryAndTheCount) {
    LatRusDictionary d = sample(3);
    Editor e(d);
    EXPECT_EQ(e.dialog.windowTitle(), "Dictionary  (3 records)");
    EXPECT_EQ(e.lat(), "Alpha");
    EXPECT_EQ(e.rus(), "tAlpha");
    e.dialog.SelectRow(2);
    EXPECT_EQ(e.lat(), "Gamma");
    EXPECT_EQ(e.dialog.CurrentEntry(), 2);
}

TEST(DictionaryEditor, EditingATranslation) {
    LatRusDictionary d = sample(3);
    Editor e(d);
    auto* rus = e.get<QLineEdit>("RusEdit");
    QTest::keyClicks(rus, "x");
    EXPECT_FALSE(e.get<QPushButton>("DeleteBtn")->isEnabled()) << "editing locks the grid and buttons";
    EXPECT_FALSE(e.get<QTableView>("StringGrid1")->isEnabled());
    EXPECT_TRUE(e.get<QPushButton>("OkEditBtn")->isEnabled());
    e.get<QPushButton>("CancelEditBtn")->click();
    EXPECT_EQ(e.rus(), "tAlpha");
    EXPECT_TRUE(e.get<QPushButton>("DeleteBtn")->isEnabled());

    rus->selectAll();
    QTest::keyClicks(rus, "  new text ");
    QTest::keyClick(rus, Qt::Key_Return);
    EXPECT_EQ(e.rus(), "new text");
    EXPECT_EQ(d.GetTranslation(0), "new text");
    EXPECT_TRUE(e.get<QTableView>("StringGrid1")->isEnabled());
}

TEST(DictionaryEditor, ClearAndDeleteDownToEmpty) {
    LatRusDictionary d = sample(2);
    Editor e(d);
    QSignalSpy count(&e.dialog, &DictionaryEditor::countChanged);
    e.get<QPushButton>("ClearBtn")->click();
    EXPECT_EQ(e.lat(), "Alpha");
    EXPECT_EQ(e.rus(), "");
    e.dialog.SelectRow(1);
    e.get<QPushButton>("DeleteBtn")->click();
    EXPECT_EQ(e.dialog.windowTitle(), "Dictionary  (1 records)");
    EXPECT_EQ(e.dialog.CurrentEntry(), 0) << "the last entry's deletion moves to the new last";
    EXPECT_EQ(e.lat(), "Alpha");
    e.get<QPushButton>("DeleteBtn")->click();
    EXPECT_EQ(count.count(), 2);
    EXPECT_EQ(count.last().at(0).toInt(), 0);
    EXPECT_EQ(e.lat(), "");
    EXPECT_EQ(e.rus(), "");
    EXPECT_FALSE(e.get<QPushButton>("DeleteBtn")->isEnabled());
    EXPECT_FALSE(e.get<QPushButton>("ClearBtn")->isEnabled());
    EXPECT_FALSE(e.get<QLineEdit>("RusEdit")->isEnabled());
}

TEST(DictionaryEditor, AddingAndReplacingPairs) {
    LatRusDictionary d = sample(3);
    Editor e(d);
    auto* add = e.get<QPushButton>("AddBtn");
    add->click();
    EXPECT_EQ(add->text(), QString::fromUtf8("Отмена"));
    EXPECT_FALSE(e.get<QPushButton>("OkAddBtn")->isEnabled());
    QTest::keyClicks(e.get<QLineEdit>("LatAddEdit"), "beta");
    EXPECT_EQ(e.get<QLineEdit>("RusAddEdit")->text(), "tBeta") << "an existing key shows its translation";
    auto* rusAdd = e.get<QLineEdit>("RusAddEdit");
    rusAdd->selectAll();
    QTest::keyClicks(rusAdd, "replaced");
    QTest::keyClick(rusAdd, Qt::Key_Return);
    EXPECT_EQ(d.Count(), 3) << "replacing does not change the count";
    EXPECT_EQ(e.lat(), "Beta");
    EXPECT_EQ(e.rus(), "replaced");
    EXPECT_EQ(add->text(), QString::fromUtf8("Добавить"));

    add->click();
    QTest::keyClicks(e.get<QLineEdit>("LatAddEdit"), "a=b");
    QTest::keyClicks(rusAdd, "v");
    EXPECT_FALSE(e.get<QPushButton>("OkAddBtn")->isEnabled()) << "a key with \"=\" cannot be saved";
    e.get<QLineEdit>("LatAddEdit")->setText("Omega");
    e.get<QPushButton>("OkAddBtn")->click();
    EXPECT_EQ(d.Count(), 4);
    EXPECT_EQ(e.dialog.windowTitle(), "Dictionary  (4 records)");
    EXPECT_EQ(e.lat(), "Omega");
}

TEST(DictionaryEditor, SearchPanel) {
    LatRusDictionary d = sample(7);
    Editor e(d);
    QTest::mouseClick(e.get<QLineEdit>("LatEdit"), Qt::LeftButton);
    auto* search = e.get<QLineEdit>("SearchEdit");
    EXPECT_TRUE(search->isVisible() ||
                e.dialog.findChild<QStackedWidget*>()->currentWidget()->objectName() == "SearchPanel");
    EXPECT_FALSE(e.get<QPushButton>("AddBtn")->isEnabled());
    QTest::keyClicks(search, "ze");
    EXPECT_EQ(e.lat(), "Zeta");
    e.get<QPushButton>("SearchCancelBtn")->click();
    EXPECT_EQ(search->text(), "");
    EXPECT_TRUE(e.get<QPushButton>("AddBtn")->isEnabled());
}

TEST(DictionaryEditor, ClosingWithChangesAsksToSave) {
    LatRusDictionary d = sample(3);
    Editor e(d);
    int saved = 0;
    e.dialog.SetSaver([&] {
        ++saved;
        d.SetDirty(false);
        return true;
    });
    e.dialog.reject();
    EXPECT_TRUE(e.messenger.questions.isEmpty()) << "nothing changed";
    e.get<QPushButton>("ClearBtn")->click();
    e.messenger.answer = true;
    e.dialog.reject();
    EXPECT_EQ(e.messenger.questions, QStringList{QString::fromUtf8("Сохранить словарь?")});
    EXPECT_EQ(saved, 1);
}

TEST(DictionaryEditor, ASaveThatFailsIsReportedAndTheEditorStillCloses) {
    LatRusDictionary d = sample(3);
    Editor e(d);
    e.dialog.SetSaver([]() -> bool { throw std::runtime_error("No space left on device"); });
    e.dialog.show();
    e.get<QPushButton>("ClearBtn")->click();
    e.messenger.answer = true;
    e.dialog.reject();
    EXPECT_EQ(e.messenger.errors, QStringList{"No space left on device"});
    EXPECT_FALSE(e.dialog.isVisible());
}

TEST(DictionaryEditor, FlatFieldsTakeTheInfoTipColourWhileEditingOrMatching) {
    LatRusDictionary d = sample(3);
    Editor e(d);
    const QColor tip = QPalette().color(QPalette::ToolTipBase);
    auto* rus = e.get<FlatLineEdit>("RusEdit");
    ASSERT_NE(rus, nullptr);
    EXPECT_NE(background(rus), tip);
    QTest::keyClicks(rus, "x");
    EXPECT_EQ(background(rus), tip) << "a translation being edited";
    QTest::keyClick(rus, Qt::Key_Return);
    EXPECT_NE(background(rus), tip);

    e.get<FlatButton>("AddBtn")->click();
    auto* latAdd = e.get<FlatLineEdit>("LatAddEdit");
    QTest::keyClicks(latAdd, "gam");
    EXPECT_NE(background(latAdd), tip);
    QTest::keyClicks(latAdd, "ma");
    EXPECT_EQ(background(latAdd), tip) << "a key already in the dictionary";
    latAdd->setText("Gammas");
    EXPECT_NE(background(latAdd), tip);
}

TEST(DictionaryEditor, PicturesOfTheModes) {
    LatRusDictionary d = sample(7);
    Editor e(d);
    e.dialog.resize(520, 420);
    e.dialog.show();
    e.dialog.SelectRow(2);
    keep(e.dialog, "dicteditor-browse.png");
    e.get<QPushButton>("AddBtn")->click();
    QTest::keyClicks(e.get<QLineEdit>("LatAddEdit"), "Delta");
    keep(e.dialog, "dicteditor-add.png");
    e.get<QPushButton>("AddBtn")->click();
    QTest::mouseClick(e.get<QLineEdit>("LatEdit"), Qt::LeftButton);
    QTest::keyClicks(e.get<QLineEdit>("SearchEdit"), "ep");
    keep(e.dialog, "dicteditor-search.png");
    EXPECT_EQ(e.dialog.findChild<QStackedWidget*>()->currentWidget()->objectName(), "SearchPanel");
}

TEST(DictionaryEditor, DeletingAMiddleEntryShowsTheOneThatTakesItsPlace) {
    LatRusDictionary d = sample(7);
    Editor e(d);
    e.dialog.show();
    for (int row : {2, 0, 1}) {
        e.dialog.SelectRow(row);
        const std::string next = d.GetLatin(row + 1);
        e.get<QPushButton>("DeleteBtn")->click();
        EXPECT_EQ(e.dialog.CurrentEntry(), row);
        EXPECT_EQ(e.lat().toStdString(), next);
        EXPECT_EQ(e.dialog.findChild<QTableView*>()->currentIndex().row(), row);
    }
}
