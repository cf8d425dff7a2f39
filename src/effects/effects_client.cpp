#include "effects/effects_client.h"

#include <cstring>

#include "effects/connect_codes.h"
#include "process/failed_step.h"
#include "process/sent_message_wait.h"
#include "process/teardown_steps.h"

// The core's mapping is written in its own copies of the platform's results: they must agree.
static_assert(hr::E_NOTIMPL_ == static_cast<std::uint32_t>(E_NOTIMPL) &&
                  hr::E_NOINTERFACE_ == static_cast<std::uint32_t>(E_NOINTERFACE) &&
                  hr::CO_E_INIT_TLS_ == static_cast<std::uint32_t>(CO_E_INIT_TLS) &&
                  hr::CO_E_INIT_SHARED_ALLOCATOR_ == static_cast<std::uint32_t>(CO_E_INIT_SHARED_ALLOCATOR) &&
                  hr::CO_E_INIT_MEMORY_ALLOCATOR_ == static_cast<std::uint32_t>(CO_E_INIT_MEMORY_ALLOCATOR) &&
                  hr::CO_E_INIT_CLASS_CACHE_ == static_cast<std::uint32_t>(CO_E_INIT_CLASS_CACHE) &&
                  hr::CO_E_INIT_TLS_CHANNEL_CONTROL_ == static_cast<std::uint32_t>(CO_E_INIT_TLS_CHANNEL_CONTROL) &&
                  hr::CO_E_CLSREG_INCONSISTENT_ == static_cast<std::uint32_t>(CO_E_CLSREG_INCONSISTENT) &&
                  hr::CO_E_IIDREG_INCONSISTENT_ == static_cast<std::uint32_t>(CO_E_IIDREG_INCONSISTENT) &&
                  hr::CO_E_NOT_SUPPORTED_ == static_cast<std::uint32_t>(CO_E_NOT_SUPPORTED) &&
                  hr::CO_E_RELOAD_DLL_ == static_cast<std::uint32_t>(CO_E_RELOAD_DLL) &&
                  hr::CO_E_CLASS_DISABLED_ == static_cast<std::uint32_t>(CO_E_CLASS_DISABLED) &&
                  hr::CLASS_E_NOAGGREGATION_ == static_cast<std::uint32_t>(CLASS_E_NOAGGREGATION) &&
                  hr::REGDB_E_CLASSNOTREG_ == static_cast<std::uint32_t>(REGDB_E_CLASSNOTREG) &&
                  hr::E_ACCESSDENIED_ == static_cast<std::uint32_t>(E_ACCESSDENIED) &&
                  hr::E_OUTOFMEMORY_ == static_cast<std::uint32_t>(E_OUTOFMEMORY) &&
                  hr::MOD_NOT_FOUND_ == (0x80000000u | FACILITY_WIN32 << 16 | ERROR_MOD_NOT_FOUND),
              "the core's server results are the platform's");

namespace {
// The process's one client: the engine's server object lives on one thread of the process, so every
// connection of every window shares it. Made before the program starts and kept until it ends.
EffectsClientState client;

// The C++ runtime runs this initialiser exactly once and holds every other first caller until it is
// done, so two threads making the very first connect at once share one lock. Never closed.
HANDLE clientLockHandle() {
    static const HANDLE lock = [] {
        const HANDLE made = CreateEventA(nullptr, FALSE, TRUE, nullptr);
        client.clientLock = made;
        return made;
    }();
    return lock;
}

// An abandoned wait still hands the lock over.
bool takeLock(HANDLE lock) {
    const DWORD waited = waitHandlingSentMessages(1, &lock);
    return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

void releaseLock(HANDLE lock) { SetEvent(lock); }

GUID platformGuid(const EffectsGuid& guid) {
    static_assert(sizeof(GUID) == sizeof(EffectsGuid), "an EffectsGuid is laid out as a GUID");
    GUID converted;
    std::memcpy(&converted, &guid, sizeof converted);
    return converted;
}

void closeAndClear(HANDLE& handle) {
    if (handle) CloseHandle(handle);
    handle = nullptr;
}

// The server thread closes none of the shared handles: whoever waited for it to end (the starter or
// the stopper) closes them afterwards, so no handle is closed while another thread waits on it, and
// each is closed once.
void closeServerHandles() {
    closeAndClear(client.serverThread);
    closeAndClear(client.readyEvent);
    closeAndClear(client.quitEvent);
}

DWORD WINAPI serverThreadMain(LPVOID) {
    client.serverResult = CoInitialize(nullptr);
    if (FAILED(client.serverResult)) {
        reportFailedStep("effects engine: CoInitialize", static_cast<DWORD>(client.serverResult));
        return 0;
    }
    const GUID classId = platformGuid(kEffectsServerClassId);
    const GUID interfaceId = platformGuid(kEffectsServerInterfaceId);
    void* created = nullptr;
    client.serverResult =
        CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, interfaceId, &created);
    // A server that claims success without an object would be called through a null pointer.
    if (SUCCEEDED(client.serverResult) && !created) client.serverResult = E_POINTER;
    // The registration's lookup fails here when no engine is registered or its module is gone.
    if (FAILED(client.serverResult))
        reportFailedStep("effects engine: CoCreateInstance", static_cast<DWORD>(client.serverResult));
    if (SUCCEEDED(client.serverResult)) {
        client.serverInterface = static_cast<EffectsServer*>(created);
        SetEvent(client.readyEvent);
        WaitForSingleObject(client.quitEvent, INFINITE);
        client.serverInterface->table->release(client.serverInterface);
        client.serverInterface = nullptr;
    }
    CoUninitialize();
    return 0;
}

// Runs under the lock. 1000 once the server object exists and its thread waits for quitEvent.
EffectsCode startServerThread() {
    client.readyEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!client.readyEvent) return kConnectNoResources;
    client.quitEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!client.quitEvent) {
        closeAndClear(client.readyEvent);
        return kConnectNoResources;
    }
    client.serverThread = CreateThread(nullptr, 0, serverThreadMain, nullptr, 0, nullptr);
    if (!client.serverThread) {
        closeAndClear(client.readyEvent);
        closeAndClear(client.quitEvent);
        return kConnectNoResources;
    }

    const HANDLE readyOrEnded[2] = {client.readyEvent, client.serverThread};
    const DWORD first = waitHandlingSentMessages(2, readyOrEnded);
    if (first == WAIT_OBJECT_0) return kEffectsSuccess;
    if (first != WAIT_OBJECT_0 + 1) {
        // The wait itself failed with the thread possibly still starting: make it end before its
        // handles go.
        SetEvent(client.quitEvent);
        waitHandlingSentMessages(1, &client.serverThread);
    }
    closeServerHandles();
    return connectCodeForServerResult(client.serverResult);
}

// Runs under the lock.
void stopServerThread() {
    if (!client.serverThread) return;
    SetEvent(client.quitEvent);
    waitHandlingSentMessages(1, &client.serverThread);
    closeServerHandles();
    noteTeardownStep();
}
}  // namespace

EffectsCode connectEffects(EffectsRoot** root, std::int32_t* value) {
    if (!root) return kConnectNoRootPlace;
    *root = nullptr;
    if (value) *value = 0;

    const HANDLE lock = clientLockHandle();
    if (!takeLock(lock)) return kConnectNoResources;
    if (client.connectionCount == 0) {
        const EffectsCode started = startServerThread();
        if (started != kEffectsSuccess) {
            releaseLock(lock);
            return started;
        }
    }

    ConnectReply reply;
    const std::int32_t requested = client.serverInterface->table->requestRoot(
        client.serverInterface, kEffectsLinkRevision, value, 0, &reply);
    EffectsCode result = kConnectRefused;
    if (requested == S_OK) {
        *root = reply.root;
        result = reply.code;
        if (result == kEffectsSuccess) {
            // Only an accepted connection brings the callback: a refused one must not replace the
            // callback that the open connections still need at the end.
            client.releaseCallback = reply.releaseFn;
            client.connectionCount++;
            releaseLock(lock);
            return kEffectsSuccess;
        }
    }
    if (client.connectionCount == 0) stopServerThread();
    releaseLock(lock);
    return result;
}

void disconnectEffects() {
    const HANDLE lock = client.clientLock;
    if (!lock) return;
    if (!takeLock(lock)) return;
    if (client.connectionCount > 0 && --client.connectionCount == 0) {
        if (client.releaseCallback) {
            client.releaseCallback();
            noteTeardownStep();
        }
        stopServerThread();
        client.releaseCallback = nullptr;
    }
    releaseLock(lock);
}

const EffectsClient kEngineEffectsClient = {connectEffects, disconnectEffects, noteTeardownStep};

const EffectsClientState& effectsClientState() { return client; }
