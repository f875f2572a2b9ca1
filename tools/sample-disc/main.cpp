// strovane-sample-disc: writes the sample disc's files into a folder, builds its ISO 9660 image with
// xorriso, or installs the image for the program's first run (scripts/run does this before starting it).
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "DiscOutput.h"
#include "SampleDisc.h"
#include "SampleInstall.h"
#include "TownPolishMap.h"

namespace {

const char* const kUsage =
    "usage: strovane-sample-disc FOLDER [--iso IMAGE]\n"
    "       strovane-sample-disc --iso IMAGE\n"
    "       strovane-sample-disc --install\n"
    "FOLDER receives the disc's files; IMAGE its ISO 9660 image (made with xorriso), and beside it\n"
    "IMAGE-town.mp, the town's buildings, city area and house numbers in the Polish format.\n"
    "--install writes $XDG_DATA_HOME/strovane/sample-disc.iso and sample-disc-town.mp when they are\n"
    "missing and, while the program's reopen list is empty, makes the image its first entry.\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

int fail(const QString& error) {
    std::fprintf(stderr, "strovane-sample-disc: %s\n", qPrintable(error));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString folder, image;
    bool install = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == "--install")
            install = true;
        else if (args[i] == "--iso" && i + 1 < args.size() && image.isEmpty())
            image = args[++i];
        else if (!args[i].startsWith("-") && folder.isEmpty())
            folder = args[i];
        else
            return usage();
    }
    QString error;
    if (install) {
        if (!folder.isEmpty() || !image.isEmpty()) return usage();
        QString report;
        if (!installSampleDisc(report, error)) return fail(error);
        std::fputs(qPrintable(report), stdout);
        return 0;
    }
    if (folder.isEmpty() && image.isEmpty()) return usage();
    QTemporaryDir scratch;
    if (folder.isEmpty()) {
        if (!scratch.isValid()) return fail("cannot create a temporary folder");
        folder = scratch.path();
    }
    if (!writeDiscFolder(folder, buildSampleDisc(), error)) return fail(error);
    if (!image.isEmpty() &&
        (!buildIsoImage(folder, image, error) || !writeTownPolishMap(townPolishMapPath(image), error)))
        return fail(error);
    return 0;
}
