// The sample disc's folder and image writers.
#include "DiscOutput.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/FileIdentity.h"
#include "platform/GuardedFileWriter.h"

namespace {
// xorriso takes well under a second for the few hundred kilobytes of the disc; this is only a bound.
constexpr int kXorrisoTimeoutMs = 120000;
} // namespace

std::atomic<bool>& discOutputStop() {
    static std::atomic<bool> stop{false};
    return stop;
}

bool writeWholeFile(const QString& path, const char* data, size_t size, QString& error) {
    std::string problem = "stopped";
    if (!discOutputStop() &&
        GuardedFileWriter::WriteWhole(QFile::encodeName(path).toStdString(), data, size, {}, &problem))
        return true;
    error = QString::fromLocal8Bit(problem);
    return false;
}

bool writeDiscFolder(const QString& folder, const DiscFiles& files, QString& error) {
    if (discOutputStop()) {
        error = "stopped";
        return false;
    }
    if (!QDir().mkpath(folder)) {
        error = "cannot create " + folder;
        return false;
    }
    // Every file is checked and opened before any is written: one that cannot be leaves the folder as it was.
    std::vector<std::unique_ptr<GuardedFileWriter>> opened;
    for (const auto& [name, bytes] : files) {
        opened.push_back(std::make_unique<GuardedFileWriter>(
            QFile::encodeName(QDir(folder).filePath(QString::fromStdString(name))).toStdString(),
            GuardedFileWriter::Rules{}));
        if (!opened.back()->IsOpen()) {
            error = QString::fromLocal8Bit(opened.back()->Error());
            return false;
        }
    }
    size_t i = 0;
    for (const auto& [name, bytes] : files) {
        GuardedFileWriter& file = *opened[i++];
        if (discOutputStop() || !file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
            error = discOutputStop() ? QStringLiteral("stopped") : QString::fromLocal8Bit(file.Error());
            return false;
        }
    }
    return true;
}

QString imageOverDiscFile(const QString& folder, const DiscFiles& files, const QString& imagePath) {
    const QString image = QFileInfo(imagePath).absoluteFilePath();
    const auto identity = FileIdentityOf(QFile::encodeName(image).toStdString());
    for (const auto& [name, bytes] : files) {
        const QString file =
            QFileInfo(QDir(folder).filePath(QString::fromStdString(name))).absoluteFilePath();
        if (QDir::cleanPath(file) == QDir::cleanPath(image) ||
            (identity && FileIdentityOf(QFile::encodeName(file).toStdString()) == identity))
            return imagePath + " is the disc's own " + QString::fromStdString(name) +
                   ": choose another IMAGE";
    }
    return {};
}

bool buildIsoImage(const QString& folder, const DiscFiles& files, const QString& imagePath, QString& error) {
    const QFileInfo target(imagePath);
    error = imageOverDiscFile(folder, files, imagePath);
    if (!error.isEmpty()) return false;
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
    QElapsedTimer clock;
    clock.start();
    // Looked at often enough that a stop ends xorriso at once; the temporary folder then goes with it.
    while (!xorriso.waitForFinished(100)) {
        if (discOutputStop() || clock.elapsed() > kXorrisoTimeoutMs) {
            xorriso.kill();
            xorriso.waitForFinished();
            error = discOutputStop() ? "stopped" : "xorriso did not finish";
            return false;
        }
    }
    if (xorriso.exitStatus() != QProcess::NormalExit || xorriso.exitCode() != 0 ||
        !QFileInfo(temporary).isFile()) {
        error = "xorriso failed: " + QString::fromLocal8Bit(xorriso.readAll()).trimmed();
        return false;
    }
    if (std::rename(QFile::encodeName(temporary).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        error = "cannot rename the image to " + target.absoluteFilePath() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
