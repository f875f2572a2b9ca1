// Sub-command registry of kiwiprobe: each cmd_*.cpp file registers its commands with a static object. A
// command's usage line is also its list of options: "--name" followed by a word that is not an option
// ("--offset N", "--regions all|I,J") takes a value, any other "--name" is a flag. Before a command runs,
// main() parses its arguments against that list (see ProbeArgs.cpp).
#pragma once

#include <climits>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace probe {

// A command line that cannot be run. main() prints the message, naming what is wrong, and the command's
// usage on stderr and exits 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One command's arguments, parsed.
class Args {
public:
    Args(std::vector<std::string> words, std::vector<std::pair<std::string, std::string>> given)
        : words_(std::move(words)), given_(std::move(given)) {}

    // The arguments that are neither options nor their values, in order.
    const std::vector<std::string>& words() const { return words_; }
    // Options by their full name ("--walk").
    bool has(const std::string& name) const;
    // The value given last, or fallback when the option is not given.
    std::string value(const std::string& name, const std::string& fallback = {}) const;
    // The value as a number from low to high, or fallback when the option is not given. Raises UsageError
    // naming the option and its value when that is not such a number.
    long long number(const std::string& name, long long fallback, long long low = LLONG_MIN,
                     long long high = LLONG_MAX) const;
    // The value as a code page this system converts, or fallback when the option is not given.
    int codePage(const std::string& name, int fallback) const;
    // Every option with its value ("" for a flag), in the order given.
    const std::vector<std::pair<std::string, std::string>>& given() const { return given_; }

private:
    std::vector<std::string> words_;
    std::vector<std::pair<std::string, std::string>> given_;
};

// Returns the process exit code; prints to stdout, one record per line.
using Handler = std::function<int(const Args& args)>;

struct Command {
    std::string usage;   // "FILE [--offset N] [--image IMAGE]"
    std::string summary; // what the command prints or writes, for its help
    Handler handler;
};

std::map<std::string, Command>& commands();

struct Register {
    Register(const std::string& name, const std::string& usage, const std::string& summary, Handler handler) {
        commands()[name] = Command{usage, summary, std::move(handler)};
    }
};

// Parses words (the arguments after the command's name) against usage's options. "--help" and "-h" are
// flags of every command. Raises UsageError for an unknown option, a missing or unexpected value, and an
// empty argument or value where usage names a path or a choice ("" would otherwise be the current folder
// or "/" once a command appends a file name to it); TEXT, VALUE... and NAME may be empty.
Args parseArguments(const std::string& usage, const std::vector<std::string>& words);

// True when arguments holds exactly one item; otherwise prints usage ("command: give ...") on stderr.
bool oneArgument(const std::vector<std::string>& arguments, const char* usage);
// The generators build a file whole in memory before writing it, so the offset they put a part at is
// bounded (16 MiB) rather than left to allocate gigabytes.
constexpr long long kMostGeneratedBase = 16LL << 20;
// Exit code of every command whose --image cannot be mounted.
constexpr int kImageNotMounted = 1;
// Mounts the image named by --image (when given) so that names are looked up inside it; false, with a
// message on stderr, when it cannot be mounted (the command then exits with kImageNotMounted).
bool mountImageOption(const Args& args, const std::string& command);
// Parses decimal (a leading 0 is still decimal) or 0x-prefixed hexadecimal, signed, from low to high.
// Raises UsageError naming text when it is not such a number.
long long parseNumber(const std::string& text, long long low = LLONG_MIN, long long high = LLONG_MAX);

} // namespace probe
