// The converter wizard's pages and their controls, with the system's own Russian texts.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "converter/wizard/ConverterWizard.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatCheckBox.h"
#include "widgets/flat/FlatComboBox.h"
#include "widgets/flat/FlatEdit.h"
#include "widgets/flat/FlatProgressBar.h"

namespace {

// A control named objectName (each after its member), the name window tests find it by.
template <class Control, class... Args> Control* named(QAnyStringView objectName, Args&&... args) {
    auto* control = new Control(std::forward<Args>(args)...);
    control->setObjectName(objectName);
    return control;
}

QButtonGroup* radioGroup(const char* objectName, QWidget* owner, QLayout* layout, const QStringList& items,
                         int checked) {
    auto* group = named<QButtonGroup>(objectName, owner);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], owner);
        group->addButton(button, i);
        layout->addWidget(button);
    }
    if (checked >= 0) group->button(checked)->setChecked(true);
    return group;
}

// Pages offering maps in the Polish format.
constexpr const char* kMapDownloadPage1 = "http://www.gisrussa.ru";
constexpr const char* kMapDownloadPage2 = "http://mapcenter.cgpsmapper.com";

// A label showing its link's address; activating it is left to the caller.
QLabel* linkLabel(const char* objectName, const QString& url) {
    auto* label = named<QLabel>(objectName, QStringLiteral("<a href=\"%1\">%1</a>").arg(url.toHtmlEscaped()));
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    return label;
}

// A caption beside a control: it greys out with the control (ConverterWizard::greyCaptions).
QLabel* caption(QAnyStringView objectName, const QString& text, QWidget* control) {
    auto* label = named<QLabel>(objectName, text);
    label->setBuddy(control);
    return label;
}

QSlider* slider(QAnyStringView objectName, int low, int high, int value) {
    auto* s = named<QSlider>(objectName, Qt::Horizontal);
    s->setRange(low, high);
    s->setValue(value);
    return s;
}

// The import and run logs are flat memos; the fixed texts keep the plain look.
QPlainTextEdit* memo(const char* objectName, bool flat = false) {
    QPlainTextEdit* m = flat ? named<FlatMemo>(objectName) : named<QPlainTextEdit>(objectName);
    m->setReadOnly(true);
    return m;
}

} // namespace

void ConverterWizard::buildPages() {
    setWindowTitle(QStringLiteral("Конвертер карт"));
    auto* layout = new QVBoxLayout(this);
    captionLabel = named<QLabel>("captionLabel");
    QFont bold = captionLabel->font();
    bold.setBold(true);
    captionLabel->setFont(bold);
    hintLabel = named<QLabel>("hintLabel");
    hintLabel->setWordWrap(true);
    // What the last run or completion left undone; empty and hidden otherwise.
    reportLabel = named<QLabel>("reportLabel");
    reportLabel->setWordWrap(true);
    reportLabel->setStyleSheet(QStringLiteral("color: #B00000"));
    reportLabel->hide();
    layout->addWidget(captionLabel);
    layout->addWidget(hintLabel);
    layout->addWidget(reportLabel);
    pageControl = named<QStackedWidget>("pageControl");
    for (QWidget* page :
         {buildInfo(), buildCaution(), buildFirstStep(), buildTranslate(), buildLoading(), buildSettings(),
          buildCutMap(), buildFile(), buildCreation(), buildFinish(), buildCompletion(), buildRegion()})
        pageControl->addWidget(page);
    layout->addWidget(pageControl, 1);
    auto* buttons = new QHBoxLayout;
    // The bar sits in a slot of its own, so showing and hiding it never moves or resizes the buttons.
    auto* barSlot = new QWidget;
    auto* barLayout = new QHBoxLayout(barSlot);
    barLayout->setContentsMargins(0, 0, 0, 0);
    progressBar1 = named<FlatProgressBar>("progressBar1");
    barLayout->addWidget(progressBar1);
    buttons->addWidget(barSlot, 1);
    backBtn = named<FlatButton>("backBtn", QStringLiteral("Назад"));
    nextBtn = named<FlatButton>("nextBtn", NextCaption());
    // Enter goes on to the next page, whatever button of a page comes first.
    nextBtn->setDefault(true);
    cancelBtn = named<FlatButton>("cancelBtn", QStringLiteral("Отмена"));
    for (QPushButton* button : {backBtn, nextBtn, cancelBtn}) {
        button->setMinimumWidth(110);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    // The elapsed time of a run, once a second; the runs, the import and the dictionary work speak by
    // queued signals of their own.
    elapsedClock = named<QTimer>("elapsedClock", this);
    elapsedClock->setInterval(1000);
}

QWidget* ConverterWizard::buildInfo() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Внимание !!!")));
    infoMemo = memo("infoMemo");
    infoMemo->setPlainText(
        QStringLiteral("Пожалуйста, сначала откройте существующую карту в главном окне программы.\n\n"
                       "1. Закройте этот мастер.\n"
                       "2. Откройте карту кнопками открытия главного окна.\n"
                       "3. Снова нажмите кнопку конвертера карт."));
    layout->addWidget(infoMemo);
    layout->addWidget(new QLabel(QStringLiteral("Region Network")));
    return page;
}

QWidget* ConverterWizard::buildCaution() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Предупреждение !")));
    attentionMemo = memo("attentionMemo");
    layout->addWidget(attentionMemo);
    return page;
}

QWidget* ConverterWizard::buildFirstStep() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    auto* target = new QGroupBox(QStringLiteral("  Целевое оборудование  "));
    targetRadioGroup = radioGroup(
        "targetRadioGroup", target, new QVBoxLayout(target),
        {QStringLiteral("AISIN-AW (EU cars)"), QStringLiteral("DENSO (US cars)"), QStringLiteral("ДРУГИЕ")},
        0);
    grid->addWidget(target, 0, 0);
    auto* backward = new QGroupBox(QStringLiteral("  Обратная совместимость "));
    auto* backwardLayout = new QVBoxLayout(backward);
    backwardCheckBox = named<QCheckBox>("backwardCheckBox", QStringLiteral("Создать менеджмент 21"));
    backwardCheckBox->setToolTip(QStringLiteral("Рекомендуется для устаревших загрузчиков"));
    rdsCheckBox = named<QCheckBox>("rdsCheckBox", QStringLiteral("Удалить данные RDS-TMC"));
    rdsCheckBox->setToolTip(QStringLiteral("Для снижения размера карт"));
    backwardLayout->addWidget(backwardCheckBox);
    backwardLayout->addWidget(rdsCheckBox);
    grid->addWidget(backward, 0, 1);
    auto* denso = new QGroupBox(QStringLiteral("  Ошибки Denso  "));
    auto* densoLayout = new QVBoxLayout(denso);
    strictRulesCheckBox = named<QCheckBox>("strictRulesCheckBox", QStringLiteral("Follow Strict Rules"));
    westBugsCheckBox = named<QCheckBox>("westBugsCheckBox", QStringLiteral("West Bugs"));
    densoLayout->addWidget(strictRulesCheckBox);
    densoLayout->addWidget(westBugsCheckBox);
    grid->addWidget(denso, 1, 0);
    auto* system = new QGroupBox(QStringLiteral("  System ID  "));
    auto* systemLayout = new QHBoxLayout(system);
    systemIdCheckBox = named<QCheckBox>("systemIdCheckBox");
    systemIdCheckBox->setToolTip(QStringLiteral("Заменить заголовок и\nидентификатор системы"));
    systemIdComboBox = named<FlatComboBox>("systemIdComboBox");
    systemIdComboBox->setToolTip(QStringLiteral("Будет записан заголовок ALLDATA"));
    // The items are the model's: the 16 system IDs and perhaps the map's own.
    systemIdComboBox->setEnabled(false);
    systemLayout->addWidget(systemIdCheckBox);
    systemLayout->addWidget(systemIdComboBox, 1);
    grid->addWidget(system, 1, 1);
    auto* date = new QGroupBox(QStringLiteral("  Штамп даты  "));
    date->setToolTip(QStringLiteral("Установить дату для новой карты"));
    auto* dateLayout = new QHBoxLayout(date);
    dateStampCheckBox = named<QCheckBox>("dateStampCheckBox");
    dateStampEdit = named<QLineEdit>("dateStampEdit");
    dateStampEdit->setEnabled(false);
    // No longer than the header's field: the edit takes no more than the run can write.
    dateStampEdit->setMaxLength(int(kDateStampField));
    dateLayout->addWidget(dateStampCheckBox);
    dateLayout->addWidget(dateStampEdit);
    grid->addWidget(date, 2, 0);
    auto* version = new QGroupBox(QStringLiteral("  Штамп версии  "));
    version->setToolTip(QStringLiteral("Установить версию для новой карты"));
    auto* versionLayout = new QHBoxLayout(version);
    versionStampCheckBox = named<QCheckBox>("versionStampCheckBox");
    versionStampEdit = named<QLineEdit>("versionStampEdit");
    versionStampEdit->setEnabled(false);
    versionStampEdit->setMaxLength(int(kVersionStampField));
    versionStampEdit->setReadOnly(true);
    versionStampEdit->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* reset = new QAction(QStringLiteral("Сбросить версию"), versionStampEdit);
    auto* edit = new QAction(QStringLiteral("Редактировать версию"), versionStampEdit);
    versionStampEdit->addAction(reset);
    versionStampEdit->addAction(edit);
    connect(reset, &QAction::triggered, this, &ConverterWizard::ResetVersion);
    connect(edit, &QAction::triggered, this, &ConverterWizard::EditVersion);
    versionLayout->addWidget(versionStampCheckBox);
    versionLayout->addWidget(versionStampEdit);
    grid->addWidget(version, 2, 1);
    auto* insert = new QGroupBox(QStringLiteral("  Вставить менеджменты в ALLDATA  "));
    auto* insertLayout = new QVBoxLayout(insert);
    insertRegionDataCheckBox = named<QCheckBox>("insertRegionDataCheckBox", QStringLiteral("REGION DATA"));
    insertRegionDataCheckBox->setToolTip(QStringLiteral("Вставить из REGION.KWI"));
    insertVoiceDataCheckBox = named<QCheckBox>("insertVoiceDataCheckBox", QStringLiteral("VOICE DATA"));
    insertVoiceDataCheckBox->setToolTip(QStringLiteral("Вставить из VOICEDAT.KWI"));
    insertRegionDataCheckBox->setEnabled(false);
    insertVoiceDataCheckBox->setEnabled(false);
    insertLayout->addWidget(insertRegionDataCheckBox);
    insertLayout->addWidget(insertVoiceDataCheckBox);
    grid->addWidget(insert, 3, 0);
    groupsFollowingControls_.push_back(insert);
    auto* adjacent = new QGroupBox(QStringLiteral(" Adjacent Parcel Info "));
    adjacentRadioGroup =
        radioGroup("adjacentRadioGroup", adjacent, new QHBoxLayout(adjacent),
                   {QStringLiteral("Remove"), QStringLiteral("Clear"), QStringLiteral("Update")}, 2);
    grid->addWidget(adjacent, 3, 1);
    // The picture that opens the hidden Region Network page.
    presentationImage = named<QPushButton>("presentationImage");
    presentationImage->setFlat(true);
    presentationImage->setAccessibleName(QStringLiteral("Region Network"));
    // Nothing shows it: neither Tab nor Enter reaches it, only a click.
    presentationImage->setAutoDefault(false);
    presentationImage->setFocusPolicy(Qt::NoFocus);
    grid->addWidget(presentationImage, 4, 1);
    return page;
}

QWidget* ConverterWizard::buildTranslate() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    utfToAnsiCheckBox = named<FlatCheckBox>("utfToAnsiCheckBox", QStringLiteral("UTF-8 -->>  ISO/ANSI"));
    layout->addWidget(utfToAnsiCheckBox);
    utfGroupBox = named<QGroupBox>("utfGroupBox");
    auto* utfLayout = new QHBoxLayout(utfGroupBox);
    utfAreasCheckListBox = named<QListWidget>("utfAreasCheckListBox");
    isoAnsiComboBox = named<FlatComboBox>("isoAnsiComboBox");
    isoAnsiComboBox->addItems({QStringLiteral("ANSI-1251"), QStringLiteral("ISO-8859")});
    utfLabel = named<QLabel>("utfLabel", QStringLiteral("UTF"));
    ansiLabel = named<QLabel>("ansiLabel", QStringLiteral("ANSI"));
    utfLayout->addWidget(utfAreasCheckListBox);
    utfLayout->addWidget(isoAnsiComboBox);
    utfLayout->addWidget(utfLabel);
    utfLayout->addWidget(ansiLabel);
    layout->addWidget(utfGroupBox);
    translateGroupBox = named<QGroupBox>("translateGroupBox");
    auto* grid = new QGridLayout(translateGroupBox);
    translateCheckBox = named<FlatCheckBox>("translateCheckBox", QStringLiteral("Перевести названия"));
    grid->addWidget(translateCheckBox, 0, 0);
    auto* type = new QGroupBox(QStringLiteral("  Тип словаря  "));
    dictionaryTypeRadioGroup = radioGroup("dictionaryTypeRadioGroup", type, new QHBoxLayout(type),
                                          {QStringLiteral("Слова"), QStringLiteral("Фразы")}, 1);
    grid->addWidget(type, 1, 0);
    translateTrackBar = slider("translateTrackBar", 1, 5, 3);
    translateLevelLabel = caption("translateLevelLabel", QStringLiteral("Фильтр стран"), translateTrackBar);
    grid->addWidget(translateLevelLabel, 2, 0);
    grid->addWidget(translateTrackBar, 2, 1);
    levelsRangeLabel = caption("levelsRangeLabel", QString(), translateTrackBar);
    grid->addWidget(levelsRangeLabel, 2, 2);
    translateAreasCheckListBox = named<QListWidget>("translateAreasCheckListBox");
    grid->addWidget(translateAreasCheckListBox, 3, 0, 1, 3);
    dictionaryCountLabel = named<QLabel>("dictionaryCountLabel", QStringLiteral("0 записей в словаре"));
    grid->addWidget(dictionaryCountLabel, 4, 0);
    loadDictionaryBtn = named<FlatButton>("loadDictionaryBtn", QStringLiteral("Загрузить словарь"));
    showDictionaryBtn = named<FlatButton>("showDictionaryBtn", QStringLiteral("Показать словарь"));
    saveDictionaryBtn = named<FlatButton>("saveDictionaryBtn", QStringLiteral("Сохранить словарь"));
    grid->addWidget(loadDictionaryBtn, 5, 0);
    grid->addWidget(showDictionaryBtn, 5, 1);
    grid->addWidget(saveDictionaryBtn, 5, 2);
    excludeYoCheckBox = named<QCheckBox>("excludeYoCheckBox", QStringLiteral("Ё -> Е"));
    ukrICheckBox = named<QCheckBox>("ukrICheckBox", QStringLiteral("Ukr I -> Eng I"));
    excludeFwyCheckBox = named<QCheckBox>("excludeFwyCheckBox", QStringLiteral("Кроме трасс"));
    excludeFwyCheckBox->setToolTip(
        QStringLiteral("Для Gen5 названия трасс длжны быть только из символов A-Z или 0-9"));
    logDictErrorsCheckBox = named<QCheckBox>("logDictErrorsCheckBox", QStringLiteral("Ошибки в Log-файл"));
    logDictErrorsCheckBox->setChecked(true);
    grid->addWidget(excludeYoCheckBox, 6, 0);
    grid->addWidget(ukrICheckBox, 6, 1);
    grid->addWidget(excludeFwyCheckBox, 7, 0);
    grid->addWidget(logDictErrorsCheckBox, 7, 1);
    layout->addWidget(translateGroupBox);
    for (QWidget* w : std::initializer_list<QWidget*>{
             utfAreasCheckListBox, isoAnsiComboBox, ansiLabel, type, translateLevelLabel, translateTrackBar,
             levelsRangeLabel, translateAreasCheckListBox, dictionaryCountLabel, loadDictionaryBtn,
             showDictionaryBtn, saveDictionaryBtn, excludeYoCheckBox, ukrICheckBox, excludeFwyCheckBox,
             logDictErrorsCheckBox})
        w->setEnabled(false);
    return page;
}

QWidget* ConverterWizard::buildLoading() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    loadBtn = named<FlatButton>("loadBtn", QStringLiteral("Загрузить MP файл"));
    saveLmpBtn = named<FlatButton>("saveLmpBtn", QStringLiteral("Сохранить как..."));
    saveLmpBtn->setEnabled(false);
    cityAreaComboBox = named<FlatComboBox>("cityAreaComboBox");
    cityAreaComboBox->addItems(
        {QStringLiteral("  > 200 000"), QStringLiteral("  > 50 000"), QStringLiteral("  > 10 000")});
    row->addWidget(loadBtn);
    row->addWidget(saveLmpBtn);
    row->addWidget(caption({}, QStringLiteral("Город (кол-во жителей)\nдля масштаба 25м"), cityAreaComboBox));
    row->addWidget(cityAreaComboBox);
    layout->addLayout(row);
    addMemo = memo("addMemo", true);
    addMemo->setToolTip(QStringLiteral("Вы можете сохранить скомпилированную карту и потом её загрузить"));
    layout->addWidget(addMemo, 1);
    auto* text = new QLabel(QStringLiteral(
        "Вы можете использовать карты в польском формате (***. MP) чтобы добавить контуры зданий."));
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* community = new QLabel(QStringLiteral(
        "Рекомендуем карты, созданные сообществом и переведённые в формат MP: в них уже есть контуры "
        "зданий и номера домов."));
    community->setWordWrap(true);
    layout->addWidget(community);
    urlLabel1 = linkLabel("urlLabel1", QString::fromLatin1(kMapDownloadPage1));
    urlLabel2 = linkLabel("urlLabel2", QString::fromLatin1(kMapDownloadPage2));
    for (QLabel* link : {urlLabel1, urlLabel2}) {
        connect(link, &QLabel::linkActivated, this, [this](const QString& url) {
            if (services_.urls) services_.urls->Open(QUrl(url));
        });
        layout->addWidget(link);
    }
    memoryLoadProgressBar = named<FlatProgressBar>("memoryLoadProgressBar");
    memorySizeLabel = named<QLabel>("memorySizeLabel");
    memoryAviableLabel = named<QLabel>("memoryAviableLabel");
    layout->addWidget(memoryLoadProgressBar);
    layout->addWidget(memorySizeLabel);
    layout->addWidget(memoryAviableLabel);
    return page;
}

QWidget* ConverterWizard::buildSettings() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    buildingsCheckBox = named<FlatCheckBox>("buildingsCheckBox", QStringLiteral("Добавить контуры зданий"));
    grid->addWidget(buildingsCheckBox, 0, 0);
    auto* add = new QGroupBox(QStringLiteral("  Способ добавления  "));
    add->setToolTip(QStringLiteral("Как добавлять данные в KIWI карту"));
    addRadioGroup =
        radioGroup("addRadioGroup", add, new QVBoxLayout(add),
                   {QStringLiteral("Добавить данные"), QStringLiteral("Заменить старые данные")}, 0);
    grid->addWidget(add, 1, 0);
    buildingsDcComboBox = named<FlatComboBox>("buildingsDcComboBox");
    grid->addWidget(buildingsDcComboBox, 2, 0);
    buildingsTypeCodeEdit = named<QLineEdit>("buildingsTypeCodeEdit", QStringLiteral("0143"));
    grid->addWidget(caption({}, QStringLiteral("(HEX)   0 x"), buildingsTypeCodeEdit), 3, 0);
    grid->addWidget(buildingsTypeCodeEdit, 3, 1);
    auto* filter = new QGroupBox(QStringLiteral(" Значение фильтра размеров "));
    filter->setToolTip(QStringLiteral("Фильтр маленьких зданий"));
    auto* filterLayout = new QGridLayout(filter);
    sizeFilter50TrackBar = slider("sizeFilter50TrackBar", 10, 80, 40);
    sizeFilter100TrackBar = slider("sizeFilter100TrackBar", 40, 200, 100);
    sizeFilter50Label = caption("sizeFilter50Label", QStringLiteral("50m -> 40"), sizeFilter50TrackBar);
    sizeFilter100Label = caption("sizeFilter100Label", QStringLiteral("100m -> 100"), sizeFilter100TrackBar);
    filterLayout->addWidget(sizeFilter50Label, 0, 0);
    filterLayout->addWidget(sizeFilter50TrackBar, 0, 1);
    filterLayout->addWidget(sizeFilter100Label, 1, 0);
    filterLayout->addWidget(sizeFilter100TrackBar, 1, 1);
    grid->addWidget(filter, 4, 0, 1, 2);
    addressCheckBox = named<FlatCheckBox>("addressCheckBox", QStringLiteral("Добавить номера зданий"));
    grid->addWidget(addressCheckBox, 0, 2);
    numberingDcComboBox = named<FlatComboBox>("numberingDcComboBox");
    grid->addWidget(numberingDcComboBox, 1, 2);
    numberingTypeCodeEdit = named<QLineEdit>("numberingTypeCodeEdit", QStringLiteral("01C2"));
    grid->addWidget(numberingTypeCodeEdit, 2, 2);
    auto* codePage = new QGroupBox(QStringLiteral(" Включая литеры / кодировка "));
    auto* codePageLayout = new QHBoxLayout(codePage);
    includeLettersCheckBox = named<QCheckBox>("includeLettersCheckBox");
    includeLettersCheckBox->setChecked(true);
    codePageComboBox = named<FlatComboBox>("codePageComboBox");
    codePageComboBox->addItems({QStringLiteral("UTF-8"), QStringLiteral("ISO 8859-1"),
                                QStringLiteral("ISO 8859-2"), QStringLiteral("ISO 8859-5"),
                                QStringLiteral("ANSI-1251")});
    codePageLayout->addWidget(includeLettersCheckBox);
    codePageLayout->addWidget(codePageComboBox);
    grid->addWidget(codePage, 3, 2);
    auto* extra = new QGroupBox(QStringLiteral(" Добавление дополнительного слоя "));
    auto* extraLayout = new QVBoxLayout(extra);
    addExtraLevelCheckBox = named<QCheckBox>("addExtraLevelCheckBox", QStringLiteral("Add Scale 25m (75ft)"));
    arrowsCheckBox = named<QCheckBox>("arrowsCheckBox", QStringLiteral("Доп. Стрелочки"));
    extraLayout->addWidget(addExtraLevelCheckBox);
    extraLayout->addWidget(arrowsCheckBox);
    grid->addWidget(extra, 4, 2);
    defaultBtn = named<FlatButton>("defaultBtn", QStringLiteral("Восстановить"));
    grid->addWidget(defaultBtn, 5, 2);
    groupsFollowingControls_.insert(groupsFollowingControls_.end(), {filter, codePage, extra});
    // A successful import enables the two switches, and they the rest.
    for (QWidget* w : std::initializer_list<QWidget*>{
             buildingsCheckBox, add, buildingsDcComboBox, buildingsTypeCodeEdit, sizeFilter50TrackBar,
             sizeFilter100TrackBar, addressCheckBox, numberingDcComboBox, numberingTypeCodeEdit,
             includeLettersCheckBox, codePageComboBox, addExtraLevelCheckBox, arrowsCheckBox, defaultBtn})
        w->setEnabled(false);
    return page;
}

QWidget* ConverterWizard::buildCutMap() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    trimCheckBox = named<QCheckBox>("trimCheckBox", QStringLiteral("Обрезать карту"));
    grid->addWidget(trimCheckBox, 0, 0);
    auto* mode = new QGroupBox;
    trimRadioGroup =
        radioGroup("trimRadioGroup", mode, new QVBoxLayout(mode),
                   {QStringLiteral("По границам карты со зданиями"),
                    QStringLiteral("По заданным координатам"), QStringLiteral("По границам страны")},
                   1);
    grid->addWidget(mode, 1, 0);
    const QString hint = QStringLiteral("Используйте клавиши стрелок для плавого перемещения слайдера");
    int row = 2;
    for (auto [label, bar, edit, side, name] :
         {std::tuple{&northLabel, &northTrackBar, &northEdit, "north", "N"},
          std::tuple{&southLabel, &southTrackBar, &southEdit, "south", "S"},
          std::tuple{&westLabel, &westTrackBar, &westEdit, "west", "W"},
          std::tuple{&eastLabel, &eastTrackBar, &eastEdit, "east", "E"}}) {
        const QString control = QString::fromLatin1(side);
        *bar = slider(control + QStringLiteral("TrackBar"), 0, 0, 0);
        (*bar)->setSingleStep(60);
        (*bar)->setToolTip(hint);
        *edit = named<QLineEdit>(control + QStringLiteral("Edit"));
        (*edit)->setReadOnly(true);
        *label = caption(control + QStringLiteral("Label"), QString::fromLatin1(name), *bar);
        grid->addWidget(*label, row, 0);
        grid->addWidget(*bar, row, 1);
        grid->addWidget(*edit, row, 2);
        ++row;
    }
    areasCheckListBox = named<QListWidget>("areasCheckListBox");
    grid->addWidget(areasCheckListBox, 1, 1, 1, 2);
    addSeasCheckBox = named<QCheckBox>("addSeasCheckBox", QStringLiteral("Плюс морские участки"));
    addAdjacentCheckBox = named<QCheckBox>("addAdjacentCheckBox", QStringLiteral("Плюс соседние участки"));
    grid->addWidget(addSeasCheckBox, row, 0);
    grid->addWidget(addAdjacentCheckBox, row, 1);
    ++row;
    trimLevelTrackBar = slider("trimLevelTrackBar", 0, 7, 3);
    trimLevelTrackBar->setToolTip(QStringLiteral("Детальная карта включая уровень"));
    cutLevelLabel = caption("cutLevelLabel", QString(), trimLevelTrackBar);
    grid->addWidget(trimLevelTrackBar, row, 0, 1, 2);
    grid->addWidget(cutLevelLabel, row, 2);
    return page;
}

QWidget* ConverterWizard::buildFile() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    fileNameEdit = named<FlatLineEdit>("fileNameEdit");
    fileNameEdit->setReadOnly(true);
    fileBitBtn = named<FlatButton>("fileBitBtn", QStringLiteral("..."));
    row->addWidget(fileNameEdit, 1);
    row->addWidget(fileBitBtn);
    layout->addLayout(row);
    readOnlyLabel = named<QLabel>("readOnlyLabel", QStringLiteral("Выбранный файл закрыт для записи!"));
    otherFileLabel = named<QLabel>("otherFileLabel",
                                   QStringLiteral("Пожалуйста, выберите другой файл. Этот файл уже открыт!"));
    readOnlyLabel->hide();
    otherFileLabel->hide();
    layout->addWidget(readOnlyLabel);
    layout->addWidget(otherFileLabel);
    auto* attention = new QGroupBox(QStringLiteral("  Внимание  "));
    auto* attentionLayout = new QVBoxLayout(attention);
    attentionLayout->addWidget(new QLabel(QStringLiteral(
        "Следующий шаг запустит процесс создания новой карты.\nНа это может потребоваться много времени.")));
    layout->addWidget(attention);
    logBox = named<QCheckBox>("logBox", QStringLiteral("Log"));
    logBox->hide();
    layout->addWidget(logBox);
    layout->addStretch(1);
    return page;
}

QWidget* ConverterWizard::buildCreation() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    progressLabel = named<QLabel>("progressLabel");
    progressBar2 = named<FlatProgressBar>("progressBar2");
    progressMemo = memo("progressMemo", true);
    // The memo shows the run's tail as its progress keeps it; the whole log is in Log.txt.
    progressMemo->setMaximumBlockCount(int(ConversionProgress::kKeptLines));
    timeStaticText = named<QLabel>("timeStaticText", QStringLiteral("0:00:00"));
    layout->addWidget(progressLabel);
    layout->addWidget(progressBar2);
    layout->addWidget(progressMemo, 1);
    layout->addWidget(timeStaticText);
    return page;
}

QWidget* ConverterWizard::buildFinish() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    finishMemo = memo("finishMemo");
    targetLabel = named<QLabel>("targetLabel");
    fileSizeLabel = named<QLabel>("fileSizeLabel");
    timeLabel = named<QLabel>("timeLabel");
    layout->addWidget(finishMemo, 1);
    layout->addWidget(targetLabel);
    layout->addWidget(fileSizeLabel);
    layout->addWidget(timeLabel);
    return page;
}

QWidget* ConverterWizard::buildCompletion() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    openNewMapCheckBox = named<QCheckBox>("openNewMapCheckBox", QStringLiteral("Открыть новую карту"));
    openNewMapCheckBox->setChecked(true);
    layout->addWidget(openNewMapCheckBox);
    completeGroupBox = named<QGroupBox>("completeGroupBox");
    auto* group = new QVBoxLayout(completeGroupBox);
    splitCheckBox = named<QCheckBox>("splitCheckBox", QStringLiteral("Разделить ALLDATA.KWI"));
    fileConCheckBox = named<QCheckBox>("fileConCheckBox", QStringLiteral("Создать новый FILECON.MNG"));
    regionCheckBox = named<QCheckBox>("regionCheckBox", QStringLiteral("Создать новый REGION.KWI"));
    voiceCheckBox = named<QCheckBox>("voiceCheckBox", QStringLiteral("Создать новый STDVCE.KWI"));
    cmp05CheckBox = named<QCheckBox>("cmp05CheckBox", QStringLiteral("Create new 05.CMP"));
    for (QCheckBox* box : {splitCheckBox, fileConCheckBox, regionCheckBox, voiceCheckBox, cmp05CheckBox}) {
        box->setEnabled(false);
        group->addWidget(box);
    }
    layout->addWidget(completeGroupBox);
    processingButton = named<FlatButton>("processingButton", QStringLiteral("Начать обработку"));
    processingButton->setEnabled(false);
    layout->addWidget(processingButton);
    layout->addWidget(new QLabel(QStringLiteral("Поддержите этот проект")));
    layout->addWidget(new QLabel(QStringLiteral("Любая сумма на ваш выбор")));
    // The page's lines stay together at its top rather than spread over its height.
    layout->addStretch(1);
    return page;
}

QWidget* ConverterWizard::buildRegion() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    regionCheckListBox = named<QListWidget>("regionCheckListBox");
    inspectRegionBtn = named<FlatButton>("inspectRegionBtn", QStringLiteral("Inspect Regions"));
    saveRegionBtn = named<FlatButton>("saveRegionBtn", QStringLiteral("Save REGION.KWI"));
    inspectRegionBtn->setEnabled(false);
    saveRegionBtn->setEnabled(false);
    layout->addWidget(regionCheckListBox, 1);
    layout->addWidget(inspectRegionBtn);
    layout->addWidget(saveRegionBtn);
    return page;
}
