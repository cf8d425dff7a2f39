#include "lights_output.h"

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "process/effects_last_word.h"
#include "journal.h"
#include "json_text.h"
#include "lights_packets.h"
#include "settings/app_data_folder.h"

namespace {
constexpr DWORD kLongestConfigBytes = 64 * 1024;
constexpr DWORD kStopWaitMs = 1000;           // the thread only sends, and never waits on a send
constexpr std::int64_t kSendErrorGapMs = 10000;  // at most one journal line for send errors this often
// Held by the lights thread of a full-screen saver for as long as it sends: the machine's lights have
// one owner at a time, and a preview in the Screen Saver settings gives them up while it is held.
const char kFullScreenLightsName[] = "Zovi room lights of a full-screen saver";
constexpr DWORD kTakeOverWaitMs = 1000;  // a preview holds the name only for a look

struct Output {
    LightsConfig config;
    E131Source source;
    SOCKET socket = INVALID_SOCKET;
    sockaddr_in to{};
    HANDLE stop = nullptr;
    HANDLE thread = nullptr;
    HANDLE ending = nullptr, atRest = nullptr;  // the saver's last word (effects_last_word.h)
    bool preview = false;
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

// ZOVI_ROOM_CONFIG when set; otherwise "Zovi Room.txt" beside the saver's settings file.
std::wstring configPath() {
    wchar_t named[MAX_PATH + 1];
    const DWORD length = GetEnvironmentVariableW(L"ZOVI_ROOM_CONFIG", named, MAX_PATH + 1);
    if (length > 0 && length <= MAX_PATH) return std::wstring(named, length);
    const std::wstring folder = roamingAppDataFolder();
    return folder.empty() ? std::wstring() : folder + L"\\Zovi Room.txt";
}

// "Zovi Room status.txt" beside the configuration: what this run made of it, for a person whose
// lights stay dark; the journal, in a temporary folder, is no place to send them.
std::wstring statusPath(const std::wstring& config) {
    const std::size_t slash = config.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : config.substr(0, slash + 1)) + L"Zovi Room status.txt";
}

std::string nowText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[32];
    wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
              now.wSecond);
    return text;
}

// Written whole to a new file that then takes the old one's place, so a reader never sees half of it.
void writeStatus(const std::wstring& path, const std::string& text) {
    const std::wstring fresh = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".new";
    const HANDLE file = CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string bytes = "\xEF\xBB\xBF" + text;  // UTF-8, marked so that every Notepad reads it so
    DWORD written = 0;
    const bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size();
    CloseHandle(file);
    if (!whole || !MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) DeleteFileW(fresh.c_str());
}

// A preview in the Screen Saver settings (/p, or /l on the oldest systems) gives the lights to a
// full-screen run; any other host of the engine counts as a full-screen run.
bool previewProcess() {
    const char* at = GetCommandLineA();
    if (*at == '"') {
        for (++at; *at && *at != '"'; ++at) {}
        if (*at) ++at;
    } else {
        while (*at && *at != ' ' && *at != '\t') ++at;
    }
    while (*at == ' ' || *at == '\t' || *at == '/' || *at == '-') ++at;
    return *at == 'p' || *at == 'P' || *at == 'l' || *at == 'L';
}

std::string cidText(const std::array<std::uint8_t, 16>& cid) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < cid.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
        text += digits[cid[i] >> 4];
        text += digits[cid[i] & 15];
    }
    return text;
}

std::string eventName(const char* prefix) { return prefix + std::to_string(GetCurrentProcessId()); }

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

// One source per process: a preview and a full-screen saver on one computer are two sources to a
// receiver, each with its own sequence. The identifier stays the same for the process's life.
E131Source thisProcess() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    const std::string computer = GetComputerNameW(name, &length) ? utf8(std::wstring(name, length)) : "";
    FILETIME created{}, unused{};
    GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused);
    const std::string process = std::to_string(GetCurrentProcessId()) + "@" + std::to_string(created.dwHighDateTime) +
                                "." + std::to_string(created.dwLowDateTime);
    return {stableCid(computer + "/" + process),
            computer.empty() ? "Zovi Logo Screensaver" : "Zovi Logo Screensaver (" + computer + ")"};
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

void endStream(Output& out, const DmxFrame& frame) {
    if (out.config.protocol == LightsProtocol::e131)
        for (int i = 0; i < 3; ++i) send(out, frame, kE131StreamTerminated);
}

DWORD WINAPI sendFrames(LPVOID parameter) {
    Output& out = *static_cast<Output*>(parameter);
    const std::int64_t periodUs = 1000000 / out.config.rate;
    SendSchedule schedule;
    std::int64_t next = nowUs(), ms = 0;
    HANDLE fullScreenLights = CreateMutexA(nullptr, FALSE, kFullScreenLightsName);
    bool owned = false, yielded = false;
    if (fullScreenLights && !out.preview) {
        const DWORD taken = WaitForSingleObject(fullScreenLights, kTakeOverWaitMs);
        owned = taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED;
        // A preview looks once a frame: from its next look on it is silent.
        next += periodUs + 10000;
    }
    const HANDLE wake[] = {out.stop, out.ending};
    const DWORD wakes = out.ending ? 2 : 1;
    DmxFrame frame{};
    for (;;) {
        const std::int64_t waitUs = next - nowUs();
        if (WaitForMultipleObjects(wakes, wake, FALSE, waitUs > 0 ? static_cast<DWORD>((waitUs + 999) / 1000) : 0) !=
            WAIT_TIMEOUT)
            break;
        frame = dmxFrame(out.config, roomNow(out, ms));
        if (out.preview && fullScreenLights) {
            const DWORD look = WaitForSingleObject(fullScreenLights, 0);
            if (look == WAIT_OBJECT_0 || look == WAIT_ABANDONED) ReleaseMutex(fullScreenLights);
            const bool fullScreenRuns = look == WAIT_TIMEOUT;
            if (fullScreenRuns && !yielded) endStream(out, frame);  // receivers let this source go at once
            if (fullScreenRuns != yielded) schedule = SendSchedule{};
            yielded = fullScreenRuns;
        }
        if (!yielded && schedule.due(frame, ms)) send(out, frame, 0);
        // Never faster than the rate: a tick that came late is not made up for.
        next += periodUs;
        if (next < nowUs()) next = nowUs() + periodUs;
    }
    // The end of the run: what blows and shakes comes to rest, the lights stay as they are, and the
    // stream is ended so that receivers let the source go at once. A preview that gave the lights
    // to a full-screen run has ended its stream already and leaves them to it.
    if (!yielded) {
        RoomState room = roomNow(out, ms);
        std::fill(std::begin(room.fan), std::end(room.fan), 0.0f);
        std::fill(std::begin(room.rumble), std::end(room.rumble), 0.0f);
        const DmxFrame still = dmxFrame(out.config, room);
        for (int i = 0; i < 3; ++i) send(out, still, 0);
        endStream(out, still);
    }
    if (owned) ReleaseMutex(fullScreenLights);
    if (fullScreenLights) CloseHandle(fullScreenLights);
    closesocket(out.socket);
    JournalLine("lights", -1, "stopped").number("frames", static_cast<std::int64_t>(out.frames))
        .number("errors", static_cast<std::int64_t>(out.errors)).number("sockets", socketsOpened)
        .text("end", WaitForSingleObject(out.stop, 0) == WAIT_OBJECT_0 ? "released" : "processEnding").write(0);
    if (out.atRest) SetEvent(out.atRest);
    return 0;
}

// Runs under outputLock, at a run's first script: reads the configuration and, when it is sound,
// opens the socket and starts the thread. Gives the journal's account.
// status: what the status file is to say, or nothing where there is no configuration to speak of.
std::string startOutput(std::string& status) {
    const std::wstring path = configPath();
    std::string account = "{\"config\":" + json(utf8(path));
    const std::string journalLine = "The engine's journal, with every call and send: " + utf8(journalFile()) + "\r\n";
    status = "Zovi room lights, " + nowText() + "\r\nConfiguration: " + utf8(path) + "\r\n";
    auto off = [&](const std::string& why, const std::string& said) {
        phase = Phase::off;
        status += "Off: " + said + "\r\nNothing is sent; the saver's next start reads the configuration again.\r\n" +
                  journalLine;
        return account + ",\"output\":\"off\"," + why + ",\"sockets\":" + std::to_string(socketsOpened) + "}";
    };
    std::string text, reason;
    if (!readConfigText(path, text, reason)) {
        if (reason == "no configuration") status.clear();
        return off("\"reason\":" + json(reason), reason);
    }
    const LightsConfigReading reading = readLightsConfig(text.data(), text.size());
    if (!reading.ok)
        return off("\"errorLine\":" + std::to_string(reading.errorLine) + ",\"error\":" + json(reading.error),
                   (reading.errorLine ? "line " + std::to_string(reading.errorLine) + ": " : std::string("the file: ")) +
                       reading.error);

    WSADATA winsock;
    if (const int failed = WSAStartup(MAKEWORD(2, 2), &winsock)) {
        const std::string why = "Winsock did not start (error " + std::to_string(failed) + ")";
        return off("\"reason\":" + json(why), why);
    }
    Output* made = new Output;
    made->config = reading.config;
    made->source = thisProcess();
    made->preview = previewProcess();
    made->to.sin_family = AF_INET;
    made->to.sin_port = htons(lightsPort(made->config));
    made->to.sin_addr.s_addr = htonl(lightsDestination(made->config));
    made->socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    u_long nonBlocking = 1;
    if (made->socket != INVALID_SOCKET) {
        ++socketsOpened;
        ioctlsocket(made->socket, FIONBIO, &nonBlocking);  // a full buffer is a counted error, never a wait
        made->stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        made->ending = CreateEventA(nullptr, TRUE, FALSE, eventName(kEffectsEndingEventPrefix).c_str());
        made->atRest = CreateEventA(nullptr, TRUE, FALSE, eventName(kEffectsEndedEventPrefix).c_str());
    }
    if (made->stop) made->thread = CreateThread(nullptr, 0, sendFrames, made, 0, nullptr);
    if (!made->thread) {
        const int error = made->socket == INVALID_SOCKET ? WSAGetLastError() : static_cast<int>(GetLastError());
        if (made->socket != INVALID_SOCKET) closesocket(made->socket);
        for (HANDLE event : {made->stop, made->ending, made->atRest})
            if (event) CloseHandle(event);
        delete made;
        WSACleanup();
        const std::string why = "the output could not start (error " + std::to_string(error) + ")";
        return off("\"reason\":" + json(why), why);
    }
    output = made;
    phase = Phase::running;
    const LightsConfig& config = made->config;
    status += std::string("Sending: ") + (config.protocol == LightsProtocol::e131 ? "E1.31" : "Art-Net") + " to " +
              ipv4Text(lightsDestination(config)) + ":" + std::to_string(lightsPort(config)) + ", universe " +
              std::to_string(config.universe) + ", " + std::to_string(config.rate) + " frames a second" +
              (config.protocol == LightsProtocol::e131 ? ", as the source \"" + made->source.name + "\" " +
                                                             cidText(made->source.cid) + " (this run only)"
                                                       : std::string()) +
              (made->preview ? ", a preview: a full-screen run takes the lights from it" : "") + "\r\n" + journalLine;
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
    for (HANDLE handle : {ending->thread, ending->stop, ending->ending, ending->atRest})
        if (handle) CloseHandle(handle);
    delete ending;
    WSACleanup();
}
}  // namespace

void prepareLightsOutput() {
    InitializeCriticalSection(&outputLock);
    QueryPerformanceFrequency(&ticksPerSecond);
}

std::string lightsPlay(const ParsedScript& script) {
    std::string account, status;
    std::wstring statusFile;
    EnterCriticalSection(&outputLock);
    if (phase == Phase::unread) {
        account = startOutput(status);
        statusFile = statusPath(configPath());
    }
    if (phase == Phase::running) output->room.play(script, nowUs() / 1000);
    LeaveCriticalSection(&outputLock);
    if (!status.empty()) writeStatus(statusFile, status);
    return account;
}

void lightsObjectMade() { ++liveObjects; }

void lightsObjectReleased() {
    if (--liveObjects == 0) stopOutput();
}
