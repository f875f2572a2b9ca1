// The wizard's building-data import over the import job: one job per Load, its log events kept as the
// memo the wizard shows, and the outcome's buffer kept between imports and shared with the runs.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "converter/import/MpImportJob.h"
#include "converter/wizard/WizardExtensions.h"

// One logged line as the memo shows it: control and break characters replaced, so it stays one line.
QString MemoLine(const std::string& text);
// Applies one of the import's log changes to the memo's lines.
void ApplyMemoEvent(QStringList& lines, const mp_import::MemoEvent& event);

class MpWizardImporter : public WizardImporter {
public:
    MpWizardImporter();
    // Stops an import still going and waits for it.
    ~MpWizardImporter() override;

    void Start(const QStringList& files, int cityAreaLevel, bool appendCompiled) override;
    bool Busy() const override { return job_ != nullptr; }
    void Stop() override;
    std::optional<QStringList> TakeMemo() override;
    int Percent() const override { return percent_; }
    QString TakeError() override;
    WizardBuildingData Data() const override;
    QString SaveCompiled(const QString& path) override;

private:
    void takeProgress();

    std::unique_ptr<mp_import::MpImportJob> job_;
    std::shared_ptr<const std::vector<uint8_t>> data_;
    bool loaded_ = false;
    building_data::Box box_;
    QStringList memo_;
    // The memo before a compiled file is appended: the append writes over its last line, which comes back
    // when the file is refused.
    std::optional<QStringList> memoBeforeAppend_;
    bool memoChanged_ = false;
    int percent_ = 0;
    QString error_;
};
