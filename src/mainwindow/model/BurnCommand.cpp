// Choosing the burning program and building its arguments.
#include "mainwindow/model/BurnCommand.h"

#include <QStandardPaths>

#include "platform/RegistrySettings.h"

QStringList KnownBurners() {
    return {QStringLiteral("brasero"), QStringLiteral("k3b"), QStringLiteral("xfburn")};
}

QString BurnProgram() {
    const QString configured = RegReadString(QStringLiteral("BurnProgram")).trimmed();
    if (!configured.isEmpty()) return configured;
    for (const QString& name : KnownBurners()) {
        const QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty()) return found;
    }
    return {};
}

std::optional<BurnCommand> MakeBurnCommand(const QString& image) {
    if (image.isEmpty()) return std::nullopt;
    const QString program = BurnProgram();
    if (program.isEmpty()) return std::nullopt;
    // The image's name is one argument as it is: blanks and quotes in it need no quoting.
    return BurnCommand{program, {image}};
}
