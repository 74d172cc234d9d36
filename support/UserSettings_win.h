#pragma once
// Choices the program remembers for the user between runs (the last import
// and save folders, the last save type), kept under
// HKCU\Software\Tessaroo as strings. Text in and out is in the process's
// narrow code page, as every path of the program.
#include <string>

inline constexpr char kImportFolderSetting[] = "ImportFolder";
inline constexpr char kSaveFolderSetting[] = "SaveFolder";
inline constexpr char kSaveTypeSetting[] = "SaveType";  // "png" or "ico"

// The remembered value, or empty when there is none.
std::string ReadUserSetting(const char* name);
// Remembers the value; false when the registry refused it.
bool WriteUserSetting(const char* name, const std::string& value);

// The user's downloads folder; empty when the system has none.
std::string DownloadsFolder();
