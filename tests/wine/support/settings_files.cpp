#include "support/settings_files.h"

#include <optional>

#include "settings/settings_store.h"

namespace {
const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

void removeSettingsFile() { DeleteFileA(settingsFile().c_str()); }
}  // namespace

std::string settingsFile() {
    const std::optional<std::string> path = settingsFilePath();
    return path ? *path : std::string();
}

std::string fileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<cannot open>";
    std::string bytes;
    char piece[4096];
    DWORD got = 0;
    while (ReadFile(file, piece, sizeof piece, &got, nullptr) && got > 0) bytes.append(piece, got);
    CloseHandle(file);
    return bytes;
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

SettingsFileScope::SettingsFileScope() { removeSettingsFile(); }
SettingsFileScope::~SettingsFileScope() { removeSettingsFile(); }

AppDataFolderScope::AppDataFolderScope(const std::string& folder) {
    RegOpenKeyExA(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    char value[1024] = {};
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, "AppData", nullptr, &savedType, reinterpret_cast<BYTE*>(value), &size) ==
        ERROR_SUCCESS)
        saved.assign(value, size);
    RegSetValueExA(key, "AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
}

AppDataFolderScope::~AppDataFolderScope() {
    if (saved.empty()) {
        RegDeleteValueA(key, "AppData");
    } else {
        RegSetValueExA(key, "AppData", 0, savedType, reinterpret_cast<const BYTE*>(saved.data()),
                       static_cast<DWORD>(saved.size()));
    }
    RegCloseKey(key);
}
