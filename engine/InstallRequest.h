#pragma once
// What the wizard hands the engine for one installation run.
#include <string>

namespace engine {

struct InstallRequest {
  // The target folder, trimmed, always ending in "\". Every target path is TargetPath + a
  // relative name, by plain concatenation.
  std::wstring TargetPath;
  // The folder of the running installer (the installation medium), ending in exactly one "\".
  // Every source path is Fcopyfrom + a relative name.
  std::wstring Fcopyfrom;
  // 0: the database server files for Windows 7 and 8; any other value: those for Windows XP.
  int WindowsFamily = 0;
  bool InstallDriver = true;
  // The edition whose product name is "Тавола" also gets "btooth.ini".
  bool EditionFlag = false;
};

// The path field's text without the leading and trailing characters whose code is 32 or lower
// (blanks, tabs, line breaks and other control characters).
std::wstring TrimControlAndBlanks(const std::wstring& text);

// The folder part of a program's full file name, ending in exactly one "\": E:\SETUP\Install.exe
// gives E:\SETUP\ and E:\Install.exe gives E:\ (no doubled backslash).
std::wstring FolderOfFile(const std::wstring& fileName);

}  // namespace engine
