// The Russian reasons for failed system calls.
#include "platform/SystemErrorText.h"

#include <cerrno>

std::string SystemErrorText(int error) {
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
        return "недостаточно памяти";
    case EBUSY:
    case ETXTBSY:
        return "файл занят";
    case EINVAL:
        return "недопустимый аргумент";
    default:
        return "системная ошибка " + std::to_string(error);
    }
}
