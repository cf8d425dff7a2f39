#include "settings/settings_store.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "settings/settings_format.h"
#include "process/system_module.h"

namespace {
const char kSettingsFileName[] = "Zovi Logo Screensaver.txt";

// A text-mode stream of the C runtime shares the file for reading and writing; so does the saver.
constexpr DWORD kSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;


// The user's roaming application-data folder, from the shell's folder query: shell32 has it from
// Windows 2000 and Me on, the older family's SHFOLDER.DLL (installed with Windows 98 SE and
// Internet Explorer 5) before that. Without either there is no folder, as when the query fails.
bool applicationDataFolder(char (&path)[MAX_PATH]) {
    using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    for (const char* name : {"SHELL32.DLL", "SHFOLDER.DLL"}) {
        HMODULE module = loadSystemModule(name);
        if (!module) continue;
        const auto getFolderPath = entryPoint<GetFolderPathFn>(module, "SHGetFolderPathA");
        const bool found = getFolderPath &&
                           SUCCEEDED(getFolderPath(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path));
        FreeLibrary(module);
        if (getFolderPath) return found;
    }
    return false;
}
}  // namespace

std::optional<std::string> settingsFilePath() {
    char path[MAX_PATH];
    if (!applicationDataFolder(path)) return std::nullopt;
    // A join that would not fit the limit gives no usable path, whatever it leaves in the buffer.
    if (!PathAppendA(path, kSettingsFileName)) return std::nullopt;
    return std::string(path);
}

SaverSettings loadSettings() {
    const std::optional<std::string> path = settingsFilePath();
    if (!path) return SaverSettings{};
    HANDLE file = CreateFileA(path->c_str(), GENERIC_READ, kSharing, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return SaverSettings{};
    const SaverSettings settings = readSettingsFile([file](char* buffer, std::size_t capacity) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, static_cast<DWORD>(capacity), &got, nullptr)) return std::size_t{0};
        return static_cast<std::size_t>(got);
    });
    CloseHandle(file);
    return settings;
}

void saveSettings(const SaverSettings& settings) {
    const std::optional<std::string> path = settingsFilePath();
    if (!path) return;
    HANDLE file = CreateFileA(path->c_str(), GENERIC_WRITE, kSharing, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string bytes = settingsFileBytes(settings);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}
