// The sample disc's folder and image writers.
#include "DiscOutput.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {
// xorriso takes well under a second for the few hundred kilobytes of the disc; this is only a bound.
constexpr int kXorrisoTimeoutMs = 120000;
} // namespace

bool writeDiscFolder(const QString& folder, const DiscFiles& files, QString& error) {
    if (!QDir().mkpath(folder)) {
        error = "cannot create " + folder;
        return false;
    }
    for (const auto& [name, bytes] : files) {
        QSaveFile file(QDir(folder).filePath(QString::fromStdString(name)));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) !=
                qint64(bytes.size()) ||
            !file.commit()) {
            error = "cannot write " + file.fileName() + ": " + file.errorString();
            return false;
        }
    }
    return true;
}

bool buildIsoImage(const QString& folder, const DiscFiles& files, const QString& imagePath, QString& error) {
    const QFileInfo target(imagePath);
    if (!QDir().mkpath(target.absolutePath())) {
        error = "cannot create " + target.absolutePath();
        return false;
    }
    // The temporary image lies beside the target, so that the rename stays on one file system.
    QTemporaryDir scratch(target.absolutePath() + "/.sample-disc-XXXXXX");
    if (!scratch.isValid()) {
        error = "cannot create a temporary folder in " + target.absolutePath();
        return false;
    }
    const QString temporary = scratch.filePath("image.iso");
    QProcess xorriso;
    xorriso.setProcessChannelMode(QProcess::MergedChannels);
    QStringList arguments{"-as", "mkisofs",         "-quiet", "-R",      "-J",
                          "-V",  "ZARECHYE_SAMPLE", "-o",     temporary, "-graft-points"};
    for (const auto& [name, bytes] : files)
        arguments << "/" + QString::fromStdString(name) + "=" +
                         QDir(folder).absoluteFilePath(QString::fromStdString(name));
    xorriso.start("xorriso", arguments);
    if (!xorriso.waitForStarted()) {
        error = "cannot run xorriso (bash scripts/install-deps installs it): " + xorriso.errorString();
        return false;
    }
    if (!xorriso.waitForFinished(kXorrisoTimeoutMs)) {
        xorriso.kill();
        xorriso.waitForFinished();
        error = "xorriso did not finish";
        return false;
    }
    if (xorriso.exitStatus() != QProcess::NormalExit || xorriso.exitCode() != 0 ||
        !QFileInfo(temporary).isFile()) {
        error = "xorriso failed: " + QString::fromLocal8Bit(xorriso.readAll()).trimmed();
        return false;
    }
    if (std::rename(QFile::encodeName(temporary).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        error = "cannot rename the image to " + target.absoluteFilePath();
        return false;
    }
    return true;
}
