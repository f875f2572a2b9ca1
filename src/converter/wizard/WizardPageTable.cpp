// The page table of the converter wizard.
#include "converter/wizard/WizardPageTable.h"

namespace {

constexpr const char* kInfoCaption = "Информация";
constexpr const char* kInfoHint = "Этот мастер создаёт новую карту из уже существующих карт.";

constexpr std::array<WizardPageRules, kWizardPageCount> kPageTable = {{
    {kInfoCaption, kInfoHint, BackRule::Off, NextRule::Off, ProgressRule::Hidden, false, true},
    {kInfoCaption, kInfoHint, BackRule::Off, NextRule::On, ProgressRule::Hidden, false, true},
    {"Первый шаг",
     "Выберите параметры для новой карты. Новая карта будет создана из карты, открытой в главном окне.",
     BackRule::WhenCaution, NextRule::On, ProgressRule::Hidden, false, true},
    {"Изменение названий",
     "Вы можете изменить кодировку названий в карте или перевести их на другой язык, используя словарь.",
     BackRule::On, NextRule::On, ProgressRule::ShownAtZero, false, true},
    {"Загрузка карт",
     "Вы можете добавить контуры зданий в новую карту после того, как загрузите сторонние карты с данными",
     BackRule::On, NextRule::On, ProgressRule::ShownAtZero, false, true},
    {"Настройка",
     "Все оптимальные настройки сделаны по умолчанию. Включите нужные опции и проверьте кодировку символов",
     BackRule::On, NextRule::On, ProgressRule::Hidden, false, true},
    {"Обрезка карты", "Вы можете уменьшить зону покрытия новой карты", BackRule::On, NextRule::On,
     ProgressRule::Hidden, false, true},
    {"Выберите выходной файл", "Пожалуйста, выберите файл, в котором будет сохранена новая карта",
     BackRule::On, NextRule::OutputCheck, ProgressRule::Hidden, false, true},
    {"Создание карты", "Идет процесс создания новой карты. Пожалуйста, подождите...", BackRule::Off,
     NextRule::Off, ProgressRule::ShownAtZero, false, true},
    {"Готово", "Все стадии процесса создания новой карты завершены.", BackRule::Off, NextRule::On,
     ProgressRule::Hidden, false, true},
    {"Завершение", "Обработка и создание новых файлов", BackRule::On, NextRule::WhenProcessingOff,
     ProgressRule::HiddenAtZero, true, false},
    {"Region Network", "Creation alternative REGION.KWI", BackRule::Off, NextRule::Off,
     ProgressRule::HiddenAtZero, false, true},
}};

} // namespace

const WizardPageRules& PageRulesOf(WizardPage page) {
    return kPageTable[size_t(page)];
}

WizardPage StartPage(bool mapOpen, bool compressed) {
    if (!mapOpen) return WizardPage::Info;
    return compressed ? WizardPage::Caution : WizardPage::FirstStep;
}

QString NextCaption() {
    return QStringLiteral("Далее");
}

QString DoneCaption() {
    return QStringLiteral("Готово");
}
