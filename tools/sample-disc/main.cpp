// strovane-sample-disc: writes the sample disc's files into a folder, builds its ISO 9660 image with
// xorriso, or installs the image for the program's first run (scripts/run does this before starting it).
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>

#include "DiscOutput.h"
#include "SampleDisc.h"
#include "SampleInstall.h"
#include "TownPolishMap.h"
#include "platform/StopSignals.h"

namespace {

const char* const kSynopsis = "usage: strovane-sample-disc FOLDER [--iso IMAGE]\n"
                              "       strovane-sample-disc --iso IMAGE\n"
                              "       strovane-sample-disc --install\n";
const char* const kDetails =
    "FOLDER receives the disc's files; IMAGE its ISO 9660 image (made with xorriso), and beside it\n"
    "IMAGE-town.mp, the town's buildings, city area and house numbers in the Polish format.\n"
    "--install writes $XDG_DATA_HOME/strovane/sample-disc.iso and sample-disc-town.mp when they are\n"
    "missing and, while the program's reopen list is empty, makes the image its first entry.\n"
    "--help prints this text, --version the version.\n";

// A command line that cannot be run: what is wrong, then how it is written; exit 2.
int refuse(const QString& problem) {
    std::fprintf(stderr, "strovane-sample-disc: %s\n%s", qPrintable(problem), kSynopsis);
    return 2;
}

// Exit 2 when a stop signal ended the run (nothing half-made is left), 1 on any other failure.
int fail(const QString& error) {
    std::fprintf(stderr, "strovane-sample-disc: %s\n", qPrintable(error));
    return discOutputStop() ? 2 : 1;
}

void onStopSignal(int) {
    discOutputStop().store(true);
}

// The number of the first argument that is not UTF-8, or 0. Its name would reach the file system with
// its bad bytes replaced: another folder than the one given.
int firstArgumentNotUtf8(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString decoded = decoder(QByteArrayView(argv[i]));
        if (decoder.hasError()) return i;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Ctrl+C, a kill and a closed terminal stop the writers at their next step.
    CatchStopSignals(onStopSignal);
    // A write past a file size limit fails with its reason instead of ending the tool.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    if (const int bad = firstArgumentNotUtf8(argc, argv))
        return refuse(
            QStringLiteral("argument %1 is not valid UTF-8; give FOLDER and IMAGE as UTF-8 names").arg(bad));
    QCommandLineParser parser;
    // "-iso" is "--iso", not the letters i, s, o.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption isoOption(QStringLiteral("iso"), QString(), QStringLiteral("IMAGE"));
    const QCommandLineOption installOption(QStringLiteral("install"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(QStringLiteral("version"));
    parser.addOptions({isoOption, installOption, helpOption, versionOption});
    if (!parser.parse(app.arguments())) {
        const QStringList unknown = parser.unknownOptionNames();
        return refuse(unknown.isEmpty()
                          ? parser.errorText()
                          : QStringLiteral("unknown option --") + unknown.join(QStringLiteral(", --")));
    }
    if (parser.isSet(helpOption)) {
        std::printf("%s%s", kSynopsis, kDetails);
        return 0;
    }
    if (parser.isSet(versionOption)) {
        std::printf("strovane-sample-disc %s\n", STROVANE_VERSION);
        return 0;
    }
    const QStringList folders = parser.positionalArguments();
    const QStringList images = parser.values(isoOption);
    const bool install = parser.isSet(installOption);
    if (folders.size() > 1) return refuse(QStringLiteral("one FOLDER only, not also \"%1\"").arg(folders[1]));
    if (images.size() > 1) return refuse(QStringLiteral("one --iso only, not also \"%1\"").arg(images[1]));
    // "" would be the current folder, or no image at all.
    if (folders.value(0, QStringLiteral("-")).isEmpty()) return refuse(QStringLiteral("FOLDER is empty"));
    if (images.value(0, QStringLiteral("-")).isEmpty())
        return refuse(QStringLiteral("--iso is empty: give IMAGE"));
    if (install && !(folders.isEmpty() && images.isEmpty()))
        return refuse(QStringLiteral("--install takes no FOLDER and no --iso"));
    if (!install && folders.isEmpty() && images.isEmpty())
        return refuse(QStringLiteral("give FOLDER, --iso IMAGE or --install"));
    QString error;
    if (install) {
        QString report;
        if (!installSampleDisc(report, error)) return fail(error);
        std::fputs(qPrintable(report), stdout);
        return 0;
    }
    QString folder = folders.value(0);
    const QString image = images.value(0);
    QTemporaryDir scratch;
    if (folder.isEmpty()) {
        if (!scratch.isValid()) return fail("cannot create a temporary folder");
        folder = scratch.path();
    }
    const DiscFiles disc = buildSampleDisc();
    if (!image.isEmpty() && !(error = imageOverDiscFile(folder, disc, image)).isEmpty()) return fail(error);
    if (!writeDiscFolder(folder, disc, error)) return fail(error);
    if (!image.isEmpty() &&
        (!buildIsoImage(folder, disc, image, error) || !writeTownPolishMap(townPolishMapPath(image), error)))
        return fail(error);
    return 0;
}
