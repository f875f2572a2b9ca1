// The Open tab's state and rules: reopen buttons, reopen labels and where each reopen command leads.
#include "mainwindow/model/OpenTabPresenter.h"

#include <QFileInfo>

#include "platform/RegistrySettings.h"

QString OpenTabPresenter::SettingName(Source source) {
    switch (source) {
    case Source::Disk:
        return QStringLiteral("Disk");
    case Source::Folder:
        return QStringLiteral("Folder");
    case Source::File:
        return QStringLiteral("File");
    case Source::Iso:
        return QStringLiteral("IsoFile");
    }
    return {};
}

OpenTabPresenter::OpenTabPresenter(QObject* parent) : QObject(parent) {}

void OpenTabPresenter::ReadSettings() {
    for (Source source : kSources)
        buttons_[int(source)] = RegValueExists(SettingName(source));
    emit ReopenButtonsChanged();
}

void OpenTabPresenter::setButton(Source source, bool shown) {
    if (buttons_[int(source)] == shown) return;
    buttons_[int(source)] = shown;
    emit ReopenButtonsChanged();
}

bool OpenTabPresenter::Opened(Source source, const QString& path) {
    RegWriteString(SettingName(source), path);
    setButton(source, true);
    return AddToReopenList(path);
}

OpenTabPresenter::Target OpenTabPresenter::ReopenButtonTarget(Source source) const {
    const QString path = RegReadString(SettingName(source));
    const QFileInfo info(path);
    const bool folder = source == Source::Disk || source == Source::Folder;
    const bool exists = !path.isEmpty() && (folder ? info.isDir() : info.isFile());
    return {source, exists ? path : QString()};
}

std::optional<OpenTabPresenter::Target> OpenTabPresenter::ReopenLabelTarget(int index) const {
    if (index < 0 || index >= reopen_.Count()) return std::nullopt;
    const QString path = reopen_.Paths()[index];
    const QFileInfo info(path);
    if (info.isFile() && info.suffix().toUpper() == QStringLiteral("ISO")) return Target{Source::Iso, path};
    if (info.isFile()) return Target{Source::File, path};
    return Target{info.isDir() ? Source::Folder : Source::Disk, path};
}

void OpenTabPresenter::SetConverterAvailable(bool available) {
    converterAvailable_ = available;
    emit ConverterChanged();
}

void OpenTabPresenter::SetOpenMap(bool mapOpen, bool convertible) {
    mapOpen_ = mapOpen;
    convertible_ = convertible;
    emit ConverterChanged();
}

void OpenTabPresenter::LoadReopenList() {
    reopen_.Load();
    display_.clear();
    for (const QString& path : reopen_.Paths())
        display_.append(elider_ ? elider_(path) : path);
}

void OpenTabPresenter::ShowAllLabels() {
    LoadReopenList();
    ReopenAnimation::ShowAll(display_, labels_);
    emit LabelsChanged();
}

void OpenTabPresenter::RestartAnimation() {
    animationStarted_ = true;
    animation_.Restart();
}

bool OpenTabPresenter::Tick(bool seen) {
    if (!seen) {
        ShowAllLabels();
        animation_.Restart();
        return false;
    }
    if (animation_.AtStart()) LoadReopenList();
    const bool more = animation_.Tick(display_, labels_);
    emit LabelsChanged();
    return more;
}
