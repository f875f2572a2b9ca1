// Pictures of the converter wizard for a person to look at (saved when STROVANE_SCREENSHOT_DIR is set):
// the loading page after the sample town's import, the dictionary editor opened from the names page, and
// the finish and completion pages after a conversion of the sample disc. Each page shows what it must.
#include <QApplication>
#include <QDir>
#include <QTimer>

#include "WizardTestSupport.h"
#include "converter/dictionary-editor/DictionaryEditor.h"
#include "converter/wizard/ConverterWizardDictionary.h"
#include "converter/wizard/MpWizardImporter.h"
#include "sample-disc/TownPolishMap.h"
#include "support/converter/ConversionTestSupport.h"
#include "tools/sample-disc/SampleDiscFolder.h"

namespace {

using wizardtest::control;

using windowtest::waitUntil;

void keep(QWidget& window, const char* name) {
    const QByteArray folder = qgetenv("STROVANE_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    window.grab().save(QString::fromLocal8Bit(folder) + "/" + name);
}

class WizardPicturesTest : public wizardtest::WizardTest {};

TEST_F(WizardPicturesTest, LoadingEditorFinishAndCompletion) {
    const ConverterSource source = ReadConverterSource(sampleDiscFile("ALLDATA.KWI"));
    ASSERT_TRUE(source.mapOpen);
    QString error;
    ASSERT_TRUE(writeTownPolishMap(path("sample-disc-town.mp"), error));
    ConverterWizard wizard(source, services, taskBar, true);
    wizard.SetImporter(std::make_unique<MpWizardImporter>());
    wizard.SetDictionary(std::make_unique<EditorWizardDictionary>(messenger));
    wizard.resize(900, 640);
    wizard.show();

    nextTo(wizard, WizardPage::Translate);
    control<QCheckBox>(wizard, "translateCheckBox")->click();
    std::ofstream(spath("words.txt"))
        << ("Lenina=\xCB\xE5\xED\xE8\xED\xE0\r\nMira=\xCC\xE8\xF0\xE0\r\nSadovaya="
            "\xD1\xE0\xE4\xEE\xE2\xE0\xFF\r\n"
            "Tsentralnaya=\xD6\xE5\xED\xF2\xF0\xE0\xEB\xFC\xED\xE0\xFF\r\nVokzalnaya="
            "\xC2\xEE\xEA\xE7\xE0\xEB\xFC"
            "\xED\xE0\xFF\r\nZarechnaya=\xC7\xE0\xF0\xE5\xF7\xED\xE0\xFF\r\n");
    paths.answer = path("words.txt");
    wizard.LoadDictionaryBtnClick();
    ASSERT_TRUE(waitUntil([&] { return !wizard.DictionaryBusy(); }, 10000));
    keep(wizard, "wizard-names.png");
    bool editorShown = false;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<DictionaryEditor*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        editorShown = editor->windowTitle() == QStringLiteral("Dictionary  (6 records)");
        editor->resize(520, 420);
        editor->SelectRow(2);
        keep(*editor, "wizard-dictionary-editor.png");
        editor->reject();
    });
    wizard.ShowDictionaryBtnClick();
    EXPECT_TRUE(editorShown);
    // Imported buildings and translated names do not go into one run.
    control<QCheckBox>(wizard, "translateCheckBox")->click();

    nextTo(wizard, WizardPage::Loading);
    paths.answers = {path("sample-disc-town.mp")};
    wizard.LoadMpBtnClick();
    ASSERT_TRUE(waitUntil([&] { return wizard.RunState().LoadOn(); }, 30000));
    EXPECT_TRUE(control<QPlainTextEdit>(wizard, "addMemo")
                    ->toPlainText()
                    .contains(QStringLiteral("Найдено на карте")));
    EXPECT_TRUE(control<QLabel>(wizard, "urlLabel1")->isVisible());
    EXPECT_TRUE(control<QLabel>(wizard, "urlLabel2")->isVisible());
    keep(wizard, "wizard-loading.png");

    wizard.SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(wizard, WizardPage::File);
    wizard.NextBtnClick();
    ASSERT_TRUE(waitUntil(
        [&] { return !wizard.CreationRunning() && !control<QTimer>(wizard, "elapsedClock")->isActive(); },
        60000));
    ASSERT_EQ(wizard.CurrentPage(), WizardPage::Finish);
    EXPECT_TRUE(wizard.RunState().SizeText().startsWith(QStringLiteral("Output File Size: ")));
    keep(wizard, "wizard-finish.png");
    wizard.NextBtnClick();
    ASSERT_EQ(wizard.CurrentPage(), WizardPage::Completion);
    keep(wizard, "wizard-completion.png");
    control<QCheckBox>(wizard, "regionCheckBox")->click();
    control<QPushButton>(wizard, "processingButton")->click();
    ASSERT_TRUE(waitUntil([&] { return wizard.Model().NextOn(); }, 60000));
    EXPECT_TRUE(control<QLabel>(wizard, "reportLabel")->isVisible());
    keep(wizard, "wizard-completion-report.png");
    wizard.reject();
}

TEST_F(WizardPicturesTest, TheFinishPageSaysWhatTheRunLeftOut) {
    // A map whose management data has no room for the extra level the user asked for.
    const auto f = convtest::makeSource("wizard-crowded", convtest::crowdedManagementPlan());
    auto wizard = make(plainSource());
    wizard->SetCreationFactory([&](const std::string&, ConversionOptions options, const WizardRunInputs&) {
        options.addExtraLevel = true;
        auto run = std::make_shared<ConversionRun>(f.allData, options);
        run->SetBuildingData(
            std::make_shared<const std::vector<uint8_t>>(convtest::extraLevelData(f.allData)));
        return ConversionWork(
            [run](ConversionProgress& p, const std::atomic<bool>& s) { return run->Execute(p, s); });
    });
    wizard->resize(900, 640);
    wizard->show();
    wizard->SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(*wizard, WizardPage::Creation);
    ASSERT_TRUE(waitUntil([&] { return wizard->CurrentPage() == WizardPage::Finish; }, 60000));
    const QString note =
        QStringLiteral("Дополнительный уровень (25 м) не создан: в данных управления основной "
                       "карты (130880 байт) нет места для его таблиц блоков, предел 131040 байт");
    EXPECT_EQ(messenger.information, QStringList{note});
    EXPECT_TRUE(control<QLabel>(*wizard, "reportLabel")->text().endsWith(note));
    // The label's time is the log's.
    EXPECT_TRUE(control<QPlainTextEdit>(*wizard, "finishMemo")
                    ->toPlainText()
                    .contains(QStringLiteral("Elapsed time: ") + wizard->RunState().ElapsedText()));
    keep(*wizard, "wizard-finish-left-out.png");
}

} // namespace
