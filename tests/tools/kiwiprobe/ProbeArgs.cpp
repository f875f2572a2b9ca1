// Parsing of one kiwiprobe command's arguments: a QCommandLineParser built from the options its usage line
// names, and the number and option helpers the commands share.
#include <QCommandLineParser>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "ProbeCommand.h"
#include "kiwi/disc/FileManager.h"
#include "platform/CodePage.h"
#include "support/walkers/CommandNumber.h"

namespace probe {
namespace {

// The parser sees each argument as Latin-1 code points, so it hands back the very bytes given (a file name
// in any encoding) and option names, all ASCII, parse as usual.
// A negative number ("-1234", a value of format) would read as an option: it goes in behind this mark.
constexpr char16_t kNumberMark = u'\x01';

QString wordOf(const std::string& bytes) {
    const bool negativeNumber = bytes.size() > 1 && bytes[0] == '-' && bytes[1] >= '0' && bytes[1] <= '9';
    return (negativeNumber ? QString(QChar(kNumberMark)) : QString()) + QString::fromLatin1(bytes);
}

std::string bytesOf(QString word) {
    if (word.startsWith(QChar(kNumberMark))) word.remove(0, 1);
    return word.toLatin1().toStdString();
}

// A usage line as a tree: a bracketed group holds alternatives separated by "|", each a sequence of
// options, arguments and nested groups. An option inside a group nested right after an option ("--frames
// [--wide]", "--table N [--wav OUT]") is read only with that option; options of different alternatives
// exclude each other; a group followed by "..." may be given more than once.
struct UsageItem;
using UsageSequence = std::vector<UsageItem>;
struct UsageItem {
    std::string option;                      // "--name", empty for an argument or a group
    std::string word;                        // the argument's word, or the word naming the option's value
    std::vector<UsageSequence> alternatives; // a group's
    bool repeatable = false;
};

// What a usage line names: its options, the word each valued option's value is named by, the words of
// the arguments in order ("VALUE..." stands for all the rest) and the tree the given options must fit.
struct UsageShape {
    std::vector<QCommandLineOption> options;
    std::map<std::string, std::string> valueWords;
    std::vector<std::string> argumentWords;
    UsageItem line;
};

// "[", "]" and "|" are tokens of their own wherever they stand, except that "|" inside a word names a
// value's choices ("crowded|overlapping").
std::vector<std::string> usageTokens(const std::string& usage) {
    std::vector<std::string> tokens;
    std::string word;
    const auto flush = [&] {
        if (!word.empty()) tokens.push_back(word);
        word.clear();
    };
    for (const char c : usage) {
        if (c == '[' || c == ']') {
            flush();
            tokens.emplace_back(1, c);
        } else if (c == ' ') {
            flush();
        } else {
            word += c;
        }
    }
    flush();
    return tokens;
}

class UsageParser {
public:
    UsageParser(std::vector<std::string> tokens, UsageShape& shape)
        : tokens_(std::move(tokens)), shape_(shape) {}

    UsageItem group(bool nested) {
        UsageItem item;
        item.alternatives.emplace_back();
        while (at_ < tokens_.size()) {
            const std::string token = tokens_[at_++];
            if (token == "]" && nested) break;
            UsageSequence& sequence = item.alternatives.back();
            if (token == "|") {
                item.alternatives.emplace_back();
            } else if (token == "[") {
                sequence.push_back(group(true));
                if (at_ < tokens_.size() && tokens_[at_] == "...") {
                    sequence.back().repeatable = true;
                    ++at_;
                }
            } else if (token.rfind("--", 0) == 0) {
                sequence.push_back(option(token));
            } else {
                if (!nested) shape_.argumentWords.push_back(token);
                sequence.push_back(UsageItem{{}, token, {}, false});
            }
        }
        return item;
    }

private:
    // "--name" followed by a word that is neither an option, "|", "..." nor a bracket takes a value.
    UsageItem option(const std::string& token) {
        const QString name = QString::fromStdString(token.substr(2));
        const bool valued = at_ < tokens_.size() && tokens_[at_].rfind("--", 0) != 0 && tokens_[at_] != "|" &&
                            tokens_[at_] != "[" && tokens_[at_] != "]" && tokens_[at_] != "...";
        // An option may stand in more than one alternative; the parser learns it once.
        const bool known = !registered_.insert(token).second;
        if (!valued) {
            if (!known) shape_.options.emplace_back(name);
            return UsageItem{token, {}, {}, false};
        }
        const std::string value = tokens_[at_++];
        if (!known) shape_.options.emplace_back(name, QString(), QString::fromStdString(value));
        shape_.valueWords[token] = value;
        return UsageItem{token, value, {}, false};
    }

    std::vector<std::string> tokens_;
    size_t at_ = 0;
    UsageShape& shape_;
    std::set<std::string> registered_;
};

UsageShape usageShape(const std::string& usage) {
    UsageShape shape;
    shape.options.emplace_back(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    shape.line = UsageParser(usageTokens(usage), shape).group(false);
    return shape;
}

void collectOptions(const UsageItem& item, std::set<std::string>& names) {
    if (!item.option.empty()) names.insert(item.option);
    for (const UsageSequence& sequence : item.alternatives)
        for (const UsageItem& inner : sequence)
            collectOptions(inner, names);
}

std::set<std::string> optionsOf(const UsageSequence& sequence) {
    std::set<std::string> names;
    for (const UsageItem& item : sequence)
        collectOptions(item, names);
    return names;
}

std::string groupConflict(const UsageItem& group, const std::vector<std::string>& given, bool nested);

// The reason the given options do not fit sequence, or "".
std::string sequenceConflict(const UsageSequence& sequence, const std::vector<std::string>& given,
                             bool nested) {
    for (size_t i = 0; i < sequence.size(); ++i) {
        const UsageItem& item = sequence[i];
        if (item.alternatives.empty()) continue;
        if (nested && i > 0 && !sequence[i - 1].option.empty()) {
            std::set<std::string> inner;
            collectOptions(item, inner);
            const std::string& leader = sequence[i - 1].option;
            const bool led = std::find(given.begin(), given.end(), leader) != given.end();
            for (const std::string& name : given)
                if (!led && inner.count(name)) return name + " needs " + leader;
        }
        if (std::string why = groupConflict(item, given, true); !why.empty()) return why;
    }
    return {};
}

std::string groupConflict(const UsageItem& group, const std::vector<std::string>& given, bool nested) {
    std::set<std::string> all;
    collectOptions(group, all);
    std::vector<std::string> here;
    for (const std::string& name : given)
        if (all.count(name) && std::find(here.begin(), here.end(), name) == here.end()) here.push_back(name);
    if (here.empty()) return {};
    std::string first;
    bool someHoldsAll = false;
    for (const UsageSequence& sequence : group.alternatives) {
        const std::set<std::string> names = optionsOf(sequence);
        if (!std::all_of(here.begin(), here.end(), [&](const std::string& n) { return names.count(n) > 0; }))
            continue;
        someHoldsAll = true;
        std::string why = sequenceConflict(sequence, given, nested);
        if (why.empty()) return {};
        if (first.empty()) first = why;
    }
    if (someHoldsAll) return first;
    // Two of the given options that no alternative holds together.
    for (size_t a = 0; a < here.size(); ++a)
        for (size_t b = a + 1; b < here.size(); ++b) {
            const bool together = std::any_of(group.alternatives.begin(), group.alternatives.end(),
                                              [&](const UsageSequence& sequence) {
                                                  const std::set<std::string> names = optionsOf(sequence);
                                                  return names.count(here[a]) && names.count(here[b]);
                                              });
            if (!together) return here[b] + " cannot go with " + here[a];
        }
    return here.back() + " cannot go with the other options given";
}

// Refuses options that the command would not read as given: alternatives given together, an option
// without the one it belongs to, and an option given twice where it is read once.
void refuseIgnored(const UsageShape& shape, const std::vector<std::pair<std::string, std::string>>& given) {
    std::vector<std::string> names;
    for (const auto& [option, value] : given)
        if (option != "-h" && option != "--help") names.push_back(option);
    std::set<std::string> repeatable;
    std::vector<const UsageItem*> pending{&shape.line};
    while (!pending.empty()) {
        const UsageItem* item = pending.back();
        pending.pop_back();
        if (item->repeatable) collectOptions(*item, repeatable);
        for (const UsageSequence& sequence : item->alternatives)
            for (const UsageItem& inner : sequence)
                pending.push_back(&inner);
    }
    for (size_t i = 0; i < names.size(); ++i)
        if (!repeatable.count(names[i]) &&
            std::find(names.begin(), names.begin() + long(i), names[i]) != names.begin() + long(i))
            throw UsageError(names[i] + " is given twice; it is read once");
    if (std::string why = groupConflict(shape.line, names, false); !why.empty()) throw UsageError(why);
}

// Free text (TEXT), the values format shows (VALUE...) and names a reader looks up in the data (NAME: an
// empty one is a name like any other to it) may be empty; every other argument names a file, a folder or a
// choice, where "" would silently mean the current folder, "/" or nothing.
bool mayBeEmpty(const std::string& word) {
    return word == "TEXT" || word == "VALUE..." || word == "NAME";
}

void refuseEmpty(const UsageShape& shape, const std::vector<std::pair<std::string, std::string>>& given,
                 const std::vector<std::string>& arguments) {
    for (const auto& [option, value] : given) {
        const auto word = shape.valueWords.find(option);
        if (value.empty() && word != shape.valueWords.end() && !mayBeEmpty(word->second))
            throw UsageError(option + " is empty: give " + word->second);
    }
    for (size_t i = 0; i < arguments.size() && !shape.argumentWords.empty(); ++i) {
        const std::string& word = shape.argumentWords[std::min(i, shape.argumentWords.size() - 1)];
        if (arguments[i].empty() && !mayBeEmpty(word))
            throw UsageError("argument " + std::to_string(i + 1) + " (" + word + ") is empty");
    }
}

} // namespace

Args parseArguments(const std::string& usage, const std::vector<std::string>& words) {
    QCommandLineParser parser;
    // "-limit" is "--limit", not the letters l, i, m, i, t.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const UsageShape shape = usageShape(usage);
    for (const QCommandLineOption& option : shape.options)
        parser.addOption(option);
    QStringList line{QStringLiteral("kiwiprobe")};
    for (const std::string& word : words)
        line << wordOf(word);
    if (!parser.parse(line)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty()) {
            // "Missing value after '--limit'." in the style of the probe's own messages.
            QString text = parser.errorText();
            if (text.endsWith(QLatin1Char('.'))) text.chop(1);
            throw UsageError(bytesOf(text.left(1).toLower() + text.mid(1)));
        }
        throw UsageError("unknown option --" + bytesOf(unknown.join(QStringLiteral(", --"))));
    }
    std::vector<std::pair<std::string, std::string>> given;
    std::map<QString, qsizetype> seen;
    for (const QString& name : parser.optionNames()) {
        // A name given twice is listed twice; its values come in the same order.
        const QStringList values = parser.values(name);
        const qsizetype index = seen[name]++;
        given.emplace_back((name.size() == 1 ? "-" : "--") + bytesOf(name),
                           index < values.size() ? bytesOf(values[index]) : std::string());
    }
    std::vector<std::string> plain;
    for (const QString& word : parser.positionalArguments())
        plain.push_back(bytesOf(word));
    refuseEmpty(shape, given, plain);
    refuseIgnored(shape, given);
    return Args(std::move(plain), std::move(given));
}

bool Args::has(const std::string& name) const {
    for (const auto& [option, value] : given_)
        if (option == name) return true;
    return false;
}

std::string Args::value(const std::string& name, const std::string& fallback) const {
    std::string found = fallback;
    for (const auto& [option, value] : given_)
        if (option == name) found = value;
    return found;
}

long long Args::number(const std::string& name, long long fallback, long long low, long long high) const {
    if (!has(name)) return fallback;
    try {
        return parseNumber(value(name), low, high);
    } catch (const UsageError& error) {
        throw UsageError(name + " " + error.what());
    }
}

int Args::codePage(const std::string& name, int fallback) const {
    const int page = int(number(name, fallback, 0, 65535));
    if (has(name) && !isSupportedCodePage(page))
        throw UsageError(name + " " + value(name) + ": not a code page this system converts");
    return page;
}

bool oneArgument(const std::vector<std::string>& arguments, const char* usage) {
    if (arguments.size() == 1) return true;
    std::fprintf(stderr, "%s\n", usage);
    return false;
}

bool mountImageOption(const Args& args, const std::string& command) {
    const std::string image = args.value("--image");
    std::string why;
    if (image.empty() || OpenISOImage(image, &why)) return true;
    std::error_code error;
    if (!std::filesystem::exists(image, error)) why = "not found";
    std::fprintf(stderr, "%s: cannot mount %s: %s\n", command.c_str(), image.c_str(),
                 why.empty() ? "sectors of other than 2048 bytes" : why.c_str());
    return false;
}

long long parseNumber(const std::string& text, long long low, long long high) {
    std::string why;
    if (const auto value = ParseCommandNumber(text, low, high, &why)) return *value;
    throw UsageError(text + ": " + why);
}

} // namespace probe
