#pragma once
#include <windows.h>

#include <string>

// The settings file of the project's Wine prefix, where loadSettings and saveSettings find it; its
// bytes ("<cannot open>" when it cannot be read); new bytes for it.
std::wstring settingsFile();
std::string fileBytes(const std::wstring& path);
void writeFileBytes(const std::wstring& path, const std::string& bytes);

// Removes the settings file when the scope starts and again when it ends, so no test sees another's.
struct SettingsFileScope {
    SettingsFileScope() { DeleteFileW(settingsFile().c_str()); }
    ~SettingsFileScope() { DeleteFileW(settingsFile().c_str()); }
};

// Points the user's application-data folder somewhere else for the scope (the folder query reads it
// from the registry on every call); the prefix's own setting comes back at the end.
class AppDataFolderScope {
public:
    explicit AppDataFolderScope(const std::wstring& folder);
    ~AppDataFolderScope();

private:
    HKEY key = nullptr;
    std::wstring saved;
};
