// The names page's dictionary through the wizard: loading and saving as background work with the page
// disabled, the file a save writes loading back as a dictionary, a file of no pairs refused, and the
// editor's "save?" on closing asking where when the dictionary was never saved.
#include <QApplication>
#include <QStackedWidget>
#include <QTimer>

#include "WizardTestSupport.h"
#include "converter/dictionary-editor/DictionaryEditor.h"
#include "converter/wizard/ConverterWizardDictionary.h"

namespace {

using wizardtest::control;

using windowtest::waitUntil;

class WizardDictionaryWorkTest : public wizardtest::WizardTest {
protected:
    void SetUp() override {
        wizard = std::make_unique<ConverterWizard>(plainSource(), services, taskBar, true);
        wizard->SetDictionary(std::make_unique<EditorWizardDictionary>(messenger));
        control<QCheckBox>(*wizard, "translateCheckBox")->click();
        nextTo(*wizard, WizardPage::Translate);
    }
    void writeFile(const char* name, const QByteArray& bytes) {
        std::ofstream(spath(name)) << bytes.toStdString();
    }
    QWidget* page() const {
        return control<QStackedWidget>(*wizard, "pageControl")->widget(int(WizardPage::Translate));
    }
    void load(const QString& name) {
        paths.answer = path(name);
        wizard->LoadDictionaryBtnClick();
        ASSERT_TRUE(waitUntil([&] { return !wizard->DictionaryBusy(); }, 10000));
    }
    std::unique_ptr<ConverterWizard> wizard;
};

TEST_F(WizardDictionaryWorkTest, LoadingAndSavingRunInTheBackgroundWithThePageDisabled) {
    QByteArray text;
    for (int i = 0; i < 20000; ++i)
        text += "Key" + QByteArray::number(i) + "=\xC0\xC1\r\n";
    writeFile("big.txt", text);
    paths.answer = path("big.txt");
    wizard->LoadDictionaryBtnClick();
    // The click returns before the file is read: the window keeps answering meanwhile.
    EXPECT_TRUE(wizard->DictionaryBusy());
    EXPECT_FALSE(page()->isEnabled());
    EXPECT_FALSE(control<QPushButton>(*wizard, "nextBtn")->isEnabled());
    EXPECT_FALSE(control<QPushButton>(*wizard, "backBtn")->isEnabled());
    EXPECT_TRUE(control<QProgressBar>(*wizard, "progressBar1")->isVisibleTo(wizard.get()));
    ASSERT_TRUE(waitUntil([&] { return !wizard->DictionaryBusy(); }, 10000));
    EXPECT_TRUE(page()->isEnabled());
    EXPECT_TRUE(control<QPushButton>(*wizard, "nextBtn")->isEnabled());
    EXPECT_TRUE(control<QPushButton>(*wizard, "backBtn")->isEnabled());
    EXPECT_EQ(wizard->RunState().CountText(), QStringLiteral("20000 записей в словаре"));

    paths.answer = path("saved.txt");
    wizard->SaveDictionaryBtnClick();
    EXPECT_TRUE(wizard->DictionaryBusy());
    EXPECT_FALSE(page()->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return !wizard->DictionaryBusy(); }, 10000));
    EXPECT_TRUE(page()->isEnabled());
    EXPECT_TRUE(messenger.errors.isEmpty()) << messenger.errors.join("; ").toStdString();
}

TEST_F(WizardDictionaryWorkTest, SaveOffersTheTextFilterFromTheFileLoadedAndWritesWhatLoadsBack) {
    writeFile("words.txt", "Moskva=\xCC\xEE\xF1\xEA\xE2\xE0\r\nTver=\xD2\xE2\xE5\xF0\xFC\r\n");
    load("words.txt");
    paths.answer = path("saved.txt");
    wizard->SaveDictionaryBtnClick();
    ASSERT_TRUE(waitUntil([&] { return !wizard->DictionaryBusy(); }, 10000));
    ASSERT_FALSE(paths.calls.empty());
    EXPECT_EQ(paths.calls.back().kind, "save");
    EXPECT_EQ(paths.calls.back().filter, QStringLiteral("Dictionary File(*.TXT *.txt)"));
    EXPECT_EQ(paths.calls.back().start, path("words.txt"));
    LatRusDictionary reloaded;
    EXPECT_EQ(reloaded.LoadFromTextFile(spath("saved.txt")).pairs, 2);
    EXPECT_EQ(reloaded.TranslateName("TVER", false), "\xD2\xE2\xE5\xF0\xFC");
}

TEST_F(WizardDictionaryWorkTest, AFileWithoutPairsIsRefusedAndOtherLinesAreCounted) {
    writeFile("words.txt", "Moskva=M\r\nTver=T\r\n");
    load("words.txt");
    messenger.information.clear();
    writeFile("notes.txt", "these are notes\r\nnot a dictionary\r\n");
    load("notes.txt");
    ASSERT_EQ(messenger.information.size(), 1);
    EXPECT_TRUE(messenger.information.last().contains(QStringLiteral("нет строк вида ключ=значение")));
    EXPECT_EQ(wizard->RunState().CountText(), QStringLiteral("2 записей в словаре"));
    writeFile("mixed.txt", "Orel=O\r\n# a comment\r\nKursk=K\r\n");
    load("mixed.txt");
    ASSERT_EQ(messenger.information.size(), 2);
    EXPECT_TRUE(messenger.information.last().contains(QStringLiteral("пропущены: 1.")))
        << messenger.information.last().toStdString();
    EXPECT_EQ(wizard->RunState().CountText(), QStringLiteral("4 записей в словаре"));
}

TEST_F(WizardDictionaryWorkTest, YesToSaveOnClosingTheEditorAsksWhereWhenNeverSaved) {
    writeFile("words.txt", "Alpha=A\r\nBeta=B\r\nGamma=G\r\n");
    load("words.txt");
    messenger.answer = true;
    paths.answer = path("edited.txt");
    const size_t choicesBefore = paths.calls.size();
    // The editor is modal: it is driven once it shows, then closed.
    QTimer::singleShot(0, [] {
        auto* editor = qobject_cast<DictionaryEditor*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        editor->SelectRow(1);
        editor->findChild<QPushButton*>(QStringLiteral("DeleteBtn"))->click();
        editor->reject();
    });
    wizard->ShowDictionaryBtnClick();
    ASSERT_TRUE(waitUntil([&] { return !wizard->DictionaryBusy(); }, 10000));
    EXPECT_EQ(messenger.questions, QStringList{QStringLiteral("Сохранить словарь?")});
    ASSERT_EQ(paths.calls.size(), choicesBefore + 1);
    EXPECT_EQ(paths.calls.back().kind, "save");
    LatRusDictionary edited;
    EXPECT_EQ(edited.LoadFromTextFile(spath("edited.txt")).pairs, 2);
    EXPECT_EQ(edited.IndexOfLatin("Beta"), -1);
    EXPECT_EQ(wizard->RunState().CountText(), QStringLiteral("2 записей в словаре"));
}

} // namespace
