// The wizard's run and tool state: the texts it shows and the rules for its tool buttons.
#include "converter/wizard/WizardRunState.h"

void WizardRunState::RunStarted() {
    ++runs_;
    dropped_ = 0;
    runLog_.clear();
    label_.clear();
    elapsed_ = QStringLiteral("0:00:00");
    percent1_ = percent2_ = 0;
}

void WizardRunState::TakeProgress(const ConversionProgress::Snapshot& snapshot) {
    for (const std::string& line : snapshot.newLines)
        runLog_.append(QString::fromStdString(line));
    const qsizetype over = runLog_.size() - qsizetype(ConversionProgress::kKeptLines);
    if (over > 0) {
        runLog_.remove(0, over);
        dropped_ += over;
    }
    label_ = QString::fromStdString(snapshot.label);
    percent1_ = snapshot.percent1;
    percent2_ = snapshot.percent2;
}

void WizardRunState::SetElapsed(int64_t milliseconds) {
    const int64_t seconds = milliseconds / 1000;
    elapsed_ = QStringLiteral("%1:%2:%3")
                   .arg(seconds / 3600)
                   .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
                   .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void WizardRunState::SetReport(const QStringList& undone, const QStringList& closing) {
    QStringList lines;
    if (!undone.isEmpty()) lines.append(QStringLiteral("Не выполнено из того, что было выбрано:"));
    for (const QString& line : undone)
        lines.append(QStringLiteral("• ") + line);
    lines.append(closing);
    report_ = lines.join(QLatin1Char('\n'));
}

void WizardRunState::CompletionFailed(const std::string& message) {
    runLog_.append(QStringLiteral("ERROR: ") + QString::fromStdString(message));
}

void WizardRunState::RunDone(const QString& targetCaption, int64_t outputSize) {
    target_ = targetCaption;
    size_ = QStringLiteral("Output File Size: ") + QString::number(outputSize / 1024) + QStringLiteral(" kb");
    time_ = QStringLiteral("Elapsed time: ") + elapsed_;
}

QString WizardRunState::LoadedText(uint64_t bytes) {
    return QStringLiteral("Загружено: ") + QString::number(bytes >> 20) + QStringLiteral(" Mb");
}

QString WizardRunState::AvailableText(uint64_t bytes) {
    return QStringLiteral("Доступно памяти: ") + QString::number(bytes >> 20) + QStringLiteral(" Mb");
}

void WizardRunState::DictionaryWorkEnded(int count, bool loaded) {
    dictionaryWorking_ = false;
    count_ = count;
    if (loaded && count > 0) dictionaryFilled_ = true;
}

QString WizardRunState::CountText() const {
    return QString::number(count_) + QStringLiteral(" записей в словаре");
}

QString WizardRunState::LoadDictionaryCaption() const {
    return dictionaryFilled_ ? QStringLiteral("Добавить в словарь") : QStringLiteral("Загрузить словарь");
}
