#include "settings/app_data_folder.h"

#include <windows.h>
#include <shlobj.h>

#include "process/system_module.h"

std::wstring roamingAppDataFolder() {
    using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    for (const char* name : {"SHELL32.DLL", "SHFOLDER.DLL"}) {
        HMODULE module = loadSystemModule(name);
        if (!module) continue;
        wchar_t path[MAX_PATH] = L"";
        const auto getFolderPath = entryPoint<GetFolderPathFn>(module, "SHGetFolderPathW");
        const bool found = getFolderPath &&
                           SUCCEEDED(getFolderPath(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path));
        FreeLibrary(module);
        if (getFolderPath) return found ? std::wstring(path) : std::wstring();
    }
    return std::wstring();
}
