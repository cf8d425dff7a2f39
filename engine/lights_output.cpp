#include "lights_output.h"

#include <winsock2.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "journal.h"
#include "json_text.h"
#include "lights_packets.h"

namespace {
constexpr DWORD kLongestConfigBytes = 64 * 1024;
constexpr DWORD kStopWaitMs = 1000;           // the thread only sends, and never waits on a send
constexpr std::int64_t kSendErrorGapMs = 10000;  // at most one journal line for send errors this often

struct Output {
    LightsConfig config;
    E131Source source;
    SOCKET socket = INVALID_SOCKET;
    sockaddr_in to{};
    HANDLE stop = nullptr;
    HANDLE thread = nullptr;
    RoomModel room;  // under outputLock
    std::uint64_t frames = 0, errors = 0;
    std::int64_t errorJournalledMs = 0;
};

// Around the phase, the output in force and its room model; held only to hand over a script (and,
// at a run's first script, to read the configuration and start the thread) or to read the room for
// one frame. Nothing is journalled and nothing is sent while it is held.
CRITICAL_SECTION outputLock;
enum class Phase { unread, running, off } phase = Phase::unread;  // a run's configuration is read once
Output* output = nullptr;
std::atomic<long> liveObjects{0};
std::atomic<long> socketsOpened{0};
// Carried on from one run of the output to the next in the process (whose threads may overlap by
// a moment): receivers drop packets whose sequence number seems to go backwards.
std::atomic<unsigned> e131Sequence{0}, artSequence{0};
LARGE_INTEGER ticksPerSecond;

std::int64_t nowUs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<std::int64_t>(now.QuadPart / ticksPerSecond.QuadPart * 1000000 +
                                     now.QuadPart % ticksPerSecond.QuadPart * 1000000 / ticksPerSecond.QuadPart);
}

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(size, 0)), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::string json(const std::string& text) {
    std::string out;
    appendJsonString(out, text.data(), text.size());
    return out;
}

// ZOVI_ROOM_CONFIG when set; otherwise "Zovi Room.txt" beside the saver's settings file. shell32 is
// only loaded here, by the run that looks for a configuration.
std::wstring configPath() {
    wchar_t named[MAX_PATH + 1];
    const DWORD length = GetEnvironmentVariableW(L"ZOVI_ROOM_CONFIG", named, MAX_PATH + 1);
    if (length > 0 && length <= MAX_PATH) return std::wstring(named, length);
    wchar_t folder[MAX_PATH] = L"";
    if (const HMODULE shell = LoadLibraryW(L"shell32.dll")) {
        const auto folderPath =
            reinterpret_cast<decltype(&SHGetFolderPathW)>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetFolderPathW")));
        if (!folderPath || FAILED(folderPath(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
            folder[0] = L'\0';
    }
    return folder[0] ? std::wstring(folder) + L"\\Zovi Room.txt" : std::wstring();
}

// The file's text; false with the reason when there is none to read.
bool readConfigText(const std::wstring& path, std::string& text, std::string& reason) {
    const HANDLE file = path.empty() ? INVALID_HANDLE_VALUE
                                     : CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        reason = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || path.empty()
                     ? "no configuration"
                     : "the configuration could not be opened (error " + std::to_string(error) + ")";
        return false;
    }
    text.assign(kLongestConfigBytes + 1, '\0');
    DWORD read = 0;
    const BOOL ok = ReadFile(file, &text[0], kLongestConfigBytes + 1, &read, nullptr);
    CloseHandle(file);
    text.resize(read);
    if (!ok) reason = "the configuration could not be read";
    else if (read > kLongestConfigBytes) reason = "the configuration is larger than 64 KB";
    return reason.empty();
}

E131Source thisComputer() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    const std::string computer = GetComputerNameW(name, &length) ? utf8(std::wstring(name, length)) : "";
    return {stableCid(computer), computer.empty() ? "Zovi Logo Screensaver" : "Zovi Logo Screensaver (" + computer + ")"};
}

RoomState roomNow(Output& out, std::int64_t& ms) {
    EnterCriticalSection(&outputLock);
    ms = nowUs() / 1000;
    const RoomState room = out.room.stateAt(ms);
    LeaveCriticalSection(&outputLock);
    return room;
}

void send(Output& out, const DmxFrame& frame, std::uint8_t options) {
    std::vector<std::uint8_t> packet;
    if (out.config.protocol == LightsProtocol::e131) {
        packet = e131DataPacket(out.source, out.config.priority, static_cast<std::uint8_t>(e131Sequence++),
                                options, out.config.universe, frame);
    } else {
        // 1 to 255: 0 would turn the node's reordering off.
        packet = artDmxPacket(static_cast<std::uint8_t>(artSequence++ % 255 + 1), out.config.universe, frame);
    }
    const int sent = sendto(out.socket, reinterpret_cast<const char*>(packet.data()), static_cast<int>(packet.size()),
                            0, reinterpret_cast<const sockaddr*>(&out.to), sizeof out.to);
    if (sent == static_cast<int>(packet.size())) {
        ++out.frames;
        return;
    }
    const int error = sent == SOCKET_ERROR ? WSAGetLastError() : 0;
    const std::int64_t ms = nowUs() / 1000;
    if (out.errors++ == 0 || ms - out.errorJournalledMs >= kSendErrorGapMs) {
        out.errorJournalledMs = ms;
        JournalLine("lights", -1, "sendError").number("error", error).number("errors", static_cast<std::int64_t>(out.errors))
            .write(0);
    }
}

DWORD WINAPI sendFrames(LPVOID parameter) {
    Output& out = *static_cast<Output*>(parameter);
    const std::int64_t periodUs = 1000000 / out.config.rate;
    SendSchedule schedule;
    std::int64_t next = nowUs(), ms = 0;
    for (;;) {
        const std::int64_t waitUs = next - nowUs();
        if (WaitForSingleObject(out.stop, waitUs > 0 ? static_cast<DWORD>((waitUs + 999) / 1000) : 0) != WAIT_TIMEOUT)
            break;
        const DmxFrame frame = dmxFrame(out.config, roomNow(out, ms));
        if (schedule.due(frame, ms)) send(out, frame, 0);
        // Never faster than the rate: a tick that came late is not made up for.
        next += periodUs;
        if (next < nowUs()) next = nowUs() + periodUs;
    }
    // The end of the run: what blows and shakes comes to rest, the lights stay as they are, and the
    // stream is ended so that receivers let the source go at once.
    RoomState room = roomNow(out, ms);
    std::fill(std::begin(room.fan), std::end(room.fan), 0.0f);
    std::fill(std::begin(room.rumble), std::end(room.rumble), 0.0f);
    const DmxFrame still = dmxFrame(out.config, room);
    for (int i = 0; i < 3; ++i) send(out, still, 0);
    if (out.config.protocol == LightsProtocol::e131)
        for (int i = 0; i < 3; ++i) send(out, still, kE131StreamTerminated);
    closesocket(out.socket);
    JournalLine("lights", -1, "stopped").number("frames", static_cast<std::int64_t>(out.frames))
        .number("errors", static_cast<std::int64_t>(out.errors)).number("sockets", socketsOpened).write(0);
    return 0;
}

// Runs under outputLock, at a run's first script: reads the configuration and, when it is sound,
// opens the socket and starts the thread. Gives the journal's account.
std::string startOutput() {
    const std::wstring path = configPath();
    std::string account = "{\"config\":" + json(utf8(path));
    auto off = [&account](const std::string& why) {
        phase = Phase::off;
        return account + ",\"output\":\"off\"," + why + ",\"sockets\":" + std::to_string(socketsOpened) + "}";
    };
    std::string text, reason;
    if (!readConfigText(path, text, reason)) return off("\"reason\":" + json(reason));
    const LightsConfigReading reading = readLightsConfig(text.data(), text.size());
    if (!reading.ok)
        return off("\"errorLine\":" + std::to_string(reading.errorLine) + ",\"error\":" + json(reading.error));

    WSADATA winsock;
    if (const int failed = WSAStartup(MAKEWORD(2, 2), &winsock))
        return off("\"reason\":\"Winsock did not start (error " + std::to_string(failed) + ")\"");
    Output* made = new Output;
    made->config = reading.config;
    made->source = thisComputer();
    made->to.sin_family = AF_INET;
    made->to.sin_port = htons(lightsPort(made->config));
    made->to.sin_addr.s_addr = htonl(lightsDestination(made->config));
    made->socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    u_long nonBlocking = 1;
    if (made->socket != INVALID_SOCKET) {
        ++socketsOpened;
        ioctlsocket(made->socket, FIONBIO, &nonBlocking);  // a full buffer is a counted error, never a wait
        made->stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    if (made->stop) made->thread = CreateThread(nullptr, 0, sendFrames, made, 0, nullptr);
    if (!made->thread) {
        const int error = made->socket == INVALID_SOCKET ? WSAGetLastError() : static_cast<int>(GetLastError());
        if (made->socket != INVALID_SOCKET) closesocket(made->socket);
        if (made->stop) CloseHandle(made->stop);
        delete made;
        WSACleanup();
        return off("\"reason\":\"the output could not start (error " + std::to_string(error) + ")\"");
    }
    output = made;
    phase = Phase::running;
    const LightsConfig& config = made->config;
    return account + ",\"output\":\"" + (config.protocol == LightsProtocol::e131 ? "e131" : "artnet") +
           "\",\"to\":\"" + ipv4Text(lightsDestination(config)) + ":" + std::to_string(lightsPort(config)) +
           "\",\"universe\":" + std::to_string(config.universe) + ",\"rate\":" + std::to_string(config.rate) +
           ",\"sockets\":" + std::to_string(socketsOpened) + "}";
}

void stopOutput() {
    EnterCriticalSection(&outputLock);
    Output* ending = output;
    output = nullptr;
    phase = Phase::unread;  // the next run reads the configuration again
    LeaveCriticalSection(&outputLock);
    if (!ending) return;
    SetEvent(ending->stop);
    // A thread that has not ended in time keeps its output and finishes by itself.
    if (WaitForSingleObject(ending->thread, kStopWaitMs) != WAIT_OBJECT_0) return;
    CloseHandle(ending->thread);
    CloseHandle(ending->stop);
    delete ending;
    WSACleanup();
}
}  // namespace

void prepareLightsOutput() {
    InitializeCriticalSection(&outputLock);
    QueryPerformanceFrequency(&ticksPerSecond);
}

std::string lightsPlay(const ParsedScript& script) {
    std::string account;
    EnterCriticalSection(&outputLock);
    if (phase == Phase::unread) account = startOutput();
    if (phase == Phase::running) output->room.play(script, nowUs() / 1000);
    LeaveCriticalSection(&outputLock);
    return account;
}

void lightsObjectMade() { ++liveObjects; }

void lightsObjectReleased() {
    if (--liveObjects == 0) stopOutput();
}
