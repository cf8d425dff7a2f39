#include <gtest/gtest.h>

#include <atomic>

#include "effects/effects_client.h"
#include "support/effects_engine.h"

namespace {
using Calls = std::vector<std::string>;
const EffectsClientState& client() { return effectsClientState(); }

bool idle() {
    return !client().connectionCount && !client().serverThread && !client().serverInterface && !client().readyEvent &&
           !client().quitEvent;
}

std::atomic<int> racerFailures{0};
DWORD WINAPI racer(LPVOID start) {
    WaitForSingleObject(start, INFINITE);
    for (int round = 0; round < 15; ++round) {
        EffectsRoot* root = nullptr;
        if (connectEffects(&root, nullptr) != 1000 || !root) racerFailures++;
        if (round % 3 == 0) Sleep(1);
        disconnectEffects();
    }
    return 0;
}

// Every test leaves the client idle, as a saver finds it at its start.
class EngineClient : public EffectsEngineTest {};
}  // namespace

TEST_F(EngineClient, ConnectsOnTheCallersThreadWithTheServerHeldOnItsOwn) {
    EffectsRoot* root = nullptr;
    std::int32_t value = 77;
    disconnectEffects();  // before any connect: nothing to do
    EXPECT_EQ(connectEffects(nullptr, &value), 2002);
    EXPECT_EQ(value, 77);
    ASSERT_EQ(connectEffects(&root, &value), 1000);
    EXPECT_TRUE(root && value == 0 && client().connectionCount == 1);
    HANDLE server = nullptr;  // a handle of our own, to see the thread end after the client's is gone
    DuplicateHandle(GetCurrentProcess(), client().serverThread, GetCurrentProcess(), &server, SYNCHRONIZE, FALSE, 0);
    EXPECT_EQ(WaitForSingleObject(server, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    disconnectEffects();
    EXPECT_TRUE(idle());
    EXPECT_EQ(WaitForSingleObject(server, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(server);

    const std::vector<JournalEntry> calls = journal();
    ASSERT_EQ(sequence(), (Calls{"factory.createInstance", "server.requestRoot", "link.releaseCallback", "server.release"}));
    EXPECT_NE(calls[1].line.find("\"revision\":16843008,\"value\":\"given\",\"reserved\":0"), std::string::npos);
    EXPECT_NE(calls[1].line.find("\"slot\":7"), std::string::npos);
    // Created and released on the server thread; asked for the root and called back on this one.
    const DWORD here = GetCurrentThreadId();
    EXPECT_TRUE(calls[0].thread != here && calls[1].thread == here && calls[2].thread == here &&
                calls[3].thread == calls[0].thread);
}

TEST_F(EngineClient, AServerThatIsMissingOrCannotStartGivesItsCodeAndTheNextConnectStartsAfresh) {
    ASSERT_TRUE(engineExport("DllUnregisterServer"));
    EffectsRoot* root = reinterpret_cast<EffectsRoot*>(1);
    std::int32_t value = 77;
    EXPECT_EQ(connectEffects(&root, &value), 2011);
    EXPECT_TRUE(!root && value == 0 && idle());
    ASSERT_TRUE(engineExport("DllRegisterServer"));
    const struct { const char* faults; HRESULT serverResult; EffectsCode code; } cases[] = {
        {"create=0x8007000E", E_OUTOFMEMORY, 2003}, {"create=0x80004027", CO_E_CLASS_DISABLED, 2015},
        {"create=0x80004005", E_FAIL, 2014},        {"create=0x80004002", E_NOINTERFACE, 2011},
        {"create=0", E_POINTER, 2014},  // success without an object is a failure, not a null call
        // A requestRoot that does not answer S_OK (S_FALSE too) gives 2012 and stops the server again.
        {"requestRoot=1", S_OK, 2012},              {"requestRoot=0x80004005", S_OK, 2012}};
    for (const auto& failing : cases) {
        setFaults(failing.faults);
        EXPECT_EQ(connectEffects(&root, nullptr), failing.code) << failing.faults;
        EXPECT_EQ(client().serverResult, failing.serverResult) << failing.faults;
        EXPECT_TRUE(idle()) << failing.faults;
    }
    for (const std::string& call : sequence()) EXPECT_NE(call, "link.releaseCallback");
    setFaults("");
    EXPECT_EQ(connectEffects(&root, nullptr), 1000);
    disconnectEffects();
}

TEST_F(EngineClient, AnEngineCodePassesThroughAndLeavesOpenConnectionsAsTheyWere) {
    setFaults("reply=1001");
    EffectsRoot *refused = nullptr, *first = nullptr, *second = nullptr;
    EXPECT_EQ(connectEffects(&refused, nullptr), 1001);
    EXPECT_TRUE(refused && idle());  // the root handed on as the engine gave it, the server stopped
    // With two connections open, a refused one changes nothing, and only the last close ends it all.
    setFaults("");
    ASSERT_TRUE(connectEffects(&first, nullptr) == 1000 && connectEffects(&second, nullptr) == 1000 && first != second);
    setFaults("reply=1001");
    EXPECT_EQ(connectEffects(&refused, nullptr), 1001);
    const std::size_t before = journal().size();
    disconnectEffects();
    EXPECT_TRUE(client().connectionCount == 1 && client().serverThread);
    disconnectEffects();
    disconnectEffects();  // one more than were open: nothing
    EXPECT_TRUE(idle());
    EXPECT_EQ(sequence(before), (Calls{"link.releaseCallback", "server.release"}));
}

// Several threads connect and disconnect at once from the very first call, every engine call slowed
// so that they overlap: one lock must serialise them, one server at a time, a callback before each stop.
TEST_F(EngineClient, ConnectAndDisconnectRacingFromSeveralThreadsKeepOneServerAtATime) {
    setFaults("delay=1");
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr), threads[6];
    for (HANDLE& thread : threads) thread = CreateThread(nullptr, 0, racer, start, 0, nullptr);
    SetEvent(start);
    WaitForMultipleObjects(6, threads, TRUE, INFINITE);
    EXPECT_TRUE(racerFailures == 0 && idle());
    bool serverLives = false;
    int servers = 0, roots = 0, callbacks = 0;
    for (const std::string& call : sequence()) {
        if (call == "faults.delay") continue;
        const bool starts = call == "factory.createInstance";
        EXPECT_NE(serverLives, starts) << call;  // a second server never starts while one runs
        roots += call == "server.requestRoot";
        callbacks += call == "link.releaseCallback";
        servers += starts;
        if (starts || call == "server.release") serverLives = starts;
    }
    EXPECT_EQ(roots, 6 * 15);
    EXPECT_EQ(callbacks, servers);
}
