// kiwiprobe: prints what the readers see, one record per line, for shell tests and golden files.
#include <QCoreApplication>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>

#include "ProbeCommand.h"
#include "ProbeStop.h"

namespace probe {

std::map<std::string, Command>& commands() {
    static std::map<std::string, Command> table;
    return table;
}

} // namespace probe

namespace {

void listCommands(std::FILE* out) {
    std::fprintf(out, "usage: kiwiprobe COMMAND [ARGS]\n"
                      "       kiwiprobe help COMMAND (or COMMAND --help) tells what COMMAND prints\n"
                      "       kiwiprobe --version\n"
                      "commands:\n");
    for (const auto& [name, command] : probe::commands())
        std::fprintf(out, "  %s %s\n", name.c_str(), command.usage.c_str());
}

int describe(const std::string& name) {
    const probe::Command& command = probe::commands().at(name);
    std::printf("usage: kiwiprobe %s %s\n%s\n", name.c_str(), command.usage.c_str(), command.summary.c_str());
    return 0;
}

int unknownCommand(const std::string& name) {
    std::fprintf(stderr, "kiwiprobe: unknown command \"%s\"; kiwiprobe --help lists them\n", name.c_str());
    return 2;
}

// A result that could not be printed is no result: a full disk or a closed pipe is told and fails the run.
bool wroteStandardOutput() {
    std::cout.flush();
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout) && std::cout.good()) return true;
    std::fprintf(stderr, "kiwiprobe: cannot write the standard output%s%s\n", errno ? ": " : "",
                 errno ? std::strerror(errno) : "");
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // A write past the file size limit then fails as "File too large" instead of killing the probe.
    std::signal(SIGXFSZ, SIG_IGN);
    probe::catchStopSignals();
    QCoreApplication app(argc, argv);
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty()) {
        listCommands(stderr);
        return 2;
    }
    const std::string& name = words[0];
    if (name == "--version") {
        std::printf("kiwiprobe %s\n", STROVANE_VERSION);
        return 0;
    }
    if ((name == "--help" || name == "-h" || name == "help") && words.size() == 1) {
        listCommands(stdout);
        return 0;
    }
    if (name == "help") {
        if (words.size() != 2) {
            std::fprintf(stderr, "kiwiprobe help: give one COMMAND\n");
            return 2;
        }
        return probe::commands().count(words[1]) ? describe(words[1]) : unknownCommand(words[1]);
    }
    if (!probe::commands().count(name)) return unknownCommand(name);
    const probe::Command& command = probe::commands().at(name);
    try {
        const probe::Args args = probe::parseArguments(command.usage, {words.begin() + 1, words.end()});
        if (args.has("--help") || args.has("-h")) return describe(name);
        const int code = command.handler(args);
        if (!wroteStandardOutput()) return 1;
        // A command cut short by a stop signal says so, whatever failed on the way.
        return code != 0 && probe::stopSignalled() ? 2 : code;
    } catch (const probe::UsageError& e) {
        std::cout.flush();
        std::fprintf(stderr, "kiwiprobe %s: %s\nusage: kiwiprobe %s %s\n", name.c_str(), e.what(),
                     name.c_str(), command.usage.c_str());
        return 2;
    } catch (const std::exception& e) {
        std::cout.flush();
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
}
