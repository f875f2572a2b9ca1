// The wizard's dictionary adapter: loading ".lndict" and ".txt" files, saving, and the editor window.
#include "converter/wizard/ConverterWizardDictionary.h"

#include <exception>

#include "converter/dictionary-editor/DictionaryEditor.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/core/RussianFailureTexts.h"

EditorWizardDictionary::EditorWizardDictionary(Messenger& messenger)
    : messenger_(messenger), dictionary_(std::make_shared<LatRusDictionary>()) {}

QString EditorWizardDictionary::Load(const QString& path, bool wordByWord, const Percent& progress) {
    const int before = dictionary_->Count();
    dictionary_->SetProgressHandler(progress);
    struct ClearProgress {
        LatRusDictionary& dictionary;
        ~ClearProgress() { dictionary.SetProgressHandler({}); }
    } clear{*dictionary_};
    LatRusDictionary::TextLoad found;
    try {
        if (path.endsWith(QStringLiteral(".lndict"), Qt::CaseInsensitive)) {
            // A malformed file is refused whole and the dictionary stays as it was.
            return QString::fromStdString(dictionary_->LoadFromFile(path.toStdString()));
        }
        found = dictionary_->LoadFromTextFile(path.toStdString());
    } catch (const std::exception& e) {
        return RussianText(FailureOf(e, path.toStdString()));
    }
    // A file of no pairs is no dictionary: nothing of it was taken.
    if (found.pairs == 0) return QStringLiteral("В файле нет строк вида ключ=значение; словарь не изменён.");
    QStringList messages;
    if (found.otherLines > 0)
        messages << QStringLiteral("Строки файла, не являющиеся парами ключ=значение, пропущены: %1.")
                        .arg(found.otherLines);
    // Words want keys without spaces, phrases want some.
    if (wordByWord != dictionary_->NoSpaces())
        messages << QString::fromUtf8(kDictionaryTypeMismatch);
    else if (before > 0 && dictionary_->Count() > before)
        messages << QStringLiteral("New %1 records added.").arg(dictionary_->Count() - before);
    return messages.join(QLatin1Char('\n'));
}

QString EditorWizardDictionary::Save(const QString& path) {
    try {
        dictionary_->SaveToTextFile(path.toStdString());
        dictionary_->SetDirty(false);
    } catch (const std::exception& e) {
        return RussianText(FailureOf(e, path.toStdString()));
    }
    return {};
}

void EditorWizardDictionary::Show(QWidget* parent, std::function<bool()> save) {
    DictionaryEditor editor(*dictionary_, messenger_, parent);
    editor.SetSaver(std::move(save));
    editor.exec();
}
