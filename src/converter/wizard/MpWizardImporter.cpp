// The wizard's import adapter: starting the job, taking its mailbox and outcome, saving the compiled data.
#include "converter/wizard/MpWizardImporter.h"

#include <exception>

#include "converter/import/LmpFile.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/core/RussianFailureTexts.h"

QString MemoLine(const std::string& text) {
    QString line = QString::fromStdString(text);
    // A damaged file's bytes quoted into the log must not break its line: every character the memo or a
    // text file would take as a line or page break shows as "?".
    for (QChar& c : line) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != '\t') || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029)
            c = QLatin1Char('?');
    }
    return line;
}

void ApplyMemoEvent(QStringList& lines, const mp_import::MemoEvent& event) {
    using Kind = mp_import::MemoEvent::Kind;
    switch (event.kind) {
    case Kind::Append:
        lines.append(MemoLine(event.text));
        break;
    case Kind::ReplaceLast:
        if (lines.isEmpty())
            lines.append(MemoLine(event.text));
        else
            lines.last() = MemoLine(event.text);
        break;
    case Kind::DropLast:
        // The import takes back no more than the memo holds.
        for (int i = 0; i < event.count && !lines.isEmpty(); ++i)
            lines.removeLast();
        break;
    case Kind::Clear:
        lines.clear();
        break;
    }
}

MpWizardImporter::MpWizardImporter() : data_(std::make_shared<const std::vector<uint8_t>>()) {}

MpWizardImporter::~MpWizardImporter() {
    Stop();
    job_.reset();
}

void MpWizardImporter::Start(const QStringList& files, int cityAreaLevel, bool appendCompiled) {
    if (job_ || files.isEmpty()) return;
    mp_import::ImportRequest request;
    for (const QString& file : files)
        request.paths.push_back(file.toStdString());
    switch (mp_import::ChooseImportPath(request.paths)) {
    case mp_import::ImportPath::Refused:
        error_ = QString::fromUtf8(mp_import::kSequentialLoadingMessage);
        return;
    case mp_import::ImportPath::Compiled:
        request.source = appendCompiled && loaded_ ? mp_import::ImportRequest::Source::CompiledAppend
                                                   : mp_import::ImportRequest::Source::CompiledReplace;
        break;
    case mp_import::ImportPath::Polish:
        request.source = mp_import::ImportRequest::Source::Polish;
        break;
    }
    memoBeforeAppend_.reset();
    if (request.source == mp_import::ImportRequest::Source::CompiledAppend) memoBeforeAppend_ = memo_;
    request.settings.cityAreaLevel = cityAreaLevel;
    request.loaded = loaded_;
    // The runs may still hold the previous buffer, so the import works on a copy of its own.
    request.data = *data_;
    percent_ = 0;
    job_ = std::make_unique<mp_import::MpImportJob>(std::move(request));
    // Told on the job's thread: the mailbox filled (once until it is emptied), the percentage rose or the
    // job ended.
    for (auto signal : {&JobNotifier::progressed, &JobNotifier::ended})
        QObject::connect(
            &job_->Notifier(), signal, &job_->Notifier(), [this] { TellNews(); }, Qt::DirectConnection);
    job_->Start();
}

void MpWizardImporter::Stop() {
    if (job_) job_->RequestStop();
}

void MpWizardImporter::takeProgress() {
    mp_import::MpImportJob::Progress progress = job_->TakeProgress();
    percent_ = progress.percent;
    for (const mp_import::MemoEvent& event : progress.events)
        ApplyMemoEvent(memo_, event);
    memoChanged_ = memoChanged_ || !progress.events.empty();
}

std::optional<QStringList> MpWizardImporter::TakeMemo() {
    if (job_) {
        // Finished is read before the mailbox, so the last events are in it when the job has ended.
        const bool finished = job_->Finished();
        takeProgress();
        if (finished) {
            mp_import::ImportOutcome outcome = job_->Result();
            job_.reset();
            data_ = std::make_shared<const std::vector<uint8_t>>(std::move(outcome.data));
            loaded_ = outcome.loaded;
            box_ = outcome.box;
            if (outcome.error) {
                error_ = RussianText(outcome.error);
                if (memoBeforeAppend_) memo_ = *memoBeforeAppend_;
                memoChanged_ = true;
            }
        }
    }
    if (!memoChanged_) return std::nullopt;
    memoChanged_ = false;
    return memo_;
}

QString MpWizardImporter::TakeError() {
    return std::exchange(error_, QString());
}

WizardBuildingData MpWizardImporter::Data() const {
    WizardBuildingData data;
    data.records = data_;
    data.loaded = loaded_;
    if (!box_.IsEmpty()) {
        data.west = box_.west;
        data.north = box_.north;
        data.east = box_.east;
        data.south = box_.south;
    }
    return data;
}

QString MpWizardImporter::SaveCompiled(const QString& path) {
    if (job_) return QStringLiteral("Импорт ещё не завершён");
    try {
        building_data::SaveLmp(path.toStdString(), *data_);
    } catch (const std::exception& e) {
        return RussianText(FailureOf(e, path.toStdString()));
    }
    return {};
}
