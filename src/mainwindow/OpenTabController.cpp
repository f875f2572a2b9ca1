// The Open tab's commands, the opening of a source and the reopen labels.
#include "mainwindow/OpenTabController.h"

#include <optional>

#include <QDialog>
#include <QEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QScopeGuard>
#include <QTimer>

#include "kiwi/cmp/CompressionManager.h"
#include "mainwindow/OpenPage.h"
#include "mainwindow/ReopenLabel.h"
#include "mainwindow/ReopenNotifier.h"
#include "mainwindow/WaitCursor.h"
#include "mainwindow/model/CharsetPresenter.h"
#include "mainwindow/model/MapCodePageChoice.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/SourceOpener.h"
#include "platform/RegistrySettings.h"
#include "platform/TaskBar.h"
#include "unpack/UnpackWizard.h"
#include "widgets/Services.h"
#include "widgets/flat/FlatButton.h"

namespace {
// Names in both cases: file dialogs here match patterns case-sensitively.
QString kiwiFileFilter() {
    static const char* const names[] = {"05.CMP",       "06.CMP",       "LOADING.KWI", "ALLDATA.KWI",
                                        "ALLDATA1.KWI", "VOICEDAT.KWI", "STDVCE.KWI",  "INDEXDAT.KWI",
                                        "INDEX1.KWI",   "VOICE001.ME",  "PCT2MNG.KWI", "REGION.KWI",
                                        "REGION1.KWI",  "COVERAGE.BIN", "DICVCE56.KWI"};
    QStringList patterns;
    for (const char* name : names) {
        patterns << QString::fromLatin1(name);
        patterns << QString::fromLatin1(name).toLower();
    }
    return QStringLiteral("KIWI-format files (") + patterns.join(QLatin1Char(' ')) + QStringLiteral(")");
}
} // namespace

OpenTabController::OpenTabController(Parts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)), notifier_(new ReopenNotifier(this)),
      timer_(new QTimer(this)) {
    OpenPage& page = parts_.page;
    OpenTabPresenter& presenter = parts_.presenter;
    presenter.SetElider([this](const QString& path) {
        const QFontMetrics metrics(parts_.page.reopenLabels[0]->font());
        return metrics.elidedText(path, Qt::ElideMiddle, std::max(10, parts_.page.ReopenTextWidth()));
    });
    const auto bind = [this](FlatButton* button, auto command) {
        connect(button, &FlatButton::clicked, this, [this, command] { parts_.run(command); });
    };
    bind(page.diskButton, [this] { Choose(Source::Disk); });
    bind(page.folderButton, [this] { Choose(Source::Folder); });
    bind(page.fileButton, [this] { Choose(Source::File); });
    bind(page.openIsoButton, [this] { Choose(Source::Iso); });
    bind(page.reopenDiskBtn, [this] { Reopen(Source::Disk); });
    bind(page.reopenFolderBtn, [this] { Reopen(Source::Folder); });
    bind(page.reopenFileBtn, [this] { Reopen(Source::File); });
    bind(page.reopenIsoBtn, [this] { Reopen(Source::Iso); });
    bind(page.stayOnTopBtn, [this] { StayOnTopBtnClick(); });
    page.makerLabel->installEventFilter(this);
    for (ReopenLabel* label : page.reopenLabels)
        connect(label, &ReopenLabel::Clicked, this,
                [this](int index) { parts_.run([&] { ReopenLabelClick(index); }); });
    connect(&page, &OpenPage::ReopenWidthChanged, this, [this] {
        parts_.run([&] {
            // The shortened texts depend on the label width, which is final only once laid out. Before the
            // first animation the labels stay empty, so that it types them from the start.
            if (ReopenAnimationRunning() || !parts_.presenter.AnimationStarted()) return;
            parts_.presenter.ShowAllLabels();
        });
    });
    connect(timer_, &QTimer::timeout, this, [this] { parts_.run([&] { OnReopenTimer(); }); });
    connect(&presenter, &OpenTabPresenter::LabelsChanged, this, &OpenTabController::applyLabels);
    connect(&presenter, &OpenTabPresenter::ReopenButtonsChanged, this, &OpenTabController::applyButtons);
    connect(notifier_, &ReopenNotifier::Changed, this, [this] { parts_.run([&] { OnReopenChanged(); }); });
    connectTools();
}

void OpenTabController::connectTools() {
    OpenPage& page = parts_.page;
    connect(page.unpackButton, &FlatButton::clicked, this, [this] {
        parts_.run([&] {
            auto* wizard = new UnpackWizard(parts_.services, parts_.taskBar, parts_.page.window());
            wizard->setAttribute(Qt::WA_DeleteOnClose);
            if (parts_.data.compression && !parts_.data.compression->ListFileName().empty())
                wizard->LoadCmpFile(QString::fromStdString(parts_.data.compression->ListFileName()));
            wizard->open();
        });
    });
    connect(page.wizardBtn, &FlatButton::clicked, this, [this] { parts_.run([&] { WizardBtnClick(); }); });
    connect(page.burnDvdBtn, &FlatButton::clicked, this, [this] { parts_.run(parts_.burn); });
    // The converter's button works once a converter is set.
    const auto enableConverter = [this] {
        parts_.page.wizardBtn->setEnabled(parts_.presenter.ConverterEnabled());
    };
    connect(&parts_.presenter, &OpenTabPresenter::ConverterChanged, this, enableConverter);
    enableConverter();
}

void OpenTabController::SetMapConverter(MapConverterHook hook) {
    converter_ = std::move(hook);
    parts_.presenter.SetConverterAvailable(bool(converter_.create));
}

void OpenTabController::WizardBtnClick() {
    if (!converter_.create) return;
    QDialog* converter = converter_.create(parts_.page.window());
    if (!converter) return;
    converter->setAttribute(Qt::WA_DeleteOnClose);
    connect(converter, &QDialog::finished, this, [this, converter](int result) {
        parts_.run([&] {
            // The converter's own progress ends with it, whatever happens next.
            parts_.taskBar.SetProgressState(TaskBarProgressStyle::None);
            if (result != QDialog::Accepted || !converter_.writtenMap) return;
            const QString map = converter_.writtenMap(converter);
            if (map.isEmpty()) return;
            // The converted map is opened as written: the automatic code page choice is off meanwhile,
            // and set back as it was even when opening raises.
            const bool autoSelect = parts_.codePages.AutoSelect();
            parts_.codePages.SetAutoSelect(false);
            const auto restore =
                qScopeGuard([this, autoSelect] { parts_.charset.SetAutoSelect(autoSelect); });
            Open(Source::File, map);
        });
    });
    converter->open();
}

void OpenTabController::showMessages(const OpenOutcome& outcome) {
    if (!parts_.services.messenger) return;
    for (const OpenOutcome::Message& message : outcome.messages) {
        if (message.severity == OpenOutcome::Severity::Error)
            parts_.services.messenger->Error(parts_.page.window(), message.text);
        else
            parts_.services.messenger->Information(parts_.page.window(), message.text);
    }
}

bool OpenTabController::Open(Source source, const QString& path) {
    if (source == Source::File) lastFilePath_ = path;
    if (source == Source::Disk || source == Source::Folder) lastFolderPath_ = path;
    std::optional<WaitCursor> wait(std::in_place);
    const OpenOutcome outcome = source == Source::Iso    ? parts_.opener.OpenIsoImage(path)
                                : source == Source::File ? parts_.opener.OpenFile(path)
                                                         : parts_.opener.OpenFolder(path);
    parts_.apply(outcome);
    if (outcome.found && parts_.presenter.Opened(source, path)) notifier_->Broadcast();
    parts_.show(outcome);
    wait.reset();
    showMessages(outcome);
    return outcome.found;
}

void OpenTabController::Choose(Source source) {
    QWidget* window = parts_.page.window();
    PathChooser* paths = parts_.services.paths;
    QString path;
    if (source == Source::Disk)
        path = paths->Disk(window, QStringLiteral("Выберите Навигационный Диск"));
    else if (source == Source::Folder)
        path = paths->Folder(window, QStringLiteral("Выберите папку, содержащую файл ALLDATA.KWI"),
                             RegReadString(QStringLiteral("Folder")));
    else
        path = paths->OpenFile(window, QString(),
                               source == Source::File ? kiwiFileFilter()
                                                      : QStringLiteral("ISO files (*.ISO *.iso)"),
                               parts_.presenter.ReopenButtonTarget(source).path);
    if (path.isEmpty()) return;
    if (source == Source::Disk || source == Source::Folder || QFileInfo(path).isFile())
        Open(source, path);
    else
        parts_.services.messenger->Error(window, QStringLiteral("Wrong file path !!!\r") + path);
}

void OpenTabController::Reopen(Source source) {
    const QString path = parts_.presenter.ReopenButtonTarget(source).path;
    if (!path.isEmpty())
        Open(source, path);
    else
        Choose(source);
}

void OpenTabController::ReopenLabelClick(int index) {
    if (const std::optional<OpenTabPresenter::Target> target = parts_.presenter.ReopenLabelTarget(index))
        Open(target->source, target->path);
}

void OpenTabController::StayOnTopBtnClick() {
    QWidget* window = parts_.page.window();
    const bool onTop = !(window->windowFlags() & Qt::WindowStaysOnTopHint);
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    window->show();
    parts_.page.stayOnTopBtn->setText(onTop ? QStringLiteral("Обычное окно") : QStringLiteral("Поверх окон"));
    parts_.page.Relayout();
}

void OpenTabController::AddToReopenList(const QString& path) {
    if (parts_.presenter.AddToReopenList(path)) notifier_->Broadcast();
}

void OpenTabController::applyLabels() {
    for (int i = 0; i < ReopenAnimation::kLabels; ++i) {
        ReopenLabel* label = parts_.page.reopenLabels[size_t(i)];
        label->setVisible(parts_.presenter.Label(i).visible);
        label->setText(parts_.presenter.Label(i).text);
        label->setToolTip(parts_.presenter.LabelToolTip(i));
    }
}

void OpenTabController::applyButtons() {
    parts_.page.reopenDiskBtn->setVisible(parts_.presenter.ReopenButtonShown(Source::Disk));
    parts_.page.reopenFolderBtn->setVisible(parts_.presenter.ReopenButtonShown(Source::Folder));
    parts_.page.reopenFileBtn->setVisible(parts_.presenter.ReopenButtonShown(Source::File));
    parts_.page.reopenIsoBtn->setVisible(parts_.presenter.ReopenButtonShown(Source::Iso));
}

void OpenTabController::OnReopenChanged() {
    timer_->setInterval(300);
    timer_->start();
    parts_.presenter.RestartAnimation();
}

void OpenTabController::OnReopenTimer() {
    // Nobody sees the labels being typed on another tab: the presenter shows them whole at once.
    const bool seen = parts_.seen();
    if (seen) timer_->setInterval(1);
    if (!parts_.presenter.Tick(seen)) timer_->stop();
}

bool OpenTabController::ReopenAnimationRunning() const {
    return timer_->isActive();
}

void OpenTabController::FinishReopenAnimation() {
    // Six labels of at most a few hundred characters each end well within this many ticks.
    for (int tick = 0; tick < 100000 && timer_->isActive(); ++tick)
        OnReopenTimer();
}

bool OpenTabController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && watched == parts_.page.makerLabel) {
        // The maker's password box: a confirmed entry is only answered with a beep.
        parts_.run([&] {
            if (!parts_.services.texts) return;
            const std::optional<QString> entry = parts_.services.texts->Password(
                parts_.page.window(), QStringLiteral("Password"), QStringLiteral("Введите пароль:"));
            if (entry && parts_.services.beep) parts_.services.beep();
        });
        return true;
    }
    return QObject::eventFilter(watched, event);
}
