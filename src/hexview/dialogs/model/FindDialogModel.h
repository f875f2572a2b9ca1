// The find dialog's rules without its widgets: the remembered function, case setting and pattern histories,
// how typed text becomes the bytes to find, and what OK does.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "hexview/dialogs/model/PatternHistory.h"
#include "hexview/dialogs/model/SearchInfo.h"
#include "platform/SettingsStore.h"

class FindDialogModel {
public:
    // The items of the function group.
    enum Function { HexFunction = 0, TextFunction = 1 };

    // What the dialog's boxes hold when OK is pressed.
    struct Input {
        QString text;
        int function = HexFunction;
        bool matchCase = false;
        int zone = SearchInfo::WholeFile;
        int direction = SearchInfo::Down;
    };
    enum class Verdict {
        Accepted, // the search info is ready, histories and settings are written
        Ignored,  // an empty text pattern: nothing happens
        Rejected, // bad input: the box turns red, a beep, the dialog stays
        Declined, // the user said no to the odd-length question: the dialog stays
    };
    struct Outcome {
        Verdict verdict = Verdict::Ignored;
        SearchInfo info;
    };

    // codePage is the one typed text is searched in: 65001 sends text patterns as UTF-8 and forces
    // matching case (upper-casing a multi-byte sequence byte by byte would break it); any other page
    // encodes them in that page. Reads "FindFunction", "MatchCase" and both histories from store.
    FindDialogModel(SettingsStore store, int codePage);

    int InitialFunction() const { return initialFunction_; }
    bool InitialMatchCase() const { return caseForced_ || storedMatchCase_; }
    // The case box is checked and cannot be changed.
    bool CaseForced() const { return caseForced_; }
    const QStringList& History(int function) const;
    // Whether typing is upper-cased: always for hex, for text while case does not matter.
    static bool UpperCaseInput(int function, bool matchCase);
    // The check run on every edit of a hex pattern: a beep unless the text is a readable pattern.
    static bool HexTextAcceptable(const QString& text);
    // The question asked before searching an odd number of hex digits.
    static QString OddLengthQuestion(const QString& text);

    // Runs OK. confirm asks the odd-length question and answers true for yes.
    Outcome Submit(const Input& input, const std::function<bool(const QString&)>& confirm);

private:
    SettingsStore store_;
    int codePage_;
    bool caseForced_;
    bool storedMatchCase_ = false;
    int initialFunction_ = HexFunction;
    PatternHistory hexHistory_;
    PatternHistory textHistory_;
};
