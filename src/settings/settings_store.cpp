#include "settings/settings_store.h"

#include <windows.h>
#include <shlobj.h>

#include "process/failed_step.h"
#include "process/system_module.h"
#include "settings/app_data_folder.h"
#include "settings/settings_format.h"

namespace {
const wchar_t kSettingsFileName[] = L"Zovi Logo Screensaver.txt";
// Written first and then put in the settings file's place; its name as long as the file's.
const wchar_t kNewFileName[] = L"Zovi Logo Screensaver.new";

// The older family's wide calls are stubs that fail: there the files go by their ANSI names.
bool olderFamily() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// Looked up by name: the older family's system has no wide file calls worth importing.
template <typename Fn>
Fn kernelCall(const char* name) {
    return entryPoint<Fn>(GetModuleHandleA("KERNEL32.DLL"), name);
}

std::string ansi(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    if (size > 0) WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

// A failure is for whoever watches the debugger's output: the settings are not worth a window.
void report(const char* what, const std::wstring& path, DWORD error) {
    reportFailedStep((std::string("settings: ") + what + " \"" + ansi(path) + "\"").c_str(), error);
}

// Others may read and write the file meanwhile, and on the NT family replace it as the saving does.
HANDLE openFile(const std::wstring& path, DWORD access, DWORD sharing, DWORD creation) {
    if (olderFamily())
        return CreateFileA(ansi(path).c_str(), access, sharing, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    const auto createFile = kernelCall<decltype(&CreateFileW)>("CreateFileW");
    if (!createFile) return INVALID_HANDLE_VALUE;
    return createFile(path.c_str(), access, sharing | FILE_SHARE_DELETE, nullptr, creation, FILE_ATTRIBUTE_NORMAL,
                      nullptr);
}

// The new file in the old one's place. The older family cannot replace a file in one step: the old
// one goes only once the new one is whole.
bool replaceFile(const std::wstring& from, const std::wstring& to) {
    if (olderFamily()) {
        DeleteFileA(ansi(to).c_str());
        return MoveFileA(ansi(from).c_str(), ansi(to).c_str()) != FALSE;
    }
    const auto moveFile = kernelCall<decltype(&MoveFileExW)>("MoveFileExW");
    return moveFile && moveFile(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

void deleteFile(const std::wstring& path) {
    if (olderFamily()) {
        DeleteFileA(ansi(path).c_str());
    } else if (const auto remove = kernelCall<decltype(&DeleteFileW)>("DeleteFileW")) {
        remove(path.c_str());
    }
}

// The older family's folder, from the ANSI query: shell32 has it from Me on, SHFOLDER.DLL (installed
// with Windows 98 SE and Internet Explorer 5) before that. Without either there is no folder.
std::wstring olderFamilyFolder() {
    using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    for (const char* name : {"SHELL32.DLL", "SHFOLDER.DLL"}) {
        HMODULE module = loadSystemModule(name);
        if (!module) continue;
        char path[MAX_PATH] = "";
        const auto getFolderPath = entryPoint<GetFolderPathFn>(module, "SHGetFolderPathA");
        const bool found = getFolderPath &&
                           SUCCEEDED(getFolderPath(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path));
        FreeLibrary(module);
        if (!getFolderPath) continue;
        if (!found) return std::wstring();
        wchar_t wide[MAX_PATH] = L"";
        return MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) ? std::wstring(wide) : std::wstring();
    }
    return std::wstring();
}
}  // namespace

std::optional<std::wstring> settingsFilePath() {
    std::wstring path = olderFamily() ? olderFamilyFolder() : roamingAppDataFolder();
    if (path.empty()) return std::nullopt;
    if (path.back() != L'\\') path += L'\\';
    path += kSettingsFileName;
    // A path beyond the platform's limit would not open; the new file's name is as long.
    if (path.size() >= MAX_PATH) return std::nullopt;
    return path;
}

SaverSettings loadSettings() {
    const std::optional<std::wstring> path = settingsFilePath();
    if (!path) return SaverSettings{};
    HANDLE file = openFile(*path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) report("open", *path, error);
        return SaverSettings{};
    }
    const SaverSettings settings = readSettingsFile([file](char* buffer, std::size_t capacity) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, static_cast<DWORD>(capacity), &got, nullptr)) return std::size_t{0};
        return static_cast<std::size_t>(got);
    });
    CloseHandle(file);
    return settings;
}

bool saveSettings(const SaverSettings& settings) {
    const std::optional<std::wstring> path = settingsFilePath();
    if (!path) {
        OutputDebugStringA("zovi: settings: not saved: no application-data folder\n");
        return false;
    }
    const std::wstring newFile = path->substr(0, path->size() - (sizeof kSettingsFileName / sizeof(wchar_t) - 1)) +
                                 kNewFileName;
    HANDLE file = openFile(newFile, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) {
        report("create", newFile, GetLastError());
        return false;
    }
    const std::string bytes = settingsFileBytes(settings);
    DWORD written = 0;
    bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                 written == bytes.size() && FlushFileBuffers(file);
    DWORD error = whole ? 0 : GetLastError();
    if (!CloseHandle(file) && whole) {
        whole = false;
        error = GetLastError();
    }
    if (!whole) {
        report("write", newFile, error);
        deleteFile(newFile);
        return false;
    }
    if (!replaceFile(newFile, *path)) {
        report("replace", *path, GetLastError());
        deleteFile(newFile);
        return false;
    }
    return true;
}
