// kiwiprobe: prints what the readers see, one record per line, for shell tests and golden files.
#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>

#include "ProbeCommand.h"
#include "kiwi/disc/FileManager.h"

namespace probe {

std::map<std::string, Command>& commands() {
    static std::map<std::string, Command> table;
    return table;
}

bool hasFlag(const Args& args, const std::string& flag) {
    for (const auto& a : args)
        if (a == flag) return true;
    return false;
}

std::string option(const Args& args, const std::string& name, const std::string& fallback) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == name) return args[i + 1];
    return fallback;
}

Args positional(const Args& args, const std::vector<std::string>& valued) {
    Args result;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) == 0) {
            for (const auto& v : valued)
                if (v == a) {
                    ++i;
                    break;
                }
            continue;
        }
        result.push_back(a);
    }
    return result;
}

bool oneArgument(const Args& arguments, const char* usage) {
    if (arguments.size() == 1) return true;
    std::fprintf(stderr, "%s\n", usage);
    return false;
}

bool mountImageOption(const Args& args, const std::string& command) {
    const std::string image = option(args, "--image");
    if (image.empty() || OpenISOImage(image)) return true;
    std::fprintf(stderr, "%s: cannot mount %s\n", command.c_str(), image.c_str());
    return false;
}

long long parseNumber(const std::string& text) {
    size_t used = 0;
    const long long value = std::stoll(text, &used, 0);
    if (used != text.size()) throw std::invalid_argument("not a number: " + text);
    return value;
}

} // namespace probe

int main(int argc, char** argv) {
    // A write past the file size limit then fails as "File too large" instead of killing the probe.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    if (argc < 2 || !probe::commands().count(argv[1])) {
        std::fprintf(stderr, "usage: kiwiprobe COMMAND [ARGS]\n");
        for (const auto& [name, command] : probe::commands())
            std::fprintf(stderr, "  %s %s\n", name.c_str(), command.usage.c_str());
        return 2;
    }
    probe::Args args(argv + 2, argv + argc);
    try {
        const int code = probe::commands().at(argv[1]).handler(args);
        std::cout.flush();
        return code;
    } catch (const std::exception& e) {
        std::cout.flush();
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
}
