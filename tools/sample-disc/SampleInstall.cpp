// Installing the sample disc for the program's first run.
#include "SampleInstall.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "DiscOutput.h"
#include "ReopenList.h"
#include "SampleDisc.h"
#include "TownPolishMap.h"
#include "platform/SettingsStore.h"

QString sampleImagePath() {
    // GenericDataLocation's first entry is $XDG_DATA_HOME, or ~/.local/share without it.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           "/strovane/sample-disc.iso";
}

bool installSampleDisc(QString& report, QString& error) {
    const QString image = sampleImagePath();
    if (QFileInfo(image).isFile()) {
        report += "sample disc: " + image + " (already there)\n";
    } else {
        QTemporaryDir files;
        if (!files.isValid()) {
            error = "cannot create a temporary folder";
            return false;
        }
        const DiscFiles disc = buildSampleDisc();
        if (!writeDiscFolder(files.path(), disc, error) || !buildIsoImage(files.path(), disc, image, error))
            return false;
        report += "sample disc: wrote " + image + "\n";
    }
    // The town's Polish-format map, for the converter's import.
    const QString townMap = townPolishMapPath(image);
    if (!QFileInfo(townMap).isFile()) {
        if (!writeTownPolishMap(townMap, error)) return false;
        report += "sample town map: wrote " + townMap + "\n";
    }
    if (!readReopenList().isEmpty()) {
        report += "reopen list: not empty, left alone\n";
        return true;
    }
    if (!storeSampleInReopenList(image)) {
        error =
            "cannot store " + image + " in the reopen list (settings: " + SettingsStore::userFilePath() + ")";
        return false;
    }
    report += "reopen list: " + image + "\n";
    return true;
}
