#include "support/settings_files.h"

#include "settings/settings_store.h"

std::wstring settingsFile() { return settingsFilePath().value_or(std::wstring()); }

std::string fileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<cannot open>";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    return bytes;
}

void writeFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

AppDataFolderScope::AppDataFolderScope(const std::wstring& folder) {
    RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", 0,
                  KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, L"AppData", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS)
        saved = value;
    RegSetValueExW(key, L"AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
}

AppDataFolderScope::~AppDataFolderScope() {
    if (saved.empty()) RegDeleteValueW(key, L"AppData");
    else RegSetValueExW(key, L"AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(saved.c_str()),
                        static_cast<DWORD>((saved.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}
