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
#include "process/failed_step.h"

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

// Each failed step is told through the debugger channel: registration has no one else to tell.
bool registryStep(const char* step, LONG result) {
    if (result == ERROR_SUCCESS) return true;
    reportFailedStep(step, static_cast<DWORD>(result));
    return false;
}

bool setValue(HKEY key, const char* name, const std::string& value) {
    return registryStep("engine registration: RegSetValueExA",
                        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>(value.size() + 1)));
}

bool createKey(HKEY parent, const char* name, HKEY& key) {
    return registryStep("engine registration: RegCreateKeyExA",
                        RegCreateKeyExA(parent, name, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
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
    if (length == 0 || length >= MAX_PATH) {
        reportFailedStep("engine registration: GetModuleFileNameA", length ? ERROR_INSUFFICIENT_BUFFER : GetLastError());
        return SELFREG_E_CLASS;
    }
    HKEY classKeyHandle = nullptr, serverKey = nullptr;
    bool written = createKey(HKEY_LOCAL_MACHINE, classKey().c_str(), classKeyHandle);
    written = written && setValue(classKeyHandle, nullptr, "Zovi substitute ambient-effects engine");
    written = written && createKey(classKeyHandle, "InprocServer32", serverKey);
    written = written && setValue(serverKey, nullptr, std::string(path, length));
    written = written && setValue(serverKey, "ThreadingModel", "Both");
    if (serverKey) RegCloseKey(serverKey);
    if (classKeyHandle) RegCloseKey(classKeyHandle);
    return written ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (classKey() + "\\InprocServer32").c_str());
    const LONG removed = RegDeleteKeyA(HKEY_LOCAL_MACHINE, classKey().c_str());
    if (removed == ERROR_FILE_NOT_FOUND) return S_OK;
    return registryStep("engine registration: RegDeleteKeyA", removed) ? S_OK : SELFREG_E_CLASS;
}
