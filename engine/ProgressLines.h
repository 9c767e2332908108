#pragma once
// The texts of the progress lines that the engine writes itself, to the byte: the dots and
// blanks are part of them.
#include <string>
#include <string_view>

namespace engine::lines {

// Completion words, appended to a line without a blank.
inline constexpr std::wstring_view kDone = L"Завершено";
inline constexpr std::wstring_view kFailed = L"ОШИБКА!!!";

inline constexpr std::wstring_view kFolderCreated = L"Каталог создан...";
inline constexpr std::wstring_view kFolderCreateError = L"Ошибка при создании каталога!";
inline constexpr std::wstring_view kCreatingSettings = L"Создание настроечных файлов....";
inline constexpr std::wstring_view kDatabaseFolderCreated = L"Каталог <DTAfb> создан...";
inline constexpr std::wstring_view kDatabaseFolderCreateError =
    L"Ошибка при создании каталога <DTAfb>!";
// The question before the driver package is installed: the device must be connected first.
inline constexpr std::wstring_view kDriverQuestion =
    L"Подключите интерфейсный блок и нажмите \"Yes\"?";
inline constexpr std::wstring_view kDriverStarted = L"Началась установка драйверов устройства...";
inline constexpr std::wstring_view kDriverFinished = L"Установка драйверов устройства завершена";

// "Копирование файла " + name + "....": the file name alone, without its folder.
inline std::wstring CopyingFile(std::wstring_view fileName) {
  return L"Копирование файла " + std::wstring(fileName) + L"....";
}

// "Резервное копирование файла <name>....": an existing file is kept under a dated name before
// the medium's copy replaces it.
inline std::wstring BackingUpFile(std::wstring_view fileName) {
  return L"Резервное копирование файла " + std::wstring(fileName) + L"....";
}

}  // namespace engine::lines
