// What the converter wizard asks of the building-data import and of the name dictionary. Both are
// optional: without them the import page and the dictionary buttons stay but do nothing beyond saying
// so, and a run carries no buildings and no translation.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

class QWidget;

// The compiled building data the import produced (one layout: converter/import/BuildingData.h).
struct WizardBuildingData {
    QByteArray records;
    bool loaded = false;
    // West, North, East, South of the imported data.
    int32_t west = 0, north = 0, east = 0, south = 0;
};

// The import of Polish-format maps and compiled ".lmp" files. Start runs off the window's thread; the
// wizard polls the rest on its timer and calls Stop (and waits by destroying the importer) when it closes.
class WizardImporter {
public:
    virtual ~WizardImporter() = default;
    virtual void Start(const QStringList& files) = 0;
    virtual bool Busy() const = 0;
    virtual void Stop() = 0;
    // Memo lines written since the last call.
    virtual QStringList TakeLines() = 0;
    virtual WizardBuildingData Data() const = 0;
    // Writes the compiled data as a produced file; the error in the user's words, or "".
    virtual QString SaveCompiled(const QString& path) = 0;
};

// The Latin-to-Cyrillic dictionary and its editor window.
class WizardDictionary {
public:
    virtual ~WizardDictionary() = default;
    virtual bool Loaded() const = 0;
    virtual int Count() const = 0;
    // Loads (".lndict") or adds (".txt") a file; message for the user, or "".
    virtual QString Load(const QString& path, bool wordByWord) = 0;
    virtual QString Save(const QString& path) = 0;
    virtual void Show(QWidget* parent) = 0;
};
