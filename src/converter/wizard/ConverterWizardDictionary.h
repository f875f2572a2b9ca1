// The wizard's dictionary: one Latin-to-Cyrillic dictionary loaded from files, shown in the dictionary
// editor, written back as text, and lent to creation runs.
#pragma once

#include "converter/wizard/WizardExtensions.h"

class Messenger;

// The warning shown when a text file's keys do not match the chosen dictionary type.
inline constexpr const char* kDictionaryTypeMismatch =
    "Тип загруженного словаря отличается от выбранного типа СЛОВА или ФРАЗЫ !!!";

class EditorWizardDictionary : public WizardDictionary {
public:
    // messenger: the editor's questions (borrowed; it outlives the wizard).
    explicit EditorWizardDictionary(Messenger& messenger);

    bool Loaded() const override { return dictionary_->Count() > 0; }
    int Count() const override { return dictionary_->Count(); }
    QString Load(const QString& path, bool wordByWord, const Percent& progress = {}) override;
    QString Save(const QString& path) override;
    void Show(QWidget* parent, std::function<bool()> save) override;
    std::shared_ptr<LatRusDictionary> Shared() const override { return dictionary_; }

private:
    Messenger& messenger_;
    std::shared_ptr<LatRusDictionary> dictionary_;
};
