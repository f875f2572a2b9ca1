// The Russian forms of the failures the windows show.
#include "kiwi/core/RussianFailureTexts.h"

#include <cerrno>
#include <cstdlib>

namespace {

struct Form {
    FailureCode code;
    const char* russian;
};

using C = FailureCode;

const Form kForms[] = {
    {C::None, ""},
    {C::Unknown, "Ошибка: {words}"},
    {C::UnknownInFile, "Ошибка: {words} (файл {file})"},
    {C::Told, "{words}"},
    {C::System, "{words}"},
    // Files and streams.
    {C::FileReadError, "ошибка чтения файла {file}"},
    {C::FileOpenFailed, "не удалось открыть файл \"{file}\": {cause}"},
    {C::FileOpenRefused, "не удалось открыть файл \"{file}\""},
    {C::FileReadFailed, "не удалось прочитать файл \"{file}\""},
    {C::FileCreateFailed, "не удалось создать файл \"{file}\": {cause}"},
    {C::FileCreateRefused, "не удалось создать файл \"{file}\""},
    {C::StreamWriteFailed, "ошибка записи файла {file}: {cause}"},
    {C::StreamNegativePosition, "ошибка записи: отрицательная позиция"},
    {C::StreamPositionOutOfRange, "ошибка записи: позиция вне допустимых пределов"},
    {C::StreamSizeOutOfRange, "ошибка записи: размер вне допустимых пределов"},
    {C::StreamReadOnly, "ошибка записи: файл {file} открыт только для чтения"},
    {C::StreamSizeFixed, "ошибка записи: размер файла {file} нельзя изменить"},
    {C::OutputOpenFailed, "не удалось записать {file} (открытие): {cause}"},
    {C::OutputSyncFailed, "не удалось записать {file} (запись на диск): {cause}"},
    {C::OutputRenameFailed, "не удалось записать {file} (переименование): {cause}"},
    {C::OutputLinkFailed, "не удалось записать {file} (ссылка на готовый файл): {cause}"},
    {C::PartFileNotOurs, "в папке уже есть файл с таким именем, и записала его не эта программа"},
    {C::OutputClosed, "не удалось записать {file}: файл уже закрыт"},
    {C::OutputShortVolume, "не удалось записать {file}: том записан не полностью"},
    {C::OutputRemoveFailed, "не удалось удалить {file}: {cause}"},
    // What a reader could not read whole.
    {C::ShortRead, "{file}, байт {position}: {what} — в файле {held} из {wanted} байт"},
    {C::ShortReadRecords, "{file}, байт {position}: {what} — в файле {held} из {wanted} байт этих записей"},
    {C::ShortReadInStream, "байт {position}: {what} — в файле {held} из {wanted} байт"},
    {C::ShortReadRecordsInStream, "байт {position}: {what} — в файле {held} из {wanted} байт этих записей"},
    {C::FewerInFrame, "{count} {stored}: целиком в своём кадре лежат только {readable}"},
    {C::FramePastParcel,
     "{what} с байта {position} ({size} байт) выходит за кадр данных своего участка, который кончается на "
     "байте {end}"},
    {C::ListOutsideFrame, "{count} {stored}: смещение списка ведёт за пределы его кадра"},
    {C::FewerLocated, "{count} {stored}: найти удаётся только {located}"},
    {C::HeaderShort, "{what}: нужно {wanted} байт, а есть {held}"},
    // Where the converter may write.
    {C::OutputIsSourceFile, "\"{file}\" — файл исходной карты"},
    {C::OutputInSourceFolder, "\"{file}\" лежит в папке исходной карты"},
    {C::OutputFolderMissing, "папки для \"{file}\" не существует"},
    {C::OutputFolderNotFolder, "путь к \"{file}\" ведёт не в папку"},
    {C::OutputMissing, "файл \"{file}\" не существует"},
    // The converter's settings.
    {C::NoOutputFile, "не выбран выходной файл"},
    {C::UnknownTarget, "неизвестная целевая платформа"},
    {C::SystemIdTooLong, "идентификатор системы длиннее 52 байт"},
    {C::UnknownHeaderTemplate, "неизвестный шаблон заголовка тома"},
    {C::DateStampTooLong, "отметка даты длиннее своего поля"},
    {C::VersionStampTooLong, "отметка версии длиннее своего поля"},
    {C::CodePageUnwritable, "кодовую страницу {codePage} записать нельзя"},
    {C::TranslationLevelRange, "уровень перевода должен лежать между 1 и 5"},
    {C::SharedClassAndType,
     "у зданий и номеров домов не может быть одного и того же класса отображения и кода типа"},
    // What the source map cannot take of the settings.
    {C::Refused, "{cause}"},
    {C::ImportsNeedBuildingData, "для зданий, номеров домов и стрелок нужны данные зданий"},
    {C::TrimNeedsBuildingData, "для обрезки по загруженным данным нужны данные зданий"},
    {C::ExtraLevelRefused, "дополнительный уровень нельзя добавить: {cause}"},
    {C::ExtraLevelNeedsBuildingData, "для дополнительного уровня нужны данные зданий"},
    {C::BuildingsClassBeyond,
     "класс отображения зданий {class} выходит за классы фона уровня {level} (их {count})"},
    {C::NumberingClassBeyond,
     "класс отображения номеров домов {class} выходит за классы названий уровня {level} (их {count})"},
    {C::TrimCoversNothing, "прямоугольник обрезки (запад {west}, север {north}, восток {east}, юг {south}) "
                           "не захватывает ничего из "
                           "карты (запад {mapWest}, север {mapNorth}, восток {mapEast}, юг {mapSouth})"},
    {C::NoMainMap, "\"{file}\" не содержит основной карты: {cause}"},
    {C::ManagementHeaderCut, "файл кончается внутри заголовка управления основной карты"},
    {C::RecordsTooSmall, "заголовок управления основной карты отводит записям {records} {size} байт, меньше "
                         "{needed} байт, которые занимают их поля"},
    {C::NamedRecordsTooSmall,
     "заголовок управления основной карты отводит записям {records} {size} байт, меньше {needed} байт, "
     "которые занимают их поля с именами файлов (задан File Name Designation)"},
    {C::LevelRecordsKind, "уровней"},
    {C::BlockSetRecordsKind, "наборов блоков"},
    {C::BlockRecordsKind, "блоков"},
    {C::LevelRecordRunsIntoTable,
     "запись уровня {level} (по адресу {at}) заходит на таблицу наборов блоков по адресу {table}"},
    {C::LevelRecordsCut, "заголовок управления основной карты объявляет {declared} записей уровней, а файл "
                         "целиком содержит {held}"},
    {C::ListPastFile, "{blockSet}, блок {block}: {list} ({count} записей по {recordSize} байт с адреса {at}) "
                      "выходит за конец {file} ({held} байт)"},
    {C::ParcelListKind, "список участков"},
    {C::GuidanceListKind, "список участков данных ведения по маршруту"},
    {C::SectorSizeNot32, "размер логического сектора тома данных {size}, а не 32"},
    {C::NoManagementHeader0, "заголовок управления 0 не указывает данных управления основной карты"},
    {C::ManagementFileUnopenable, "файл данных управления основной карты ({file}) не открывается"},
    {C::LevelRecordsDeclared, "заголовок управления основной карты объявляет {count} записей уровней"},
    // Why the extra level cannot be added.
    {C::LevelsNotAllReadable, "не все уровни исходной карты читаются"},
    {C::LevelRecordsShort, "записи уровней короче 40 байт"},
    {C::ExtraLevelPresent, "у карты уже есть дополнительный уровень"},
    {C::BlockSetRecordsShort, "записи наборов блоков короче 10 байт"},
    {C::TooManyLastLevelBlockSets, "на последнем уровне больше 256 наборов блоков"},
    {C::TooManyLastLevelBlocks, "на последнем уровне в наборе блоков больше 64 блоков по стороне"},
    {C::TooManyBlockSets, "слишком много наборов блоков"},
    {C::ManagementShorterThanTables, "управляющие данные короче своих таблиц"},
    {C::BlockSetTableOutside, "таблица наборов блоков лежит вне записей наборов блоков"},
    {C::BlockTableAmongSets, "таблица блоков лежит среди записей наборов блоков"},
    {C::LastLevelCode, "у последнего уровня код {levelCode}, а не 0"},
    // The source's main map management data.
    {C::SourceDamaged, "управляющие данные основной карты в исходной карте повреждены: {cause}"},
    {C::HeaderAndLevelRecords, "заголовок управляющих данных основной карты и записи уровней"},
    {C::BlockSetTableOfLevel, "таблица наборов блоков уровня {level}"},
    {C::BlockTableOfSet, "таблица блоков набора {blockSet} уровня {level}"},
    {C::BlockSetOfLevel, "набор блоков {blockSet} уровня {level}"},
    {C::ManagementNoSize, "заголовок управления 0 не задаёт размер управляющих данных основной карты"},
    {C::ManagementHeaderTooLarge, "заголовок управляющих данных основной карты объявляет {header} байт, "
                                  "больше, чем {size} байт самих данных"},
    {C::ManagementFileEnds,
     "файл кончается через {held} байт из {size} байт управляющих данных основной карты"},
    {C::LevelRecordsPastData,
     "записи уровней выходят за {held} байт управляющих данных основной карты, которые есть в файле"},
    {C::TablePastData,
     "{table} ({size} байт по смещению {offset}) выходит за конец управляющих данных основной карты"},
    {C::TableOverHeader, "{table} ({size} байт по смещению {offset}) лежит поверх: {other}"},
    {C::TableShared, "{table} совпадает с таблицей, которую называет {other}, а блоки не могут быть в обоих"},
    {C::TablesOverlap, "{table} ({size} байт по смещению {offset}) перекрывается с другой: {other} "
                       "({otherSize} байт по смещению "
                       "{otherOffset})"},
    // The conversion run.
    {C::Stopped, "остановлено"},
    {C::UnknownFailure, "неизвестная ошибка"},
    {C::TooManyDataFiles, "уровень ссылается на большее число файлов данных, чем может обработать конвертер"},
    {C::ParcelInformationPastReserve, "управляющая информация участков вышла за отведённый ей размер"},
    {C::ParcelInformationUnreadable,
     "управляющая информация участков блока {level}/{blockSet}/{block} больше не читается"},
    {C::OutputPast32GiB, "новая карта больше 32 ГБ: адреса KIWI дальше не достают"},
    {C::OutputOffsetPast32GiB, "новая карта больше 32 ГБ: смещение {offset}"},
    {C::OutputBudget, "новая карта выросла бы больше {kb} КБ, в несколько раз больше исходной: её записи "
                      "много раз называют одни и "
                      "те же данные"},
    {C::NoParcelConverted,
     "ни один участок исходной карты не удалось преобразовать: новая карта была бы пустой"},
    {C::NoParcelConvertedWarned, "ни один участок исходной карты не удалось преобразовать (см. "
                                 "предупреждения в журнале: {warnings}): новая "
                                 "карта была бы пустой"},
    {C::CmpListCutShort, "список CMP {file} обрывается"},
    {C::RegionLevelUnreadable, "уровень {level} данных о регионах не читается"},
    // Imported building data.
    {C::ImportReadFailed, "не удалось прочитать {file}: {cause}"},
    {C::LmpTooLarge, "файл {file} слишком велик для данных зданий"},
    {C::LmpNotCompiled, "файл {file} не является скомпилированной картой: {cause}"},
    {C::LmpOutgrows, "данные зданий превысили бы 2 ГБ"},
    {C::LmpNoMemory, "недостаточно памяти для {file}"},
    {C::LmpShortBox, "файл короче своего 16-байтового заголовка"},
    {C::LmpHeaderPastEnd, "заголовок записи за концом файла"},
    {C::LmpNoPoints, "запись без точек"},
    {C::LmpShortOutline, "контур менее чем из 3 точек или с подписью"},
    {C::LmpBadHouseNumber, "номер дома с неверным числом точек или подписью"},
    {C::LmpUnknownKind, "запись неизвестного вида {kind}"},
    {C::LmpRecordPastEnd, "запись за концом файла"},
    {C::LmpPointOffGlobe, "точка за пределами земного шара"},
    // The finishing tasks.
    {C::NotAVolumeInTheWay, "файл {file} не том разбиения, но читался бы как следующий том новой карты: он "
                            "оставлен как есть, карта не разбита"},
    {C::TooManyVolumes,
     "новой карте размером {size} байт нужно больше {volumes} томов, а тома нумеруются только от 1 до 9"},
    {C::FileConInvalid, "FILECON.MNG исходной карты повреждён"},
    {C::FileConCannotList, "{file} нельзя внести в FILECON.MNG"},
    {C::RegionInvalid, "REGION.KWI исходной карты не содержит правильных данных о регионах"},
    {C::NoneBesideSource, "{file} не создан: рядом с исходной картой такого файла нет"},
    {C::NoVoiceInAllData, "STDVCE.KWI не создан: в ALLDATA.KWI исходной карты нет голосовых данных"},
    {C::VoiceInVoiceDat,
     "STDVCE.KWI не создан: в ALLDATA.KWI исходной карты нет голосовых данных: они лежат рядом с картой, в "
     "VOICEDAT.KWI"},
    // What a run or its finishing tasks left undone, and why.
    {C::RegionKeptWithoutFrame,
     "В новом REGION.KWI регион оставлен без данных планирования маршрута: {cause}"},
    {C::RegionPartShort, "{part}: нужно {count} байт с адреса {position}, а в файле {size}"},
    {C::RegionHeaderPart, "заголовок данных о регионах"},
    {C::RegionTablePart, "таблица регионов уровня {level}"},
    {C::RegionFramePart, "кадр планирования маршрута региона {region} уровня {level}"},
    {C::RegionLevelRecordUnreadable, "запись уровня {level} не читается"},
    {C::RegionFileMissing,
     "Данные о регионах не вставлены в карту: файла {file} нет рядом с исходной картой"},
    {C::VoiceFileMissing, "Голосовые данные не вставлены в карту: файла {file} нет рядом с исходной картой"},
    {C::RegionInsertFailed, "Данные о регионах не вставлены в карту: файл {file} повреждён ({cause})"},
    {C::RegionNotValidData, "это не данные о регионах"},
    {C::ExtraLevelNotCreatedNoRoom,
     "Дополнительный уровень (25 м) не создан: в данных управления основной карты ({size} байт) нет места "
     "для его таблиц блоков, предел {limit} байт"},
    {C::ExtraLevelWillNotNoRoom,
     "Дополнительный уровень (25 м) не будет создан: в данных управления основной карты ({size} байт) нет "
     "места для его таблиц блоков, предел {limit} байт"},
    {C::ExtraLevelNoImports,
     "Дополнительный уровень (25 м) не создан: ни одно загруженное здание не попадает в него"},
    {C::HouseNumbersLeftOut, "Номера домов не добавлены в участки, где класс отображения {class} уже занят в "
                             "исходной карте: выберите другой класс для номеров"},
};

// The system's reasons a user meets most, by error number.
struct SystemReason {
    int error;
    const char* russian;
};

const SystemReason kSystemReasons[] = {
    {ENOENT, "нет такого файла или папки"},
    {EACCES, "доступ запрещён"},
    {EPERM, "операция не разрешена"},
    {ENOSPC, "на диске нет места"},
    {EDQUOT, "превышена дисковая квота"},
    {EROFS, "файловая система только для чтения"},
    {EFBIG, "файл слишком велик"},
    {EISDIR, "это папка"},
    {ENOTDIR, "это не папка"},
    {EEXIST, "файл уже существует"},
    {EIO, "ошибка ввода-вывода"},
    {EMFILE, "открыто слишком много файлов"},
    {EINVAL, "недопустимый аргумент"},
    {EXDEV, "перенос между разными дисками невозможен"},
};

std::string russian(const Failure& failure) {
    if (failure.Code() == FailureCode::System) {
        const int error = std::atoi(failure.Value("error").c_str());
        for (const SystemReason& reason : kSystemReasons)
            if (reason.error == error) return reason.russian;
    }
    const std::string_view form = RussianForm(failure.Code());
    // A code without a form of its own still tells the user something.
    if (form.empty() && failure) return "Ошибка: " + failure.English();
    return failure.Fill(form, russian);
}

} // namespace

std::string_view RussianForm(FailureCode code) {
    for (const Form& form : kForms)
        if (form.code == code) return form.russian;
    return {};
}

QString RussianReason(const Failure& failure) {
    if (failure.Code() == FailureCode::Unknown) return QString::fromStdString(failure.Value("words"));
    return RussianText(failure);
}

QString RussianText(const Failure& failure) {
    QString text = QString::fromStdString(russian(failure));
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    return text;
}
