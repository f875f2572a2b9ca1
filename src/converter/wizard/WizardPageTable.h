// The converter wizard's pages as one table: each page's caption, hint, and how Back, Next and the
// progress bar stand when it is shown. The dialog reads nothing else to set its buttons.
#pragma once

#include <QString>
#include <array>

enum class WizardPage {
    Info,
    Caution,
    FirstStep,
    Translate,
    Loading,
    Settings,
    CutMap,
    File,
    Creation,
    Finish,
    Completion,
    Region
};
inline constexpr int kWizardPageCount = 12;

// Back: fixed, or on only when the caution text is there (the first options page after the caution).
enum class BackRule { Off, On, WhenCaution };
// Next: fixed, decided by the output check (file page), or on while Start Processing is off.
enum class NextRule { Off, On, OutputCheck, WhenProcessingOff };
enum class ProgressRule { Hidden, ShownAtZero, HiddenAtZero };

struct WizardPageRules {
    const char* caption;
    const char* hint;
    BackRule back;
    NextRule next;
    ProgressRule progress;
    // Next reads "Готово" (ends the wizard) instead of "Далее".
    bool nextIsDone;
    bool cancelEnabled;
};

const WizardPageRules& PageRulesOf(WizardPage page);

// Where the wizard opens: the information page without a map, the caution page for a map read through a
// CMP list, else the first options page.
WizardPage StartPage(bool mapOpen, bool compressed);

// The two captions of Next.
QString NextCaption();
QString DoneCaption();
