// The converter's messages put into Russian for the wizard's boxes.
#include "converter/wizard/WizardMessages.h"

#include <QRegularExpression>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace {

// A message of the converter and its Russian text: %n stands for the n-th part of the English, which is
// put into Russian in turn where it has a form of its own (a reason) and kept as it is otherwise (a path,
// a figure).
struct Form {
    const char* english;
    const char* russian;
};

const Form kForms[] = {
    // Files read and written.
    {R"~(cannot read (.+): (.+))~", "не удалось прочитать %1: %2"},
    {R"~(cannot write (.+?): short volume)~", "не удалось записать %1: том записан не полностью"},
    {R"~(cannot write (.+?): already closed)~", "не удалось записать %1: файл уже закрыт"},
    {R"~(cannot write (.+?): (open|sync|rename): (.+))~", "не удалось записать %1 (%2): %3"},
    {R"~(cannot write (.+?): (.+))~", "не удалось записать %1: %2"},
    {R"~(cannot remove (.+?): (.+))~", "не удалось удалить %1: %2"},
    {R"~(Cannot create file "(.+)"\. (.+))~", "не удалось создать файл \"%1\": %2"},
    {R"~(Cannot create file "(.+)")~", "не удалось создать файл \"%1\""},
    {R"~(Cannot open file "(.+)"\. (.+))~", "не удалось открыть файл \"%1\": %2"},
    {R"~(Cannot open file "(.+)")~", "не удалось открыть файл \"%1\""},
    {R"~(Cannot read file "(.+)")~", "не удалось прочитать файл \"%1\""},
    {R"~(Stream write error: (.+))~", "ошибка записи: %1"},
    {"open", "открытие"},
    {"sync", "запись на диск"},
    {"rename", "переименование"},
    {"negative position", "отрицательная позиция"},
    {"position out of range", "позиция вне допустимых пределов"},
    {"size out of range", "размер вне допустимых пределов"},
    {"the stream is read-only", "поток открыт только для чтения"},
    {"the stream size cannot be changed", "размер потока нельзя изменить"},
    // The system's reasons.
    {"No such file or directory", "нет такого файла или папки"},
    {"Permission denied", "доступ запрещён"},
    {"Operation not permitted", "операция не разрешена"},
    {"No space left on device", "на диске нет места"},
    {"Disk quota exceeded", "превышена дисковая квота"},
    {"Read-only file system", "файловая система только для чтения"},
    {"File too large", "файл слишком велик"},
    {"Is a directory", "это папка"},
    {"Not a directory", "это не папка"},
    {"File exists", "файл уже существует"},
    {"Input/output error", "ошибка ввода-вывода"},
    {"Too many open files", "открыто слишком много файлов"},
    {"Invalid argument", "недопустимый аргумент"},
    {"Invalid cross-device link", "перенос между разными дисками невозможен"},
    // Compiled building data (*.lmp).
    {R"~((.+) is not a compiled map file: (.+))~", "файл %1 не является скомпилированной картой: %2"},
    {R"~((.+) is too large for compiled building data)~", "файл %1 слишком велик для данных зданий"},
    {"the building data would outgrow 2 GiB", "данные зданий превысили бы 2 ГБ"},
    {R"~(not enough memory for (.+))~", "недостаточно памяти для %1"},
    {"shorter than its 16-byte box", "файл короче своего 16-байтового заголовка"},
    {"a record header past the end", "заголовок записи за концом файла"},
    {"a record past the end", "запись за концом файла"},
    {"a record without points", "запись без точек"},
    {"an outline with fewer than 3 points or a label", "контур менее чем из 3 точек или с подписью"},
    {"a house number with a bad point count or label", "номер дома с неверным числом точек или подписью"},
    {R"~(a record of unknown kind (\d+))~", "запись неизвестного вида %1"},
    {"a point off the globe", "точка за пределами земного шара"},
    // The source map and the output.
    {R"~("(.+)" holds no main map)~", "\"%1\" не содержит основной карты"},
    {R"~("(.+)" does not exist)~", "файл \"%1\" не существует"},
    {R"~("(.+)" is a file of the source map)~", "\"%1\" — файл исходной карты"},
    {R"~("(.+)" lies in a folder of the source map)~", "\"%1\" лежит в папке исходной карты"},
    {R"~(The folder of "(.+)" does not exist)~", "папки для \"%1\" не существует"},
    {R"~(The folder of "(.+)" is not a folder)~", "путь к \"%1\" ведёт не в папку"},
    {R"~(Output exceeds 32 GiB.*)~", "новая карта больше 32 ГБ: адреса KIWI дальше не достают"},
    {"A level names more data files than the converter can hold",
     "уровень ссылается на большее число файлов данных, чем может обработать конвертер"},
    {R"~(The CMP list (.+) is cut short)~", "список CMP %1 обрывается"},
    {R"~(Region level (\d+) cannot be read)~", "уровень %1 данных о регионах не читается"},
    {"Stopped", "остановлено"},
    {"unknown failure", "неизвестная ошибка"},
    // Options the map cannot take.
    {R"~(the extra level cannot be added: (.+))~", "дополнительный уровень нельзя добавить: %1"},
    {"the extra level needs building data", "для дополнительного уровня нужны данные зданий"},
    {"buildings, house numbers and one-way arrows need building data",
     "для зданий, номеров домов и стрелок нужны данные зданий"},
    {"trimming to the imported data needs building data",
     "для обрезки по загруженным данным нужны данные зданий"},
    {R"~((Buildings|Numbering) Display Class (\d+) is beyond the (?:background|name) classes of level (\d+) )~"
     R"~(\(it has (\d+)\))~",
     "класс отображения %2 (%1) выходит за классы уровня %3 (их %4)"},
    {"Buildings", "здания"},
    {"Numbering", "номера домов"},
    {R"~(the trim rectangle \((.+)\) covers nothing of the map \((.+)\))~",
     "прямоугольник обрезки (%1) не захватывает ничего из карты (%2)"},
    {R"~(west (-?\d+), north (-?\d+), east (-?\d+), south (-?\d+))~", "запад %1, север %2, восток %3, юг %4"},
    {"the levels of the source are not all readable", "не все уровни исходной карты читаются"},
    {"the map already has an extra level", "у карты уже есть дополнительный уровень"},
    {"too many block sets", "слишком много наборов блоков"},
    // The finishing tasks.
    {R"~(The new map of (\d+) bytes needs more than (\d+) volumes; volume files are numbered 1 to 9 only)~",
     "новой карте размером %1 байт нужно больше %2 томов, а тома нумеруются только от 1 до 9"},
    {"FILECON.MNG of the source map is not valid", "FILECON.MNG исходной карты повреждён"},
    {R"~((.+) cannot be listed in FILECON.MNG)~", "%1 нельзя внести в FILECON.MNG"},
    {"REGION.KWI of the source map is not valid region data",
     "REGION.KWI исходной карты не содержит правильных данных о регионах"},
    {R"~((\S+) not written: (.+))~", "%1 не создан: %2"},
    {"there is none beside the source map", "рядом с исходной картой такого файла нет"},
    {"ALLDATA.KWI of the source map holds no voice data",
     "в ALLDATA.KWI исходной карты нет голосовых данных"},
    {"ALLDATA.KWI of the source map holds no voice data; it lies in VOICEDAT.KWI beside the map",
     "в ALLDATA.KWI исходной карты нет голосовых данных: они лежат рядом с картой, в VOICEDAT.KWI"},
};

const std::vector<std::pair<QRegularExpression, QString>>& forms() {
    static const std::vector<std::pair<QRegularExpression, QString>> compiled = [] {
        std::vector<std::pair<QRegularExpression, QString>> list;
        for (const Form& form : kForms)
            list.emplace_back(
                QRegularExpression(QRegularExpression::anchoredPattern(QString::fromUtf8(form.english))),
                QString::fromUtf8(form.russian));
        return list;
    }();
    return compiled;
}

// Marks the converter puts before a log line; the box says it in its own way.
QString withoutMark(QString text) {
    for (bool again = true; again;) {
        again = false;
        for (const char* mark : {"ERROR: ", "ERROR : ", "WARNING: ", "Refused: "})
            if (text.startsWith(QLatin1String(mark))) {
                text.remove(0, qsizetype(std::char_traits<char>::length(mark)));
                again = true;
            }
    }
    return text;
}

std::optional<QString> russian(const QString& text) {
    for (const auto& [pattern, form] : forms()) {
        const QRegularExpressionMatch match = pattern.match(text);
        if (!match.hasMatch()) continue;
        QString result;
        for (qsizetype i = 0; i < form.size(); ++i) {
            const int part =
                form[i] == QLatin1Char('%') && i + 1 < form.size() ? form[i + 1].digitValue() : -1;
            if (part < 1) {
                result += form[i];
                continue;
            }
            const QString captured = match.captured(part);
            result += russian(captured).value_or(captured);
            ++i;
        }
        return result;
    }
    return std::nullopt;
}

bool holdsCyrillic(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF) return true;
    return false;
}

} // namespace

QString ShownMessage(const std::string& message) {
    QStringList lines = QString::fromStdString(message).split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.isEmpty() || holdsCyrillic(line)) continue;
        const QString bare = withoutMark(line);
        line = russian(bare).value_or(QStringLiteral("ошибка: ") + bare);
        line[0] = line[0].toUpper();
    }
    return lines.join(QLatin1Char('\n'));
}
