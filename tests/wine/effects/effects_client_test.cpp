#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "effects/effects_client.h"
#include "support/effects_engine.h"

namespace {
const EffectsClientState& state() { return effectsClientState(); }

// A second handle on the server thread, to see it end after the client has closed its own.
HANDLE serverThreadCopy() {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), state().serverThread, GetCurrentProcess(), &copy, SYNCHRONIZE,
                    FALSE, 0);
    return copy;
}

bool ended(HANDLE thread) {
    const bool done = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return done;
}

void expectIdle() {
    EXPECT_EQ(state().connectionCount, 0u);
    EXPECT_EQ(state().serverThread, nullptr);
    EXPECT_EQ(state().serverInterface, nullptr);
    EXPECT_EQ(state().readyEvent, nullptr);
    EXPECT_EQ(state().quitEvent, nullptr);
}

constexpr int kRacers = 6;
constexpr int kRounds = 15;
HANDLE racersStart;
std::atomic<int> racerFailures{0};

DWORD WINAPI racer(LPVOID) {
    WaitForSingleObject(racersStart, INFINITE);
    for (int round = 0; round < kRounds; ++round) {
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
    ASSERT_EQ(connectEffects(&root, &value), 1000);
    EXPECT_NE(root, nullptr);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(state().connectionCount, 1u);
    ASSERT_NE(state().serverThread, nullptr);
    EXPECT_NE(state().serverInterface, nullptr);
    const HANDLE server = serverThreadCopy();
    EXPECT_EQ(WaitForSingleObject(server, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    const std::vector<JournalEntry> created = calls("createInstance");
    const std::vector<JournalEntry> requested = calls("requestRoot");
    ASSERT_EQ(created.size(), 1u);
    ASSERT_EQ(requested.size(), 1u);
    EXPECT_NE(created[0].thread, GetCurrentThreadId());
    EXPECT_EQ(requested[0].thread, GetCurrentThreadId());
    EXPECT_EQ(requested[0].slot, 7);
    EXPECT_EQ(jsonNumber(requested[0].line, "revision"), 0x01010100);
    EXPECT_NE(requested[0].line.find("\"value\":\"given\""), std::string::npos);
    EXPECT_EQ(jsonNumber(requested[0].line, "reserved"), 0);

    disconnectEffects();
    expectIdle();
    EXPECT_TRUE(ended(server));
    const std::vector<JournalEntry> entries = journal();
    ASSERT_GE(entries.size(), 2u);
    const JournalEntry& callback = entries[entries.size() - 2];
    const JournalEntry& released = entries.back();
    EXPECT_EQ(callback.call, "releaseCallback");
    EXPECT_EQ(callback.thread, GetCurrentThreadId());
    EXPECT_EQ(released.table + "." + released.call, "server.release");
    EXPECT_EQ(released.result, 0);
    EXPECT_EQ(released.thread, created[0].thread);
}

TEST_F(EngineClient, ANullPlaceForTheRootGives2002AndMakesNothing) {
    std::int32_t value = 77;
    disconnectEffects();  // before any connect: nothing to do
    EXPECT_EQ(connectEffects(nullptr, &value), 2002);
    EXPECT_EQ(value, 77);
    expectIdle();
    EXPECT_TRUE(journal().empty());
}

TEST_F(EngineClient, AServerThatIsMissingOrCannotBeCreatedGivesTheMappedCodeAndTheNextConnectStartsAfresh) {
    const struct {
        const char* faults;
        HRESULT serverResult;
        EffectsCode code;
    } cases[] = {{"create=0x8007000E", E_OUTOFMEMORY, 2003},
                 {"create=0x80004027", CO_E_CLASS_DISABLED, 2015},
                 {"create=0x80004005", E_FAIL, 2014},
                 {"create=0x80004002", E_NOINTERFACE, 2011},
                 // Success without an object is a failure too, not a call through a null pointer.
                 {"create=0", E_POINTER, 2014}};
    ASSERT_TRUE(unregisterEngine());
    EffectsRoot* unregistered = reinterpret_cast<EffectsRoot*>(1);
    std::int32_t value = 77;
    EXPECT_EQ(connectEffects(&unregistered, &value), 2011);
    EXPECT_EQ(unregistered, nullptr);
    EXPECT_EQ(value, 0);
    expectIdle();
    ASSERT_TRUE(registerEngine());
    for (const auto& failing : cases) {
        setFaults(failing.faults);
        EffectsRoot* root = nullptr;
        EXPECT_EQ(connectEffects(&root, nullptr), failing.code) << failing.faults;
        EXPECT_EQ(state().serverResult, failing.serverResult) << failing.faults;
        EXPECT_EQ(root, nullptr);
        expectIdle();
    }
    EXPECT_TRUE(calls("requestRoot").empty());

    setFaults("");
    EffectsRoot* root = nullptr;
    EXPECT_EQ(connectEffects(&root, nullptr), 1000);
    disconnectEffects();
    expectIdle();
}

TEST_F(EngineClient, AnythingButSOkFromRequestRootGives2012AndStopsTheServer) {
    for (const char* faults : {"requestRoot=1", "requestRoot=0x80004005"}) {
        setFaults(faults);
        EffectsRoot* root = reinterpret_cast<EffectsRoot*>(1);
        EXPECT_EQ(connectEffects(&root, nullptr), 2012) << faults;
        EXPECT_EQ(root, nullptr);
        expectIdle();
    }
    EXPECT_EQ(sequence(), (std::vector<std::string>{"factory.createInstance", "server.requestRoot",
                                                    "server.release", "factory.createInstance",
                                                    "server.requestRoot", "server.release"}));
    EXPECT_TRUE(calls("releaseCallback").empty());
}

TEST_F(EngineClient, AnEngineCodePassesThroughAndLeavesOpenConnectionsAsTheyWere) {
    // A first connection refused: the root comes back as the engine gave it, the server stops.
    setFaults("reply=1001");
    EffectsRoot* refused = nullptr;
    EXPECT_EQ(connectEffects(&refused, nullptr), 1001);
    EXPECT_NE(refused, nullptr);
    expectIdle();
    EXPECT_EQ(sequence(), (std::vector<std::string>{"factory.createInstance", "server.requestRoot",
                                                    "server.release"}));

    // With a connection open, a refused one changes nothing: the server keeps running and the open
    // connection's release callback still runs at the end.
    setFaults("");
    EffectsRoot* open = nullptr;
    ASSERT_EQ(connectEffects(&open, nullptr), 1000);
    const HANDLE server = state().serverThread;
    setFaults("reply=1001");
    EXPECT_EQ(connectEffects(&refused, nullptr), 1001);
    EXPECT_EQ(state().connectionCount, 1u);
    EXPECT_EQ(state().serverThread, server);
    EXPECT_EQ(WaitForSingleObject(server, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    const std::size_t before = journal().size();
    disconnectEffects();
    EXPECT_EQ(sequence(before), (std::vector<std::string>{"link.releaseCallback", "server.release"}));
    expectIdle();
}

TEST_F(EngineClient, TheLastOfTwoConnectionsRunsTheReleaseCallbackOnceAndStopsTheServer) {
    EffectsRoot* first = nullptr;
    EffectsRoot* second = nullptr;
    ASSERT_EQ(connectEffects(&first, nullptr), 1000);
    ASSERT_EQ(connectEffects(&second, nullptr), 1000);
    EXPECT_NE(first, second);
    EXPECT_EQ(state().connectionCount, 2u);
    EXPECT_EQ(calls("createInstance").size(), 1u);

    disconnectEffects();
    EXPECT_EQ(state().connectionCount, 1u);
    EXPECT_NE(state().serverThread, nullptr);
    EXPECT_TRUE(calls("releaseCallback").empty());

    disconnectEffects();
    disconnectEffects();  // one more than were open: nothing
    expectIdle();
    EXPECT_EQ(sequence(), (std::vector<std::string>{"factory.createInstance", "server.requestRoot",
                                                    "server.requestRoot", "link.releaseCallback",
                                                    "server.release"}));
}

// Several threads connect and disconnect at once from the very first call, with every engine call
// slowed so that they overlap. One lock must serialise them all: the journal then shows one server
// at a time, every root requested while its server lives, and a release callback before each stop.
TEST_F(EngineClient, ConnectAndDisconnectRacingFromSeveralThreadsKeepOneServerAtATime) {
    setFaults("delay=1");
    racersStart = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE threads[kRacers];
    for (HANDLE& thread : threads) thread = CreateThread(nullptr, 0, racer, nullptr, 0, nullptr);
    SetEvent(racersStart);
    ASSERT_EQ(WaitForMultipleObjects(kRacers, threads, TRUE, 120000), static_cast<DWORD>(WAIT_OBJECT_0));
    for (HANDLE thread : threads) CloseHandle(thread);
    CloseHandle(racersStart);

    EXPECT_EQ(racerFailures, 0);
    EXPECT_NE(state().clientLock.load(), nullptr);
    expectIdle();

    bool serverLives = false;
    int servers = 0, roots = 0, callbacks = 0;
    for (const std::string& call : sequence()) {
        if (call == "factory.createInstance") {
            EXPECT_FALSE(serverLives) << "a second server while one was running";
            serverLives = true;
            servers++;
        } else if (call == "server.requestRoot") {
            EXPECT_TRUE(serverLives);
            roots++;
        } else if (call == "link.releaseCallback") {
            EXPECT_TRUE(serverLives);
            callbacks++;
        } else if (call == "server.release") {
            EXPECT_TRUE(serverLives);
            serverLives = false;
        }
    }
    EXPECT_FALSE(serverLives);
    EXPECT_EQ(roots, kRacers * kRounds);
    EXPECT_EQ(callbacks, servers);
    EXPECT_GE(servers, 1);
}
