#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "effects/effects_client.h"
#include "support/effects_engine.h"

namespace {
using Calls = std::vector<std::string>;
const EffectsClientState& state() { return effectsClientState(); }

void expectIdle() {
    EXPECT_EQ(state().connectionCount, 0u);
    EXPECT_EQ(state().serverThread, nullptr);
    EXPECT_EQ(state().serverInterface, nullptr);
    EXPECT_EQ(state().readyEvent, nullptr);
    EXPECT_EQ(state().quitEvent, nullptr);
}

HANDLE racersStart;
std::atomic<int> racerFailures{0};
DWORD WINAPI racer(LPVOID) {
    WaitForSingleObject(racersStart, INFINITE);
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
    EXPECT_NE(root, nullptr);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(state().connectionCount, 1u);
    HANDLE server = nullptr;  // a handle of our own, to see the thread end after the client's is gone
    DuplicateHandle(GetCurrentProcess(), state().serverThread, GetCurrentProcess(), &server, SYNCHRONIZE, FALSE, 0);
    EXPECT_EQ(WaitForSingleObject(server, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    disconnectEffects();
    expectIdle();
    EXPECT_EQ(WaitForSingleObject(server, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(server);

    ASSERT_EQ(sequence(), (Calls{"factory.createInstance", "server.requestRoot", "link.releaseCallback", "server.release"}));
    const std::vector<JournalEntry> calls = journal();
    const std::string& requested = calls[1].line;
    EXPECT_EQ(jsonNumber(requested, "slot"), 7);
    EXPECT_EQ(jsonNumber(requested, "revision"), 0x01010100);
    EXPECT_NE(requested.find("\"value\":\"given\""), std::string::npos);
    EXPECT_EQ(jsonNumber(requested, "reserved"), 0);
    // Created and released on the server thread; asked for the root and called back on this one.
    const DWORD here = GetCurrentThreadId(), serverThread = calls[0].thread;
    EXPECT_EQ((std::vector<bool>{calls[0].thread == here, calls[1].thread == here, calls[2].thread == here,
                                 calls[3].thread == serverThread}),
              (std::vector<bool>{false, true, true, true}));
}

TEST_F(EngineClient, AServerThatIsMissingOrCannotStartGivesItsCodeAndTheNextConnectStartsAfresh) {
    ASSERT_TRUE(unregisterEngine());
    EffectsRoot* root = reinterpret_cast<EffectsRoot*>(1);
    std::int32_t value = 77;
    EXPECT_EQ(connectEffects(&root, &value), 2011);
    EXPECT_EQ(root, nullptr);
    EXPECT_EQ(value, 0);
    expectIdle();
    ASSERT_TRUE(registerEngine());
    const struct { const char* faults; HRESULT serverResult; EffectsCode code; } cases[] = {
        {"create=0x8007000E", E_OUTOFMEMORY, 2003}, {"create=0x80004027", CO_E_CLASS_DISABLED, 2015},
        {"create=0x80004005", E_FAIL, 2014},        {"create=0x80004002", E_NOINTERFACE, 2011},
        // Success without an object is a failure too, not a call through a null pointer.
        {"create=0", E_POINTER, 2014},
        // A requestRoot that does not answer S_OK (S_FALSE too) gives 2012 and stops the server again.
        {"requestRoot=1", S_OK, 2012},              {"requestRoot=0x80004005", S_OK, 2012}};
    for (const auto& failing : cases) {
        setFaults(failing.faults);
        EXPECT_EQ(connectEffects(&root, nullptr), failing.code) << failing.faults;
        EXPECT_EQ(state().serverResult, failing.serverResult) << failing.faults;
        expectIdle();
    }
    for (const std::string& call : sequence()) EXPECT_NE(call, "link.releaseCallback");
    setFaults("");
    EXPECT_EQ(connectEffects(&root, nullptr), 1000);
    disconnectEffects();
    expectIdle();
}

TEST_F(EngineClient, AnEngineCodePassesThroughAndLeavesOpenConnectionsAsTheyWere) {
    setFaults("reply=1001");
    EffectsRoot* refused = nullptr;
    EXPECT_EQ(connectEffects(&refused, nullptr), 1001);
    EXPECT_NE(refused, nullptr);  // handed on as the engine gave it
    expectIdle();
    // With two connections open, a refused one changes nothing, and only the last close ends it all.
    setFaults("");
    EffectsRoot *first = nullptr, *second = nullptr;
    ASSERT_EQ(connectEffects(&first, nullptr), 1000);
    ASSERT_EQ(connectEffects(&second, nullptr), 1000);
    EXPECT_NE(first, second);
    setFaults("reply=1001");
    EXPECT_EQ(connectEffects(&refused, nullptr), 1001);
    EXPECT_EQ(state().connectionCount, 2u);
    const std::size_t before = journal().size();
    disconnectEffects();
    EXPECT_EQ(state().connectionCount, 1u);
    EXPECT_NE(state().serverThread, nullptr);
    disconnectEffects();
    disconnectEffects();  // one more than were open: nothing
    expectIdle();
    EXPECT_EQ(sequence(before), (Calls{"link.releaseCallback", "server.release"}));
}

// Several threads connect and disconnect at once from the very first call, with every engine call
// slowed so that they overlap. One lock must serialise them all: the journal then shows one server
// at a time, every root requested while its server lives, and a release callback before each stop.
TEST_F(EngineClient, ConnectAndDisconnectRacingFromSeveralThreadsKeepOneServerAtATime) {
    setFaults("delay=1");
    racersStart = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE threads[6];
    for (HANDLE& thread : threads) thread = CreateThread(nullptr, 0, racer, nullptr, 0, nullptr);
    SetEvent(racersStart);
    ASSERT_EQ(WaitForMultipleObjects(6, threads, TRUE, 120000), static_cast<DWORD>(WAIT_OBJECT_0));
    for (HANDLE thread : threads) CloseHandle(thread);
    CloseHandle(racersStart);
    EXPECT_EQ(racerFailures, 0);
    expectIdle();
    bool serverLives = false;
    int servers = 0, roots = 0, callbacks = 0;
    for (const std::string& call : sequence()) {
        if (call == "faults.delay") continue;
        const bool starts = call == "factory.createInstance", ends = call == "server.release";
        EXPECT_NE(serverLives, starts) << call;  // a second server never starts while one runs
        roots += call == "server.requestRoot";
        callbacks += call == "link.releaseCallback";
        servers += starts;
        if (starts || ends) serverLives = starts;
    }
    EXPECT_FALSE(serverLives);
    EXPECT_EQ(roots, 6 * 15);
    EXPECT_EQ(callbacks, servers);
}
