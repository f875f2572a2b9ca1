// Choosing the burning program and building its arguments.
#include "mainwindow/model/BurnCommand.h"

#include <QDir>
#include <QStandardPaths>

#include "platform/RegistrySettings.h"
#include "platform/SettingsStore.h"

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

QString MissingBurnerMessage() {
    const QString name = QStringLiteral("BurnProgram");
    const SettingsStore store = SettingsStore::forUser();
    QString text =
        QStringLiteral("Программа записи дисков не найдена. Укажите её в файле настроек «%1» строкой\n")
            .arg(QDir::toNativeSeparators(store.filePath()));
    // A string line whose value holds blanks as typed: everything after the name is the intended path.
    for (const QByteArray& line : store.UnreadLines()) {
        const qsizetype nameEnd = line.indexOf(' ', 2);
        if (!line.startsWith("S ") || nameEnd < 0 ||
            QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(2, nameEnd - 2)))
                    .compare(name, Qt::CaseInsensitive) != 0)
            continue;
        const QString path = QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(nameEnd + 1)));
        return text + QString::fromUtf8(SettingsStore::FormatLine(name, path)) +
               QStringLiteral("\nвместо строки, которую настройки не могут прочитать:\n") +
               QString::fromUtf8(line);
    }
    return text + QString::fromUtf8(SettingsStore::FormatLine(name, QStringLiteral("/usr/bin/brasero"))) +
           QStringLiteral("\n(путь к программе в процентной кодировке: «/» как %2F, пробел как %20).");
}
