// The disc-burning command: which program burns an image (the setting "BurnProgram", else the first known
// desktop burner on the search path) and its argument list, the image as one argument, never a shell line.
#pragma once

#include <optional>

#include <QString>
#include <QStringList>

struct BurnCommand {
    QString program;
    QStringList arguments;
};

// The burners looked for when the setting names none, in order.
QStringList KnownBurners();
// The program that burns images: the setting's value when it is not empty (a name on the search path or a
// path), else the first known burner found; empty when there is none.
QString BurnProgram();
// The command burning image; nothing without a program or without an image.
std::optional<BurnCommand> MakeBurnCommand(const QString& image);
// What the user is told when there is no program: the settings file to name one in and the line as it
// must be written there (the path percent-encoded); a hand-written "BurnProgram" line the settings could
// not read is shown as it stands and as it must be.
QString MissingBurnerMessage();
