// The single-file unpack dialog: a 3-block file updating at 33, 66 and 100 %, the end of a run, the
// overwrite question, Cancel during a run, a damaged block, a target that is the source, the proposed
// target and the save button.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <mutex>

#include "DialogTestSupport.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/display/KiwiFormat.h"
#include "platform/RegistrySettings.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/UnpackCorpus.h"
#include "unpack/UnpackFileDialog.h"
#include "unpack/engine/UnpackFileJob.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatCheckBox.h"
#include "widgets/flat/FlatEdit.h"
#include "widgets/flat/FlatProgressBar.h"

namespace {

using unpackdialogtest::DialogTest;
using windowtest::waitUntil;

class UnpackFileDialogTest : public DialogTest {
protected:
    void SetUp() override {
        services.beep = [] { ++beeps; };
        beeps = 0;
        content = fixture::mapLikeContent(3 * 65536 - 500, 5);
        corpus = fixture::writeUnpackCorpus(spath("disc"), {{"DATA/MAP.KWI", 2, content, false, {}}});
        source = path("disc/DATA/MAP.KWI");
    }
    std::unique_ptr<UnpackFileDialog> dialogFor(const QString& target) {
        auto dialog = std::make_unique<UnpackFileDialog>(
            services, taskBar, TLN_DecompFileStream::Create(source.toStdString()), target);
        dialog->show();
        return dialog;
    }

    static inline int beeps = 0;
    std::vector<uint8_t> content;
    fixture::Corpus corpus;
    QString source;
};

TEST_F(UnpackFileDialogTest, AThreeBlockFileUpdatesAt33_66And100AndEndsDone) {
    auto dialog = dialogFor(path("MAP.KWI.unpack"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save unpacked file as ..."));
    EXPECT_FALSE(dialog->doneButton->isEnabled());
    std::mutex mutex;
    std::vector<int> percents;
    QObject::connect(
        dialog.get(), &UnpackFileDialog::BlockWritten, dialog.get(),
        [&](qint64, qint64, qint64, int percent) {
            std::lock_guard guard(mutex);
            percents.push_back(percent);
        },
        Qt::DirectConnection);
    dialog->StartButtonClick();
    EXPECT_FALSE(dialog->startButton->isEnabled());
    EXPECT_FALSE(dialog->saveDialogButton->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return dialog->doneButton->isEnabled(); }, 10000));
    EXPECT_EQ(percents, (std::vector<int>{33, 66, 100}));
    EXPECT_EQ(dialog->label1->text(), QStringLiteral("Block 3 from 3"));
    EXPECT_EQ(dialog->label2->text(),
              QStringLiteral("File size: ") +
                  QString::fromStdString(FormatNumberGrouped(int64_t(content.size()))));
    EXPECT_TRUE(dialog->label3->text().startsWith(QStringLiteral("Elapsed Time: 0:00:0")));
    EXPECT_TRUE(dialog->label3->text().endsWith(QStringLiteral(" sec.")));
    EXPECT_EQ(dialog->progressBar1->value(), 100);
    EXPECT_TRUE(dialog->cancelButton->isHidden());
    EXPECT_TRUE(dialog->startButton->isHidden());
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(fixture::readFile(spath("MAP.KWI.unpack")), content);
    EXPECT_EQ(RegReadString(QStringLiteral("UnpackSave")), path("MAP.KWI.unpack"));
    // The taskbar already stood at 0, so the start sends only the state.
    EXPECT_EQ(backend.calls, (std::vector<std::string>{"state 2", "value 33", "value 66", "value 100"}));
    dialog->doneButton->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(backend.calls.back(), "state 0");
}

TEST_F(UnpackFileDialogTest, AnsweringNoToTheOverwriteQuestionLeavesTheFileUntouched) {
    fixture::writeFile(spath("MAP.KWI.unpack"), {'o', 'l', 'd'});
    auto dialog = std::make_unique<UnpackFileDialog>(
        services, taskBar, TLN_DecompFileStream::Create(source.toStdString()), path("MAP.KWI.unpack"),
        UnpackFileTexts::MainWindowTexts());
    messenger.answer = false;
    dialog->StartButtonClick();
    // The warning box with OK and Cancel, not a yes/no question.
    EXPECT_TRUE(messenger.questions.isEmpty());
    ASSERT_EQ(messenger.warnings.size(), 1);
    EXPECT_EQ(messenger.warnings[0], QStringLiteral("Файл ") + path("MAP.KWI.unpack") +
                                         QStringLiteral(" уже существует!\n\r Хотите его заменить?"));
    EXPECT_FALSE(dialog->IsRunning());
    EXPECT_TRUE(dialog->startButton->isEnabled());
    EXPECT_EQ(fixture::readFile(spath("MAP.KWI.unpack")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_TRUE(backend.calls.empty());
    // Yes replaces it once the whole file is written.
    messenger.answer = true;
    dialog->StartButtonClick();
    ASSERT_TRUE(waitUntil([&] { return dialog->doneButton->isEnabled(); }, 10000));
    EXPECT_EQ(fixture::readFile(spath("MAP.KWI.unpack")), content);
    EXPECT_EQ(dialog->startButton->text(), QStringLiteral("Старт"));
}

TEST_F(UnpackFileDialogTest, CancelDuringARunLeavesNoPartialFileKeepsTheOldOneAndStoresTheName) {
    fixture::writeFile(spath("MAP.KWI.unpack"), {'o', 'l', 'd'});
    messenger.answer = true;
    auto dialog = dialogFor(path("MAP.KWI.unpack"));
    // The first block goes through, the next waits for the cancel: the run cannot end before it.
    dialog->SetOutputFactory(
        unpacktest::gatedOutputs([&] { return dialog->Job() && dialog->Job()->StopRequested(); }, 1));
    dialog->StartButtonClick();
    ASSERT_TRUE(waitUntil([&] { return dialog->progressBar1->value() == 33; }, 5000));
    const auto before = std::chrono::steady_clock::now();
    dialog->CancelButtonClick();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->IsRunning());
    EXPECT_EQ(fixture::readFile(spath("MAP.KWI.unpack")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_TRUE(unpackdialogtest::partFiles(path("").toStdString()).empty());
    EXPECT_EQ(RegReadString(QStringLiteral("UnpackSave")), path("MAP.KWI.unpack"));
    EXPECT_EQ(backend.calls.back(), "state 0");
    EXPECT_EQ(beeps, 0);
}

TEST_F(UnpackFileDialogTest, ADamagedBlockShowsItsErrorWritesNoTargetAndAllowsAnotherStart) {
    auto bytes = fixture::readFile(source.toStdString());
    bytes[bytes.size() - 40] ^= 0x5A;
    fixture::writeFile(source.toStdString(), bytes);
    auto dialog = dialogFor(path("MAP.KWI.unpack"));
    dialog->StartButtonClick();
    ASSERT_TRUE(waitUntil([&] { return !messenger.errors.isEmpty(); }, 10000));
    EXPECT_TRUE(messenger.errors[0].startsWith(QStringLiteral("блок 2 (смещение 131072): ")))
        << messenger.errors[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("MAP.KWI.unpack")));
    EXPECT_TRUE(unpackdialogtest::partFiles(path("").toStdString()).empty());
    EXPECT_TRUE(dialog->startButton->isEnabled());
    EXPECT_TRUE(dialog->saveDialogButton->isEnabled());
    EXPECT_FALSE(dialog->doneButton->isEnabled());
}

TEST_F(UnpackFileDialogTest, ATargetThatIsTheSourceOrTheListIsRefused) {
    for (const QString& target : {source, path("disc/05.CMP")}) {
        const auto before = fixture::readFile(target.toStdString());
        auto dialog = dialogFor(target);
        messenger.answer = true;
        dialog->StartButtonClick();
        EXPECT_FALSE(dialog->IsRunning());
        EXPECT_EQ(fixture::readFile(target.toStdString()), before);
    }
    EXPECT_EQ(messenger.errors.size(), 2);
    EXPECT_TRUE(
        messenger.errors[0].endsWith(QStringLiteral("файл назначения совпадает с исходными данными")));
    EXPECT_TRUE(messenger.questions.isEmpty());
    EXPECT_TRUE(messenger.warnings.isEmpty());
}

TEST_F(UnpackFileDialogTest, AFolderThatCannotHoldTheTargetFailsWithTheCreationText) {
    auto dialog = std::make_unique<UnpackFileDialog>(
        services, taskBar, TLN_DecompFileStream::Create(source.toStdString()), path("no/such/MAP.KWI.unpack"),
        UnpackFileTexts::MainWindowTexts());
    dialog->StartButtonClick();
    ASSERT_TRUE(waitUntil([&] { return !messenger.errors.isEmpty(); }, 10000));
    EXPECT_EQ(
        messenger.errors[0],
        QStringLiteral("Невозможно создать новый файл в указанной папке: \n\rнет такого файла или папки"));
    EXPECT_TRUE(dialog->startButton->isEnabled());
}

TEST_F(UnpackFileDialogTest, TheProposedTargetFollowsTheSettingThenTheImageThenTheSource) {
    EXPECT_EQ(UnpackFileDialog::ProposedTarget(source), source + QStringLiteral(".unpack"));
    RegWriteString(QStringLiteral("UnpackSave"), path("saved/OLD.KWI.unpack"));
    // The stored name's folder is gone: the source's folder again.
    EXPECT_EQ(UnpackFileDialog::ProposedTarget(source), source + QStringLiteral(".unpack"));
    QDir().mkpath(path("saved"));
    EXPECT_EQ(UnpackFileDialog::ProposedTarget(source), path("saved/MAP.KWI.unpack"));
}

TEST_F(UnpackFileDialogTest, TheSaveButtonStartsAtTheFieldAndStoresTheChoice) {
    auto dialog = dialogFor(path("MAP.KWI.unpack"));
    paths.answer = path("chosen.bin");
    dialog->SaveDialogButtonClick();
    ASSERT_EQ(paths.calls.size(), 1u);
    EXPECT_EQ(paths.calls[0].kind, "save, asking nothing") << "Start asks about an existing file";
    EXPECT_EQ(paths.calls[0].start, path("MAP.KWI.unpack"));
    EXPECT_EQ(dialog->edit1->text(), path("chosen.bin"));
    EXPECT_EQ(RegReadString(QStringLiteral("UnpackSave")), path("chosen.bin"));
    paths.answer.clear();
    dialog->SaveDialogButtonClick();
    EXPECT_EQ(dialog->edit1->text(), path("chosen.bin"));
}

} // namespace
