// The substitute ambient-effects engine as an in-process COM server: the class factory, the DLL's
// exports and its registration under HKLM\Software\Classes, where Wine's COM looks for classes.
#include <windows.h>
#include <olectl.h>

#include <cstring>
#include <string>

#include "engine_faults.h"
#include "engine_objects.h"
#include "journal.h"
#include "lights_output.h"

namespace {
HMODULE engineModule = nullptr;

bool isClass(REFCLSID id) { return std::memcmp(&id, &kEffectsServerClassId, sizeof(GUID)) == 0; }

class ServerFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // One factory for the life of the process: its count is not kept.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        const EngineFaults faults = currentFaults();
        delayCall(faults);
        JournalLine line("factory", 3, "createInstance");
        HRESULT result = S_OK;
        if (!object) {
            result = E_POINTER;
        } else if (outer) {
            *object = nullptr;
            result = CLASS_E_NOAGGREGATION;
        } else if (faults.create) {
            *object = nullptr;
            result = *faults.create;
        } else {
            EffectsServer* server = makeServer();
            result = server->table->queryInterface(server, reinterpret_cast<const EffectsGuid*>(&iid), object);
            server->table->release(server);
        }
        line.write(result);
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};
ServerFactory factory;

std::string classKey() { return std::string("Software\\Classes\\CLSID\\") + kEffectsServerClassIdText; }

bool setValue(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        engineModule = instance;
        DisableThreadLibraryCalls(instance);
        startJournal();
        prepareLightsOutput();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!isClass(classId)) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, object);
}

// Handles outlive every count COM could keep, so the engine stays loaded.
STDAPI DllCanUnloadNow() { return S_FALSE; }

// "Both": the object lives in whatever apartment creates it and is called from any thread directly,
// which is how the saver uses it.
STDAPI DllRegisterServer() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(engineModule, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
    HKEY classKeyHandle = nullptr, serverKey = nullptr;
    bool written = RegCreateKeyExA(HKEY_LOCAL_MACHINE, classKey().c_str(), 0, nullptr, 0, KEY_WRITE,
                                   nullptr, &classKeyHandle, nullptr) == ERROR_SUCCESS;
    written = written && setValue(classKeyHandle, nullptr, "Zovi substitute ambient-effects engine");
    written = written && RegCreateKeyExA(classKeyHandle, "InprocServer32", 0, nullptr, 0, KEY_WRITE,
                                         nullptr, &serverKey, nullptr) == ERROR_SUCCESS;
    written = written && setValue(serverKey, nullptr, std::string(path, length));
    written = written && setValue(serverKey, "ThreadingModel", "Both");
    if (serverKey) RegCloseKey(serverKey);
    if (classKeyHandle) RegCloseKey(classKeyHandle);
    return written ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (classKey() + "\\InprocServer32").c_str());
    const LONG removed = RegDeleteKeyA(HKEY_LOCAL_MACHINE, classKey().c_str());
    return removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
