// The option pages as a view of the wizard's model: every change the user makes goes to the model, and
// the pages then show the model's options and what it enables. The window decides none of them itself.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <algorithm>

#include "converter/wizard/ConverterWizard.h"
#include "widgets/Guarded.h"

namespace {

void put(QAbstractButton* box, bool checked, bool enabled = true) {
    const QSignalBlocker block(box);
    box->setChecked(checked);
    box->setEnabled(enabled);
}

void put(QButtonGroup* group, int checked, bool enabled = true) {
    // The group reports its buttons' changes itself, past their own blocked signals.
    const QSignalBlocker blockGroup(group);
    for (QAbstractButton* button : group->buttons()) {
        const QSignalBlocker block(button);
        button->setChecked(group->id(button) == checked);
        button->setEnabled(enabled);
    }
}

void put(QComboBox* combo, int index, bool enabled = true) {
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(index);
    combo->setEnabled(enabled);
}

void put(QSlider* slider, int value, bool enabled = true) {
    const QSignalBlocker block(slider);
    slider->setValue(value);
    slider->setEnabled(enabled);
}

void put(QLineEdit* edit, const QString& text, bool enabled = true) {
    const QSignalBlocker block(edit);
    if (edit->text() != text) edit->setText(text);
    edit->setEnabled(enabled);
}

} // namespace

void ConverterWizard::connectHandlers() {
    connect(nextBtn, &QPushButton::clicked, this,
            guardedSlot(this, services_.messenger, &ConverterWizard::NextBtnClick));
    connect(backBtn, &QPushButton::clicked, this, &ConverterWizard::BackBtnClick);
    connect(cancelBtn, &QPushButton::clicked, this, [this] { done(2); });
    connect(elapsedClock, &QTimer::timeout, this,
            guardedSlot(this, services_.messenger, &ConverterWizard::Tick));
    // Every change of an option goes to the model, and the pages show the model again.
    const auto change = [this](auto&& apply) {
        return [this, apply](auto&&... values) {
            apply(values...);
            showChoices();
        };
    };
    const auto toggled = [this, change](QAbstractButton* box, void (WizardModel::*set)(bool)) {
        connect(box, &QAbstractButton::toggled, this, change([this, set](bool on) { (model_.*set)(on); }));
    };
    const auto picked = [this, change](QButtonGroup* group, auto set) {
        connect(group, &QButtonGroup::idToggled, this, change([set](int id, bool on) {
                    if (on) set(id);
                }));
    };
    const auto indexed = [this, change](QComboBox* combo, auto set) {
        connect(combo, &QComboBox::currentIndexChanged, this, change([set](int index) { set(index); }));
    };
    const auto moved = [this, change](QSlider* slider, auto set) {
        connect(slider, &QSlider::valueChanged, this, change([set](int value) { set(value); }));
    };
    picked(targetRadioGroup, [this](int id) { model_.SetTarget(id); });
    toggled(backwardCheckBox, &WizardModel::SetBackward);
    toggled(rdsCheckBox, &WizardModel::SetRemoveRds);
    toggled(strictRulesCheckBox, &WizardModel::SetStrictRules);
    toggled(westBugsCheckBox, &WizardModel::SetWestBugs);
    toggled(systemIdCheckBox, &WizardModel::SetSystemIdChecked);
    indexed(systemIdComboBox, [this](int i) { model_.SetSystemIdIndex(i); });
    toggled(dateStampCheckBox, &WizardModel::SetDateStamp);
    connect(dateStampEdit, &QLineEdit::textEdited, this, [this](const QString& t) { model_.SetDateText(t); });
    toggled(versionStampCheckBox, &WizardModel::SetVersionStamp);
    connect(versionStampEdit, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.SetVersionText(t); });
    toggled(insertRegionDataCheckBox, &WizardModel::SetInsertRegion);
    toggled(insertVoiceDataCheckBox, &WizardModel::SetInsertVoice);
    picked(adjacentRadioGroup, [this](int id) { model_.SetAdjacentMode(id); });
    toggled(utfToAnsiCheckBox, &WizardModel::SetUtfToAnsi);
    indexed(isoAnsiComboBox, [this](int i) { model_.SetIsoAnsiIndex(i); });
    toggled(translateCheckBox, &WizardModel::SetTranslate);
    picked(dictionaryTypeRadioGroup, [this](int id) { model_.SetWordByWord(id == 0); });
    moved(translateTrackBar, [this](int v) { model_.SetTranslationLevel(v); });
    connect(translateAreasCheckListBox, &QListWidget::itemChanged, this,
            change([this](QListWidgetItem* item) {
                model_.CheckTranslationArea(translateAreasCheckListBox->row(item),
                                            item->checkState() == Qt::Checked);
            }));
    toggled(excludeYoCheckBox, &WizardModel::SetFoldYo);
    toggled(ukrICheckBox, &WizardModel::SetFoldUkrainian);
    toggled(excludeFwyCheckBox, &WizardModel::SetExcludeFreeways);
    toggled(logDictErrorsCheckBox, &WizardModel::SetLogDictErrors);
    indexed(cityAreaComboBox, [this](int i) { model_.SetCityAreaLevel(i); });
    toggled(buildingsCheckBox, &WizardModel::SetBuildings);
    picked(addRadioGroup, [this](int id) { model_.SetAddMode(id); });
    indexed(buildingsDcComboBox, [this](int i) { model_.SetBuildingsClass(i); });
    indexed(numberingDcComboBox, [this](int i) { model_.SetNumberingClass(i); });
    // A type code is checked once the user leaves the field, so partial text never resets it.
    const auto validator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,4}")), this);
    for (QLineEdit* edit : {buildingsTypeCodeEdit, numberingTypeCodeEdit}) {
        edit->setValidator(validator);
        const bool buildings = edit == buildingsTypeCodeEdit;
        connect(edit, &QLineEdit::editingFinished, this, [this, edit, buildings] {
            if (!model_.SetTypeCode(buildings, edit->text()))
                services_.messenger->Error(this, QStringLiteral("Wrong type code"));
            showChoices();
        });
    }
    moved(sizeFilter50TrackBar, [this](int v) { model_.SetSizeFilter(true, v); });
    moved(sizeFilter100TrackBar, [this](int v) { model_.SetSizeFilter(false, v); });
    toggled(addressCheckBox, &WizardModel::SetAddress);
    toggled(includeLettersCheckBox, &WizardModel::SetIncludeLetters);
    indexed(codePageComboBox, [this](int i) { model_.SetCodePageIndex(i); });
    toggled(addExtraLevelCheckBox, &WizardModel::SetExtraLevel);
    toggled(arrowsCheckBox, &WizardModel::SetArrows);
    connect(defaultBtn, &QPushButton::clicked, this, &ConverterWizard::DefaultBtnClick);
    toggled(trimCheckBox, &WizardModel::SetTrim);
    picked(trimRadioGroup, [this](int id) { model_.SetTrimMode(id); });
    moved(northTrackBar, [this](int v) { model_.MoveEdge(TrimEdge::North, v); });
    moved(southTrackBar, [this](int v) { model_.MoveEdge(TrimEdge::South, v); });
    moved(westTrackBar, [this](int v) { model_.MoveEdge(TrimEdge::West, v); });
    moved(eastTrackBar, [this](int v) { model_.MoveEdge(TrimEdge::East, v); });
    connect(areasCheckListBox, &QListWidget::itemChanged, this, change([this](QListWidgetItem* item) {
                model_.CheckArea(areasCheckListBox->row(item), item->checkState() == Qt::Checked);
            }));
    toggled(addSeasCheckBox, &WizardModel::SetAddSeas);
    toggled(addAdjacentCheckBox, &WizardModel::SetAddAdjacent);
    moved(trimLevelTrackBar, [this](int v) { model_.SetTrimLevel(v); });
    toggled(logBox, &WizardModel::SetLogBox);
    connect(fileBitBtn, &QPushButton::clicked, this,
            guardedSlot(this, services_.messenger, &ConverterWizard::FileBitBtnClick));
    for (QCheckBox* box : {splitCheckBox, fileConCheckBox, regionCheckBox, voiceCheckBox, cmp05CheckBox})
        connect(box, &QCheckBox::clicked, this, [this, box] { CompletionCheckBoxClick(box); });
    connect(processingButton, &QPushButton::clicked, this,
            guardedSlot(this, services_.messenger, &ConverterWizard::ProcessingButtonClick));
    connect(presentationImage, &QPushButton::clicked, this,
            guardedSlot(this, services_.messenger, &ConverterWizard::PresentationImageClick));
    connect(inspectRegionBtn, &QPushButton::clicked, this,
            guardedSlot(this, services_.messenger, &ConverterWizard::InspectRegionBtnClick));
    connect(regionCheckListBox, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        model_.CheckRegion(regionCheckListBox->row(item), item->checkState() == Qt::Checked);
        run_.SetRegionSaveOn(model_.AnyRegionChecked());
        showRunState();
    });
    toggled(openNewMapCheckBox, &WizardModel::SetOpenNewMap);
    connect(saveRegionBtn, &QPushButton::clicked, this,
            guardedSlot(this, services_.messenger, &ConverterWizard::SaveRegionBtnClick));
    connect(loadDictionaryBtn, &QPushButton::clicked, this,
            guardedSlot(this, services_.messenger, &ConverterWizard::LoadDictionaryBtnClick));
    connect(showDictionaryBtn, &QPushButton::clicked, this,
            guardedSlot(this, services_.messenger, &ConverterWizard::ShowDictionaryBtnClick));
    connect(saveDictionaryBtn, &QPushButton::clicked, this,
            guardedSlot(this, services_.messenger, &ConverterWizard::SaveDictionaryBtnClick));
    connect(loadBtn, &QPushButton::clicked, this,
            guardedSlot(this, services_.messenger, &ConverterWizard::LoadMpBtnClick));
    connect(saveLmpBtn, &QPushButton::clicked, this,
            guardedSlot(this, services_.messenger, &ConverterWizard::SaveLmpBtnClick));
}

void ConverterWizard::showChoices() {
    const WizardChoices& c = model_.Choices();
    const auto on = [this](WizardControl control) { return model_.Enabled(control); };
    // First step.
    put(targetRadioGroup, c.target);
    put(backwardCheckBox, c.backward, on(WizardControl::Backward));
    put(rdsCheckBox, c.removeRds);
    put(strictRulesCheckBox, c.strictRules);
    put(westBugsCheckBox, c.westBugs);
    put(systemIdCheckBox, c.systemIdChecked);
    put(systemIdComboBox, c.systemIdIndex, on(WizardControl::SystemIdList));
    put(dateStampCheckBox, c.dateStamp);
    put(dateStampEdit, c.dateText, on(WizardControl::DateStampText));
    put(versionStampCheckBox, c.versionStamp);
    put(versionStampEdit, c.versionText, on(WizardControl::VersionStampText));
    versionStampEdit->setReadOnly(!model_.VersionEditable());
    put(insertRegionDataCheckBox, c.insertRegion, on(WizardControl::InsertRegion));
    put(insertVoiceDataCheckBox, c.insertVoice, on(WizardControl::InsertVoice));
    put(adjacentRadioGroup, c.adjacentMode);
    // Names.
    put(utfToAnsiCheckBox, c.utfToAnsi, on(WizardControl::UtfToAnsi));
    utfGroupBox->setEnabled(on(WizardControl::UtfGroup));
    put(isoAnsiComboBox, c.isoAnsiIndex, on(WizardControl::IsoAnsi));
    utfAreasCheckListBox->setEnabled(on(WizardControl::IsoAnsi));
    ansiLabel->setEnabled(on(WizardControl::IsoAnsi));
    ansiLabel->setText(model_.EncodingText());
    put(translateCheckBox, c.translate, on(WizardControl::TranslateSwitch));
    translateGroupBox->setEnabled(on(WizardControl::TranslateGroup));
    const bool translating = on(WizardControl::TranslateOptions);
    put(dictionaryTypeRadioGroup, c.wordByWord ? 0 : 1, translating);
    dictionaryTypeRadioGroup->buttons().first()->parentWidget()->setEnabled(translating);
    put(translateTrackBar, c.translationLevel, translating);
    levelsRangeLabel->setText(model_.LevelsRangeText());
    loadDictionaryBtn->setEnabled(translating);
    put(excludeYoCheckBox, c.foldYo, translating);
    put(ukrICheckBox, c.foldUkrainian, translating);
    put(excludeFwyCheckBox, c.excludeFreeways, translating);
    put(logDictErrorsCheckBox, c.logDictErrors, translating);
    translateAreasCheckListBox->setEnabled(translating);
    {
        const QSignalBlocker block(translateAreasCheckListBox);
        for (int i = 0; i < translateAreasCheckListBox->count(); ++i)
            translateAreasCheckListBox->item(i)->setCheckState(
                model_.TranslationAreaChecked(i) ? Qt::Checked : Qt::Unchecked);
    }
    // Loading.
    put(cityAreaComboBox, c.cityAreaLevel, on(WizardControl::CityAreaLevel));
    // Buildings and house numbers.
    put(buildingsCheckBox, c.buildings, on(WizardControl::BuildingsSwitch));
    const bool buildingOptions = on(WizardControl::BuildingsOptions);
    put(addRadioGroup, c.addMode, buildingOptions);
    addRadioGroup->buttons().first()->parentWidget()->setEnabled(buildingOptions);
    put(buildingsDcComboBox, c.buildingsClass, buildingOptions);
    put(buildingsTypeCodeEdit, TypeCodeText(c.buildingsTypeCode), buildingOptions);
    put(sizeFilter50TrackBar, c.filter50, buildingOptions);
    put(sizeFilter100TrackBar, c.filter100, buildingOptions);
    sizeFilter50Label->setText(model_.SizeFilterText(true));
    sizeFilter100Label->setText(model_.SizeFilterText(false));
    put(addressCheckBox, c.address, on(WizardControl::AddressSwitch));
    const bool addressOptions = on(WizardControl::AddressOptions);
    put(numberingDcComboBox, c.numberingClass, addressOptions);
    put(numberingTypeCodeEdit, TypeCodeText(c.numberingTypeCode), addressOptions);
    put(includeLettersCheckBox, c.includeLetters, addressOptions);
    put(codePageComboBox, c.codePageIndex, addressOptions);
    put(addExtraLevelCheckBox, c.extraLevel, on(WizardControl::ExtraLevel));
    put(arrowsCheckBox, c.arrows, on(WizardControl::Arrows));
    defaultBtn->setEnabled(on(WizardControl::DefaultButton));
    // Trimming.
    put(trimCheckBox, c.trim);
    put(trimRadioGroup, c.trimMode, on(WizardControl::TrimModes));
    const bool edges = on(WizardControl::TrimEdges);
    put(northTrackBar, c.edges.north, edges);
    put(southTrackBar, c.edges.south, edges);
    put(westTrackBar, c.edges.west, edges);
    put(eastTrackBar, c.edges.east, edges);
    put(northEdit, model_.EdgeText(TrimEdge::North), edges);
    put(southEdit, model_.EdgeText(TrimEdge::South), edges);
    put(westEdit, model_.EdgeText(TrimEdge::West), edges);
    put(eastEdit, model_.EdgeText(TrimEdge::East), edges);
    areasCheckListBox->setEnabled(on(WizardControl::TrimAreas));
    {
        const QSignalBlocker block(areasCheckListBox);
        for (int i = 0; i < areasCheckListBox->count() && size_t(i) < c.areas.size(); ++i)
            areasCheckListBox->item(i)->setCheckState(c.areas[size_t(i)] ? Qt::Checked : Qt::Unchecked);
    }
    put(addSeasCheckBox, c.addSeas, on(WizardControl::TrimExtras));
    put(addAdjacentCheckBox, c.addAdjacent, on(WizardControl::TrimExtras));
    put(trimLevelTrackBar, c.trimLevel, on(WizardControl::TrimLevel));
    cutLevelLabel->setText(model_.CutLevelText());
    // The file.
    put(fileNameEdit, c.outputPath);
    put(logBox, c.logBox);
    // Completion.
    put(openNewMapCheckBox, c.openNewMap);
    put(splitCheckBox, c.split, on(WizardControl::Split));
    put(fileConCheckBox, c.fileCon, on(WizardControl::FileCon));
    put(regionCheckBox, c.newRegion, on(WizardControl::NewRegion));
    put(voiceCheckBox, c.newVoice, on(WizardControl::NewVoice));
    put(cmp05CheckBox, c.newCmpList, on(WizardControl::NewCmpList));
    greyCaptions();
}

void ConverterWizard::greyCaptions() {
    // A caption shares its control's parent, so the control's own state is the caption's.
    for (QLabel* label : findChildren<QLabel*>())
        if (const QWidget* control = label->buddy())
            label->setEnabled(control->isEnabledTo(label->parentWidget()));
    for (QGroupBox* group : groupsFollowingControls_) {
        const QList<QWidget*> inside = group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        group->setEnabled(std::any_of(inside.begin(), inside.end(), [group](const QWidget* control) {
            return !qobject_cast<const QLabel*>(control) && control->isEnabledTo(group);
        }));
    }
}

void ConverterWizard::DefaultBtnClick() {
    model_.RestoreDefault();
    showChoices();
}

void ConverterWizard::TargetRadioGroupClick() {
    model_.SetTarget(targetRadioGroup->checkedId());
    showChoices();
}

void ConverterWizard::ResetVersion() {
    model_.ResetVersion(QDate::currentDate());
    showChoices();
}

void ConverterWizard::EditVersion() {
    model_.AllowVersionEdit();
    showChoices();
    versionStampEdit->setFocus();
}
