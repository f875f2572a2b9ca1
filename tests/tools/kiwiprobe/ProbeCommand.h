// Sub-command registry of kiwiprobe: each cmd_*.cpp file registers its commands with a static object.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace probe {

using Args = std::vector<std::string>;
// Returns the process exit code; prints to stdout, one record per line.
using Handler = std::function<int(const Args& args)>;

struct Command {
    std::string usage;
    Handler handler;
};

std::map<std::string, Command>& commands();

struct Register {
    Register(const std::string& name, const std::string& usage, Handler handler) {
        commands()[name] = Command{usage, std::move(handler)};
    }
};

// Option helpers: "--name value" pairs and flags anywhere in args.
bool hasFlag(const Args& args, const std::string& flag);
std::string option(const Args& args, const std::string& name, const std::string& fallback = {});
// Arguments that are neither options nor option values (options listed in valued take a value).
Args positional(const Args& args, const std::vector<std::string>& valued = {});
// True when arguments holds exactly one item; otherwise prints usage ("command: give ...") on stderr.
bool oneArgument(const Args& arguments, const char* usage);
// Mounts the image named by --image (when given) so that names are looked up inside it; false, with a
// message on stderr, when it cannot be mounted.
bool mountImageOption(const Args& args, const std::string& command);
// Parses decimal or 0x-prefixed hexadecimal (signed).
long long parseNumber(const std::string& text);

} // namespace probe
