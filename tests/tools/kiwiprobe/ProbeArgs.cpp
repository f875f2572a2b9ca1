// Parsing of one kiwiprobe command's arguments: a QCommandLineParser built from the options its usage line
// names, and the number and option helpers the commands share.
#include <QCommandLineParser>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string_view>

#include "ProbeCommand.h"
#include "kiwi/disc/FileManager.h"
#include "platform/CodePage.h"

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

// What a usage line names: its options, the word each valued option's value is named by, and the words
// of the arguments in order ("VALUE..." stands for all the rest).
struct UsageShape {
    std::vector<QCommandLineOption> options;
    std::map<std::string, std::string> valueWords;
    std::vector<std::string> argumentWords;
};

// "--name" followed by a word that is neither an option nor "|" takes a value (the word names it).
UsageShape usageShape(const std::string& usage) {
    std::string plain = usage;
    for (char& c : plain)
        if (c == '[' || c == ']') c = ' ';
    std::istringstream stream(plain);
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    UsageShape shape;
    shape.options.emplace_back(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] == "|") continue;
        if (words[i].rfind("--", 0) != 0) {
            shape.argumentWords.push_back(words[i]);
            continue;
        }
        const QString name = QString::fromStdString(words[i].substr(2));
        const bool valued = i + 1 < words.size() && words[i + 1].rfind("--", 0) != 0 && words[i + 1] != "|";
        if (!valued) {
            shape.options.emplace_back(name);
            continue;
        }
        shape.options.emplace_back(name, QString(), QString::fromStdString(words[i + 1]));
        shape.valueWords[words[i]] = words[i + 1];
        ++i;
    }
    return shape;
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

std::string rangeText(long long low, long long high) {
    if (high == LLONG_MAX) return "not at least " + std::to_string(low);
    if (low == LLONG_MIN) return "not at most " + std::to_string(high);
    return "not from " + std::to_string(low) + " to " + std::to_string(high);
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
    const bool negative = !text.empty() && text[0] == '-';
    std::string_view digits(text);
    digits.remove_prefix(negative ? 1 : 0);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    }
    // from_chars takes no sign, blank or prefix of its own, so only the digits are read.
    unsigned long long magnitude = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (digits.empty() || end != digits.data() + digits.size()) throw UsageError(text + ": not a number");
    const unsigned long long limit = negative ? 0ULL - (unsigned long long)LLONG_MIN : LLONG_MAX;
    if (error == std::errc::result_out_of_range || magnitude > limit)
        throw UsageError(text + ": out of range");
    const long long value = negative ? (long long)(0ULL - magnitude) : (long long)magnitude;
    if (value < low || value > high) throw UsageError(text + ": " + rangeText(low, high));
    return value;
}

} // namespace probe
