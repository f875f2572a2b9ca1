// The Russian reasons for system errors and for the readers' and decoders' errors.
#include "unpack/engine/UnpackTexts.h"

#include <cerrno>

#include "kiwi/core/KiwiErrors.h"
#include "platform/SystemErrorText.h"

namespace unpacktext {

std::string systemError(int error) {
    return SystemErrorText(error);
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
