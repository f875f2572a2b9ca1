// The reasons an unpacked file fails, as the unpack tools show them beside "Ошибка": in Russian, like
// the windows that show them, whatever language the system or the readers speak.
#pragma once

#include <stdexcept>
#include <string>

namespace unpacktext {
inline constexpr const char* unsafeName = "недопустимое имя файла";
inline constexpr const char* duplicate = "повторяющееся имя файла";
inline constexpr const char* targetIsSource = "файл назначения совпадает с исходными данными";
inline constexpr const char* unsupportedType = "неподдерживаемый тип сжатия";
inline constexpr const char* invalidEntry = "повреждённая запись списка";
inline constexpr const char* outsideFolder = "путь выходит за пределы папки назначения";
inline constexpr const char* truncatedSource = "исходный файл короче, чем указано";
inline constexpr const char* sourceChanged = "исходный файл изменился";
inline constexpr const char* notFound = "файл не найден";
inline constexpr const char* outOfMemory = "недостаточно памяти";
inline constexpr const char* otherPartFile =
    "в папке уже есть файл с именем временного файла (.part), и записан он не "
    "этой программой";

// The reason for a failed system call (errno).
std::string systemError(int error);
// The reason for an error a reader or decoder raised, by its kind (their own texts are English).
std::string readerError(const std::exception& error);
} // namespace unpacktext

// A failure of one file, with the text the user sees as its reason.
class UnpackFailure : public std::runtime_error {
public:
    explicit UnpackFailure(const std::string& reason) : std::runtime_error(reason) {}
};
