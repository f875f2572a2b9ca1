// The Russian reasons for system errors and for the readers' and decoders' errors.
#include "unpack/engine/UnpackTexts.h"

#include <cerrno>

#include "kiwi/core/KiwiErrors.h"

namespace unpacktext {

std::string systemError(int error) {
    switch (error) {
    case ENOSPC:
        return "на диске нет места";
    case EDQUOT:
        return "превышена дисковая квота";
    case EFBIG:
        return "файл слишком велик для этой файловой системы";
    case EACCES:
    case EPERM:
        return "нет доступа";
    case EROFS:
        return "файловая система доступна только для чтения";
    case EIO:
        return "ошибка ввода-вывода";
    case ENOENT:
        return "нет такого файла или папки";
    case ENOTDIR:
        return "часть пути не является папкой";
    case EISDIR:
        return "на месте файла находится папка";
    case EEXIST:
        return "файл уже существует";
    case ENAMETOOLONG:
        return "слишком длинное имя";
    case ELOOP:
        return "слишком много символических ссылок";
    case EMFILE:
    case ENFILE:
        return "открыто слишком много файлов";
    case ENOMEM:
        return outOfMemory;
    case EBUSY:
    case ETXTBSY:
        return "файл занят";
    case EINVAL:
        return "недопустимый аргумент";
    default:
        return "системная ошибка " + std::to_string(error);
    }
}

std::string readerError(const std::exception& error) {
    if (dynamic_cast<const ECompressionError*>(&error)) return "повреждённые сжатые данные";
    if (dynamic_cast<const EReadError*>(&error)) return "ошибка чтения исходного файла";
    if (dynamic_cast<const EFOpenError*>(&error)) return "не удаётся открыть исходный файл";
    if (dynamic_cast<const EWriteError*>(&error)) return "ошибка записи";
    if (dynamic_cast<const EFCreateError*>(&error)) return "не удаётся создать файл";
    if (dynamic_cast<const EConvertError*>(&error)) return "недопустимое значение в данных";
    if (dynamic_cast<const KiwiError*>(&error)) return "ошибка данных";
    return "внутренняя ошибка";
}

} // namespace unpacktext
