// The wizard's dictionary adapter: loading ".lndict" and ".txt" files, saving, and the editor window.
#include "converter/wizard/ConverterWizardDictionary.h"

#include <exception>

#include "converter/dictionary-editor/DictionaryEditor.h"

EditorWizardDictionary::EditorWizardDictionary(Messenger& messenger)
    : messenger_(messenger), dictionary_(std::make_shared<LatRusDictionary>()) {}

QString EditorWizardDictionary::Load(const QString& path, bool wordByWord) {
    const int before = dictionary_->Count();
    try {
        if (path.endsWith(QStringLiteral(".lndict"), Qt::CaseInsensitive)) {
            // A malformed file is refused whole and the dictionary stays as it was.
            return QString::fromStdString(dictionary_->LoadFromFile(path.toStdString()));
        }
        dictionary_->LoadFromTextFile(path.toStdString());
    } catch (const std::exception& e) {
        return QString::fromStdString(e.what());
    }
    // Words want keys without spaces, phrases want some.
    if (wordByWord != dictionary_->NoSpaces()) return QString::fromUtf8(kDictionaryTypeMismatch);
    if (before > 0 && dictionary_->Count() > before)
        return QStringLiteral("New %1 records added.").arg(dictionary_->Count() - before);
    return {};
}

QString EditorWizardDictionary::Save(const QString& path) {
    try {
        dictionary_->SaveToTextFile(path.toStdString());
        dictionary_->SetDirty(false);
        lastSaved_ = path;
    } catch (const std::exception& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

void EditorWizardDictionary::Show(QWidget* parent) {
    DictionaryEditor editor(*dictionary_, messenger_, parent);
    // Unsaved changes go back to the file last saved, when there is one.
    editor.SetSaver([this] { return !lastSaved_.isEmpty() && Save(lastSaved_).isEmpty(); });
    editor.exec();
}
