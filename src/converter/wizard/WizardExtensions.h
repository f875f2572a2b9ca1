// What the converter wizard asks of the building-data import and of the name dictionary. Both are
// optional: without them the import page and the dictionary buttons stay but do nothing beyond saying
// so, and a run carries no buildings and no translation.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "converter/names/LatRusDictionary.h"

class QWidget;

// The compiled building data the import produced (one layout: converter/import/BuildingData.h). The
// buffer is shared with the runs, which only read it.
struct WizardBuildingData {
    std::shared_ptr<const std::vector<uint8_t>> records;
    bool loaded = false;
    // West, North, East, South of the imported data.
    int32_t west = 0, north = 0, east = 0, south = 0;
};

// The import of Polish-format maps and compiled ".lmp" files. Start runs off the window's thread; the
// wizard polls the rest on its timer and calls Stop (and waits by destroying the importer) when it closes.
class WizardImporter {
public:
    virtual ~WizardImporter() = default;
    // cityAreaLevel: the city-area choice (0 only the largest cities ... 2 the smallest too);
    // appendCompiled: a compiled file is added to the data instead of replacing it.
    virtual void Start(const QStringList& files, int cityAreaLevel, bool appendCompiled) = 0;
    // True until TakeMemo has taken a finished import's outcome.
    virtual bool Busy() const = 0;
    virtual void Stop() = 0;
    // The whole import log when it changed since the last call (the import rewrites and takes back its
    // own lines), else nothing. Also takes in the outcome of an import that has ended.
    virtual std::optional<QStringList> TakeMemo() = 0;
    virtual int Percent() const = 0;
    // Why the last import failed, in the user's words, once; "" when it did not.
    virtual QString TakeError() = 0;
    virtual WizardBuildingData Data() const = 0;
    // Writes the compiled data as a produced file; the error in the user's words, or "".
    virtual QString SaveCompiled(const QString& path) = 0;

    // The wizard's handler of news: the memo or the percent changed, or the import ended. The import
    // calls TellNews from any thread; the handler posts to the wizard's own thread.
    void SetNewsHandler(std::function<void()> handler) { news_ = std::move(handler); }
    void TellNews() const {
        if (news_) news_();
    }

private:
    std::function<void()> news_;
};

// The Latin-to-Cyrillic dictionary and its editor window. Load and Save run off the window's thread (the
// wizard calls nothing else while one runs); the rest on it.
class WizardDictionary {
public:
    using Percent = std::function<void(int percent)>;
    virtual ~WizardDictionary() = default;
    virtual bool Loaded() const = 0;
    virtual int Count() const = 0;
    // Loads (".lndict") or adds (".txt") a file, telling its progress; message for the user, or "".
    virtual QString Load(const QString& path, bool wordByWord, const Percent& progress = {}) = 0;
    virtual QString Save(const QString& path) = 0;
    // The editor window, modal. save: called when closing with unsaved changes is answered with yes;
    // false when the dictionary was not saved.
    virtual void Show(QWidget* parent, std::function<bool()> save) = 0;
    // The dictionary a creation run borrows; the wizard never edits it while a run is going.
    virtual std::shared_ptr<LatRusDictionary> Shared() const = 0;
};

// What a creation run reads besides its options.
struct WizardRunInputs {
    std::shared_ptr<const std::vector<uint8_t>> buildings;
    std::shared_ptr<LatRusDictionary> dictionary;
};
