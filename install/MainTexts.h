#pragma once
// The wizard's texts: each memo line as one entry (long lines wrap at the memo's width), the
// button captions and the questions of the main window.
#include <string>
#include <string_view>
#include <vector>

namespace wizard::texts {

inline constexpr wchar_t kApplicationTitle[] = L"Установка комплекса \"Вирельта\"";
inline constexpr wchar_t kMainCaption[] = L"Установка комплекса";
// What Windows shows when a log-off or shutdown waits for the installation.
inline constexpr wchar_t kShutdownBlockReason[] = L"Идёт установка комплекса \"Вирельта\"";
// A second installer started while one runs (the wizard or InstallCli, of any user).
inline constexpr wchar_t kAlreadyRunning[] =
    L"На этом компьютере уже идёт установка комплекса \"Вирельта\". Дождитесь её окончания; "
    L"вторая программа установки закрывается, ничего не изменив.";

inline const std::vector<std::wstring> kMemoStart{
    L"Добро пожаловать в программу установки комплекса ",
    L"\"ВИРЕЛЬТА\"!",
    L"",
    L"Для продолжения установки, нажмите кнопку \"Далее\".",
    L"",
    L"Для выхода из программы установки нажмите кнопку \"Отмена\".",
};

inline const std::vector<std::wstring> kMemoInputPath{
    L"Пожалуйста, задайте путь куда устанавливать программную часть ",
    L"комплекса \"Вирельта\"",
};

inline const std::vector<std::wstring> kMemoInputComponents{
    L" - Если у Вас есть 2-х канальный кабель для регистрации детских ЭКГ, поставьте ",
    L"галочку в поле \"Регистрация 2-х канальной ЭКГ\".",
    L" - Если у Вас есть универсальный регистратор, поставьте галочку в поле ",
    L"\"Универсальный регистратор\".",
    L" - Если у Вас установлен монитор АД \"Tonvar\", поставьте галочку в поле \"установлен ",
    L"монитор АД \"Tonvar\"\".",
    L"",
    L" - Задайте, пожалуйста, тип ЭКГ, который Вы чаще всего будете регистрировать.",
    L"",
    L" - Нажмите кнопку \"Начать установку\", для того чтобы установить программное ",
    L"обеспечение на Ваш компъютер.",
    L"",
    L"Все настройки можно изменить позже, во время работы с программой ",
    L"\"Вирельта\" в меню \"Настройки\".",
};

inline const std::vector<std::wstring> kMemoCancel{
    L"Установка комплекса \"Вирельта\" отменена!",
    L"",
    L"Нажмите кнопку \"Выход\", для выхода из программы установки.",
};

inline const std::vector<std::wstring> kMemoChangeFontSize{
    L"В настройках операционной системы Вашего компьютера выбрано использование ",
    L"\"мелкого\" размера шрифта.",
    L"",
    L"Для корректной работы программы \"Вирельта\" требуется использование ",
    L"\"крупного\" размера шрифта.",
    L"",
    L"Рекомендуется произвести изменения. Для этого надо нажать кнопку \"Изменить ",
    L"настройки\". В появившемся окне надо ответить \"Да\".",
    L"",
    L"Если Вы считаете, что установка \"крупного\" размера шрифта Вам не нужна, ",
    L"нажмите кнопку \"Выход\".",
};

inline constexpr wchar_t kNext[] = L"Далее";
inline constexpr wchar_t kCancel[] = L"Отмена";
inline constexpr wchar_t kBack[] = L"Назад";
inline constexpr wchar_t kSelect[] = L"Выбрать";
inline constexpr wchar_t kInstall[] = L"Начать установку";
inline constexpr wchar_t kExit[] = L"Выход";
inline constexpr wchar_t kChangeFont[] = L"Изменить настройки";
inline constexpr wchar_t kDriverCheckBox[] = L"Устанавливать драйвер";
inline constexpr wchar_t kWindowsFamily0[] = L"Windows 7, Windows 8";
inline constexpr wchar_t kWindowsFamily1[] = L"Windows XP";

inline constexpr wchar_t kBrowseInstruction[] = L"Выберете путь для установки программ";
inline constexpr wchar_t kCancelQuestion[] = L"Вы уверены, что хотите отменить процесс установки?";
inline constexpr wchar_t kFinalQuestion[] = L"Установка завершена. Выйти из программы установки?";
// CR alone between the lines; the second and third begin with a blank.
inline constexpr wchar_t kDriverWarning[] =
    L"Внимание!\r Если на вашем компьютере уже установлен комплекс \"Вирельта\",\r снимите "
    L"галочку установки драйвера!";

}  // namespace wizard::texts
