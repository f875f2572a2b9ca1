// The option handlers of the converter wizard's pages: Restore Default, the target's consequences, the
// building and house-number settings, trimming, the name conversion switches and the stamps.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>

#include "converter/wizard/ConverterWizard.h"
#include "platform/RegistrySettings.h"
#include "widgets/Guarded.h"

namespace {

QString coordinateText(int32_t units, bool latitude) {
    // Map units are 1/8 arc-second... shown as degrees, minutes and seconds.
    const int64_t eighths = units < 0 ? -int64_t(units) : int64_t(units);
    const int64_t seconds = eighths / 8;
    const QChar hemisphere = latitude ? (units < 0 ? QLatin1Char('S') : QLatin1Char('N'))
                                      : (units < 0 ? QLatin1Char('W') : QLatin1Char('E'));
    return QStringLiteral("%1 %2°%3'%4\"")
        .arg(hemisphere)
        .arg(seconds / 3600)
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

void ConverterWizard::connectHandlers() {
    connect(nextBtn, &QPushButton::clicked, this,
            guardedSlot(this, services_.messenger, &ConverterWizard::NextBtnClick));
    connect(backBtn, &QPushButton::clicked, this, &ConverterWizard::BackBtnClick);
    connect(cancelBtn, &QPushButton::clicked, this, [this] { done(2); });
    connect(pollTimer, &QTimer::timeout, this,
            guardedSlot(this, services_.messenger, &ConverterWizard::Poll));
    connect(defaultBtn, &QPushButton::clicked, this, &ConverterWizard::DefaultBtnClick);
    connect(targetRadioGroup, &QButtonGroup::idClicked, this, [this] { TargetRadioGroupClick(); });
    connect(systemIdCheckBox, &QCheckBox::clicked, this, [this](bool on) {
        systemIdComboBox->setEnabled(on);
        if (!on) {
            const int found = systemIdComboBox->findText(QString::fromLatin1(source_.systemIdText.c_str()));
            if (found >= 0) systemIdComboBox->setCurrentIndex(found);
        }
    });
    connect(dateStampCheckBox, &QCheckBox::toggled, dateStampEdit, &QLineEdit::setEnabled);
    connect(versionStampCheckBox, &QCheckBox::toggled, versionStampEdit, &QLineEdit::setEnabled);
    connect(buildingsCheckBox, &QCheckBox::clicked, this, [this] { buildingsCheckBoxClick(); });
    connect(addressCheckBox, &QCheckBox::clicked, this, [this] { addressCheckBoxClick(); });
    connect(addExtraLevelCheckBox, &QCheckBox::clicked, this, [this] { addExtraLevelCheckBoxClick(); });
    // A type code is checked once the user leaves the field, so partial text never resets it.
    const auto validator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,4}")), this);
    buildingsTypeCodeEdit->setValidator(validator);
    numberingTypeCodeEdit->setValidator(validator);
    connect(buildingsTypeCodeEdit, &QLineEdit::editingFinished, this,
            [this] { typeCodeEdited(buildingsTypeCodeEdit, buildingsTypeCode_, 0x0143); });
    connect(numberingTypeCodeEdit, &QLineEdit::editingFinished, this,
            [this] { typeCodeEdited(numberingTypeCodeEdit, numberingTypeCode_, 0x01C2); });
    connect(sizeFilter50TrackBar, &QSlider::valueChanged, this, [this] { sizeFilterChanged(true); });
    connect(sizeFilter100TrackBar, &QSlider::valueChanged, this, [this] { sizeFilterChanged(false); });
    for (QComboBox* combo : {buildingsDcComboBox, numberingDcComboBox, codePageComboBox})
        connect(combo, &QComboBox::activated, this, [this] { defaultBtn->setEnabled(true); });
    connect(arrowsCheckBox, &QCheckBox::clicked, this, [this] { defaultBtn->setEnabled(true); });
    connect(trimCheckBox, &QCheckBox::clicked, this, [this] { trimRadioGroupClick(); });
    connect(trimRadioGroup, &QButtonGroup::idClicked, this, [this] { trimRadioGroupClick(); });
    connect(northTrackBar, &QSlider::valueChanged, this, [this] { trimTrackBarChange(TrimEdge::North); });
    connect(southTrackBar, &QSlider::valueChanged, this, [this] { trimTrackBarChange(TrimEdge::South); });
    connect(westTrackBar, &QSlider::valueChanged, this, [this] { trimTrackBarChange(TrimEdge::West); });
    connect(eastTrackBar, &QSlider::valueChanged, this, [this] { trimTrackBarChange(TrimEdge::East); });
    connect(trimLevelTrackBar, &QSlider::valueChanged, this, [this] { trimLevelTrackBarChange(); });
    connect(areasCheckListBox, &QListWidget::itemChanged, this,
            [this] { areasClickCheck(areasCheckListBox); });
    connect(translateAreasCheckListBox, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { translateAreasClickCheck(item); });
    connect(translateCheckBox, &QCheckBox::clicked, this, [this] { translateCheckBoxClick(); });
    connect(utfToAnsiCheckBox, &QCheckBox::clicked, this, [this] { utfToAnsiCheckBoxClick(); });
    connect(isoAnsiComboBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        ansiLabel->setText(index == 0 ? QStringLiteral("ANSI") : QStringLiteral("ISO"));
    });
    connect(translateTrackBar, &QSlider::valueChanged, this, [this] { translateTrackBarChange(); });
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
    connect(regionCheckListBox, &QListWidget::itemChanged, this, [this] {
        bool any = false;
        for (int i = 0; i < regionCheckListBox->count(); ++i)
            any = any || regionCheckListBox->item(i)->checkState() == Qt::Checked;
        saveRegionBtn->setEnabled(any);
    });
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

void ConverterWizard::DefaultBtnClick() {
    const int target = targetRadioGroup->checkedId();
    defaults_ = RestoreDefaults(target, source_);
    buildingsTypeCode_ = defaults_.buildingsTypeCode;
    numberingTypeCode_ = defaults_.numberingTypeCode;
    if (defaults_.clearExtraLevel) addExtraLevelCheckBox->setChecked(false);
    codePageComboBox->setCurrentIndex(defaults_.codePageIndex);
    addRadioGroup->button(defaults_.addMode)->setChecked(true);
    strictRulesCheckBox->setChecked(defaults_.strictRules);
    numberingTypeCodeEdit->setText(TypeCodeText(numberingTypeCode_));
    // A class the top level lacks shows no selection; Next refuses it while buildings or numbers are on.
    buildingsDcComboBox->setCurrentIndex(defaults_.buildingsClass.value_or(-1));
    numberingDcComboBox->setCurrentIndex(defaults_.numberingClass.value_or(-1));
    buildingsTypeCodeEdit->setText(TypeCodeText(buildingsTypeCode_));
    sizeFilter50TrackBar->setValue(40);
    sizeFilter100TrackBar->setValue(100);
    defaultBtn->setEnabled(false);
    includeLettersCheckBox->setChecked(true);
}

void ConverterWizard::TargetRadioGroupClick() {
    const int target = targetRadioGroup->checkedId();
    const bool switchable = source_.management32Address > 0 && source_.management21Address <= 0;
    if (target == 1) {
        if (switchable) {
            savedBackward_ = backwardCheckBox->isChecked();
            backwardCheckBox->setChecked(true);
            backwardCheckBox->setEnabled(true);
        }
    } else if (switchable) {
        backwardCheckBox->setEnabled(true);
        backwardCheckBox->setChecked(savedBackward_);
    }
    strictRulesCheckBox->setChecked(target != 0);
    insertRegionDataCheckBox->setEnabled(
        target != 0 && source_.hasRegionData &&
        QString::fromStdString(source_.header1Name)
                .compare(QStringLiteral("REGION.KWI"), Qt::CaseInsensitive) == 0);
    insertVoiceDataCheckBox->setEnabled(
        target != 0 && source_.voiceSize > 0 &&
        QString::fromStdString(source_.header6Name)
                .compare(QStringLiteral("VOICEDAT.KWI"), Qt::CaseInsensitive) == 0);
    if (!insertRegionDataCheckBox->isEnabled()) insertRegionDataCheckBox->setChecked(false);
    if (!insertVoiceDataCheckBox->isEnabled()) insertVoiceDataCheckBox->setChecked(false);
    if (source_.mapOpen) DefaultBtnClick();
}

void ConverterWizard::buildingsCheckBoxClick() {
    const bool on = buildingsCheckBox->isChecked();
    for (QAbstractButton* button : addRadioGroup->buttons())
        button->parentWidget()->setEnabled(on);
    for (QWidget* w : std::initializer_list<QWidget*>{sizeFilter50TrackBar, sizeFilter100TrackBar,
                                                      buildingsDcComboBox, buildingsTypeCodeEdit})
        w->setEnabled(on);
    addExtraLevelCheckBox->setEnabled(on && source_.topLevelCode == 0);
    if (!on) addExtraLevelCheckBox->setChecked(false);
    arrowsCheckBox->setChecked(addExtraLevelCheckBox->isChecked());
    arrowsCheckBox->setEnabled(addExtraLevelCheckBox->isChecked());
}

void ConverterWizard::addressCheckBoxClick() {
    const bool on = addressCheckBox->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{numberingDcComboBox, codePageComboBox,
                                                      includeLettersCheckBox, numberingTypeCodeEdit})
        w->setEnabled(on);
}

void ConverterWizard::addExtraLevelCheckBoxClick() {
    defaultBtn->setEnabled(true);
    arrowsCheckBox->setChecked(addExtraLevelCheckBox->isChecked());
    arrowsCheckBox->setEnabled(addExtraLevelCheckBox->isChecked());
}

void ConverterWizard::typeCodeEdited(QLineEdit* edit, uint16_t& code, uint16_t fallback) {
    defaultBtn->setEnabled(true);
    const QString text = edit->text();
    // An empty field keeps the last valid code.
    if (text.trimmed().isEmpty()) {
        edit->setText(TypeCodeText(code));
        return;
    }
    if (const std::optional<uint16_t> parsed = ParseTypeCode(text)) {
        code = *parsed;
        return;
    }
    services_.messenger->Error(this, QStringLiteral("Wrong type code"));
    code = fallback;
    edit->setText(TypeCodeText(fallback));
}

void ConverterWizard::sizeFilterChanged(bool fifty) {
    const int v50 = sizeFilter50TrackBar->value();
    const int v100 = sizeFilter100TrackBar->value();
    if (fifty && v100 < v50) sizeFilter100TrackBar->setValue(v50);
    if (!fifty && v50 > v100) sizeFilter50TrackBar->setValue(v100);
    sizeFilter50Label->setText(QStringLiteral("50m -> ") + QString::number(sizeFilter50TrackBar->value()));
    sizeFilter100Label->setText(QStringLiteral("100m -> ") + QString::number(sizeFilter100TrackBar->value()));
    defaultBtn->setEnabled(true);
}

void ConverterWizard::trimRadioGroupClick() {
    if (trimRadioGroup->checkedId() == 0 && !buildingData_.loaded)
        trimRadioGroup->button(1)->setChecked(true);
    const int mode = trimRadioGroup->checkedId();
    const bool trim = trimCheckBox->isChecked();
    for (QAbstractButton* button : trimRadioGroup->buttons())
        button->setEnabled(trim);
    for (QWidget* w : std::initializer_list<QWidget*>{northTrackBar, southTrackBar, westTrackBar,
                                                      eastTrackBar, northEdit, southEdit, westEdit, eastEdit})
        w->setEnabled(trim && mode == 1);
    if (buildingData_.loaded && mode == 0) {
        northTrackBar->setValue(buildingData_.north / 16);
        southTrackBar->setValue(buildingData_.south / 16);
        westTrackBar->setValue(buildingData_.west / 16);
        eastTrackBar->setValue(buildingData_.east / 16);
    }
    addSeasCheckBox->setEnabled(mode == 2);
    addAdjacentCheckBox->setEnabled(mode == 2);
    areasCheckListBox->setEnabled(mode == 2 && trim);
    trimLevelTrackBar->setEnabled(trim);
}

void ConverterWizard::trimTrackBarChange(TrimEdge moved) {
    const TrimEdges coupled = CoupleEdges(
        {northTrackBar->value(), southTrackBar->value(), westTrackBar->value(), eastTrackBar->value()},
        moved);
    const QSignalBlocker n(northTrackBar), s(southTrackBar), w(westTrackBar), e(eastTrackBar);
    northTrackBar->setValue(coupled.north);
    southTrackBar->setValue(coupled.south);
    westTrackBar->setValue(coupled.west);
    eastTrackBar->setValue(coupled.east);
    northEdit->setText(coordinateText(northTrackBar->value(), true));
    southEdit->setText(coordinateText(southTrackBar->value(), true));
    westEdit->setText(coordinateText(westTrackBar->value(), false));
    eastEdit->setText(coordinateText(eastTrackBar->value(), false));
}

void ConverterWizard::trimLevelTrackBarChange() {
    const int kept = ClampTrimLevel(trimLevelTrackBar->value());
    if (kept != trimLevelTrackBar->value()) trimLevelTrackBar->setValue(kept);
    cutLevelLabel->setText(QStringLiteral("Детальная карта включая уровень") + " " + QString::number(kept));
}

void ConverterWizard::areasClickCheck(QListWidget* list) {
    if (list->count() == 0) return;
    bool other = false;
    for (int i = 1; i < list->count(); ++i)
        other = other || list->item(i)->checkState() == Qt::Checked;
    const QSignalBlocker block(list);
    list->item(0)->setCheckState(other ? Qt::Unchecked : Qt::Checked);
}

void ConverterWizard::translateAreasClickCheck(QListWidgetItem* item) {
    const int row = translateAreasCheckListBox->row(item);
    if (item->checkState() == Qt::Checked && row != translationArea_) translationArea_ = row;
    const QSignalBlocker block(translateAreasCheckListBox);
    for (int i = 0; i < translateAreasCheckListBox->count(); ++i)
        translateAreasCheckListBox->item(i)->setCheckState(i == translationArea_ ? Qt::Checked
                                                                                 : Qt::Unchecked);
}

void ConverterWizard::translateCheckBoxClick() {
    const bool on = translateCheckBox->isChecked();
    utfGroupBox->setEnabled(!on);
    utfToAnsiCheckBox->setEnabled(!on && nameConversionOffered_);
    for (QAbstractButton* button : dictionaryTypeRadioGroup->buttons())
        button->parentWidget()->setEnabled(on);
    for (QWidget* w : std::initializer_list<QWidget*>{translateTrackBar, levelsRangeLabel, loadDictionaryBtn,
                                                      excludeYoCheckBox, ukrICheckBox, excludeFwyCheckBox,
                                                      logDictErrorsCheckBox, translateAreasCheckListBox})
        w->setEnabled(on);
}

void ConverterWizard::utfToAnsiCheckBoxClick() {
    const bool on = utfToAnsiCheckBox->isChecked();
    translateCheckBox->setEnabled(!on && nameConversionOffered_);
    translateGroupBox->setEnabled(!on);
    isoAnsiComboBox->setEnabled(on);
    utfAreasCheckListBox->setEnabled(on);
    ansiLabel->setEnabled(on);
}

void ConverterWizard::translateTrackBarChange() {
    levelsRangeLabel->setText(QStringLiteral("Уровни ") + QString::number(translateTrackBar->value() + 1) +
                              " - " + QString::number(source_.levelCount - 1));
}

void ConverterWizard::refreshVersionStamp() {
    versionStampEdit->setText(VersionStampText(versionCounter_, QDate::currentDate()));
}

void ConverterWizard::ResetVersion() {
    versionCounter_ = 0;
    RegWriteInteger(QStringLiteral("Version"), 0);
    refreshVersionStamp();
}

void ConverterWizard::EditVersion() {
    versionStampEdit->setReadOnly(false);
    versionStampEdit->setFocus();
}
