// Find dialog rules: hex patterns always match exactly, text is encoded in the data's code page and refused
// when it cannot be, and the histories and choices are remembered only when a search is started.
#include "hexview/dialogs/model/FindDialogModel.h"

#include "hexview/dialogs/model/HexInputText.h"
#include "platform/CodePage.h"

namespace {

const QString kFindFunction = QStringLiteral("FindFunction");
const QString kMatchCase = QStringLiteral("MatchCase");
const QString kHexCash = QStringLiteral("HexCash");
const QString kHexCashSize = QStringLiteral("HexCashSize");
const QString kTextCash = QStringLiteral("TextCash");
const QString kTextCashSize = QStringLiteral("TextCashSize");

int32_t storedInteger(const SettingsStore& store, const QString& name) {
    const auto value = store.read(name);
    return value && std::holds_alternative<int32_t>(*value) ? std::get<int32_t>(*value) : 0;
}

// The text's bytes in codePage, or empty when a character has no place there (it would silently become
// "?" and the search would look for something else).
QByteArray encodeExactly(const QString& text, int codePage) {
    if (codePage == CodePageUtf8) return text.toUtf8();
    const QByteArray bytes = encodeToCodePage(text, codePage);
    return decodeFromCodePage(bytes, codePage) == text ? bytes : QByteArray();
}

} // namespace

FindDialogModel::FindDialogModel(SettingsStore store, int codePage)
    : store_(std::move(store)), codePage_(codePage), caseForced_(codePage == CodePageUtf8) {
    storedMatchCase_ = storedInteger(store_, kMatchCase) != 0;
    initialFunction_ = storedInteger(store_, kFindFunction) == TextFunction ? TextFunction : HexFunction;
    hexHistory_.Load(store_, kHexCash, kHexCashSize);
    textHistory_.Load(store_, kTextCash, kTextCashSize);
}

const QStringList& FindDialogModel::History(int function) const {
    return function == TextFunction ? textHistory_.Entries() : hexHistory_.Entries();
}

bool FindDialogModel::UpperCaseInput(int function, bool matchCase) {
    return function != TextFunction || !matchCase;
}

bool FindDialogModel::HexTextAcceptable(const QString& text) {
    return !ParseHexPattern(text).isEmpty();
}

QString FindDialogModel::OddLengthQuestion(const QString& text) {
    return QStringLiteral("Search for 0 x 0") + text + QStringLiteral(" ?");
}

FindDialogModel::Outcome FindDialogModel::Submit(const Input& input,
                                                 const std::function<bool(const QString&)>& confirm) {
    Outcome outcome;
    SearchInfo& info = outcome.info;
    const bool text = input.function == TextFunction;
    const bool matchCase = caseForced_ || input.matchCase;
    QString typed = input.text;
    if (text) {
        if (typed.isEmpty()) return outcome;
        info.pattern = encodeExactly(typed, codePage_);
        if (info.pattern.isEmpty()) {
            outcome.verdict = Verdict::Rejected;
            return outcome;
        }
        textHistory_.Insert(typed);
    } else {
        info.pattern = ParseHexPattern(typed);
        if (info.pattern.isEmpty()) {
            outcome.verdict = Verdict::Rejected;
            return outcome;
        }
        if (typed.size() % 2 != 0) {
            if (!confirm || !confirm(OddLengthQuestion(typed))) {
                outcome.verdict = Verdict::Declined;
                return outcome;
            }
            typed.prepend(QLatin1Char('0'));
        }
        hexHistory_.Insert(typed);
    }
    info.type = text ? SearchInfo::Text : SearchInfo::Hex;
    info.zone = input.zone;
    info.direction = input.direction;
    // Bytes given in hex are the bytes wanted: folding them to upper case would find other bytes.
    info.matchCase = text ? matchCase : true;

    if (text)
        textHistory_.Save(store_, kTextCash, kTextCashSize);
    else
        hexHistory_.Save(store_, kHexCash, kHexCashSize);
    store_.write(kFindFunction, int32_t(text ? TextFunction : HexFunction));
    // A case box forced on by UTF-8 data says nothing of the user's choice for other data.
    if (!caseForced_) store_.write(kMatchCase, int32_t(input.matchCase ? 1 : 0));
    outcome.verdict = Verdict::Accepted;
    return outcome;
}
