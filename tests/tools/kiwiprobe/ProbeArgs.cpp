// Parsing of one kiwiprobe command's arguments: a QCommandLineParser built from the options its usage line
// names, and the number and option helpers the commands share.
#include <QCommandLineParser>
#include <cstdio>
#include <sstream>

#include "ProbeCommand.h"
#include "kiwi/disc/FileManager.h"

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

// "--name" followed by a word that is neither an option nor "|" takes a value (the word names it).
std::vector<QCommandLineOption> usageOptions(const std::string& usage) {
    std::string plain = usage;
    for (char& c : plain)
        if (c == '[' || c == ']') c = ' ';
    std::istringstream stream(plain);
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    std::vector<QCommandLineOption> options{
        QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")})};
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i].rfind("--", 0) != 0) continue;
        const QString name = QString::fromStdString(words[i].substr(2));
        const bool valued = i + 1 < words.size() && words[i + 1].rfind("--", 0) != 0 && words[i + 1] != "|";
        options.push_back(valued ? QCommandLineOption(name, QString(), QString::fromStdString(words[i + 1]))
                                 : QCommandLineOption(name));
    }
    return options;
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
    for (const QCommandLineOption& option : usageOptions(usage))
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
    const std::string text = value(name);
    long long result = 0;
    try {
        result = parseNumber(text);
    } catch (const UsageError& error) {
        throw UsageError(name + " " + error.what());
    }
    if (result < low || result > high) throw UsageError(name + " " + text + ": " + rangeText(low, high));
    return result;
}

bool oneArgument(const std::vector<std::string>& arguments, const char* usage) {
    if (arguments.size() == 1) return true;
    std::fprintf(stderr, "%s\n", usage);
    return false;
}

bool mountImageOption(const Args& args, const std::string& command) {
    const std::string image = args.value("--image");
    if (image.empty() || OpenISOImage(image)) return true;
    std::fprintf(stderr, "%s: cannot mount %s\n", command.c_str(), image.c_str());
    return false;
}

long long parseNumber(const std::string& text) {
    size_t used = 0;
    long long value = 0;
    try {
        value = std::stoll(text, &used, 0);
    } catch (const std::out_of_range&) {
        throw UsageError(text + ": out of range");
    } catch (const std::invalid_argument&) {
        used = 0;
    }
    if (used == 0 || used != text.size()) throw UsageError(text + ": not a number");
    return value;
}

} // namespace probe
