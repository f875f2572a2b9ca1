// The services the windows ask of the desktop, behind interfaces so that tests answer them and no test ever
// waits on a modal window: messages, file and folder choices, opening links, starting programs, choosing a
// colour, typing a password, the beep.
#pragma once

#include <optional>

#include <QColor>
#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

class Messenger {
public:
    virtual ~Messenger() = default;
    virtual void Error(QWidget* parent, const QString& text) = 0;
    virtual void Information(QWidget* parent, const QString& text) = 0;
    // True for yes.
    virtual bool Question(QWidget* parent, const QString& text) = 0;
    // A warning box with OK and Cancel ("ОК", "Отмена"); true for OK. A messenger without one asks as
    // Question does.
    virtual bool Warning(QWidget* parent, const QString& text) { return Question(parent, text); }
    // Yes (true), No (false) or Cancel (nothing), in a box titled title. A messenger without a Cancel button
    // answers as Question does.
    virtual std::optional<bool> QuestionOrCancel(QWidget* parent, const QString& title, const QString& text) {
        (void)title;
        return Question(parent, text);
    }
};

class PathChooser {
public:
    virtual ~PathChooser() = default;
    // Empty when the user cancels.
    virtual QString OpenFile(QWidget* parent, const QString& title, const QString& filter,
                             const QString& start) = 0;
    // Several files at once, in the order the user chose them; empty when the user cancels.
    virtual QStringList OpenFiles(QWidget* parent, const QString& title, const QString& filter,
                                  const QString& start) = 0;
    virtual QString Folder(QWidget* parent, const QString& title, const QString& start) = 0;
    // A mounted volume (navigation disc).
    virtual QString Disk(QWidget* parent, const QString& title) = 0;
    virtual QString SaveFile(QWidget* parent, const QString& title, const QString& filter,
                             const QString& start) = 0;
    // As SaveFile, for a caller that asks its own question when the chosen file exists: the dialog asks none.
    virtual QString SaveFileUnconfirmed(QWidget* parent, const QString& title, const QString& filter,
                                        const QString& start) {
        return SaveFile(parent, title, filter, start);
    }
};

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual bool Open(const QUrl& url) = 0;
};

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    virtual bool StartDetached(const QString& program, const QStringList& arguments) = 0;
};

class ColorChooser {
public:
    virtual ~ColorChooser() = default;
    // The colour chosen starting from initial; nothing when the user cancels.
    virtual std::optional<QColor> Choose(QWidget* parent, const QColor& initial) = 0;
};

class TextInput {
public:
    virtual ~TextInput() = default;
    // A password typed into a box titled title under prompt; nothing when the user cancels.
    virtual std::optional<QString> Password(QWidget* parent, const QString& title, const QString& prompt) = 0;
};

// The services a window uses; the desktop ones by default.
struct Services {
    Messenger* messenger = nullptr;
    PathChooser* paths = nullptr;
    UrlOpener* urls = nullptr;
    ProcessLauncher* processes = nullptr;
    ColorChooser* colors = nullptr;
    TextInput* texts = nullptr;
    // The system beep.
    void (*beep)() = nullptr;

    static Services Desktop();
};
