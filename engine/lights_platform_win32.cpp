#include "lights_platform.h"

#include <winsock2.h>
#include <windows.h>

#include <algorithm>

#include "process/effects_last_word.h"
#include "settings/app_data_folder.h"

namespace {
constexpr DWORD kLongestConfigBytes = 64 * 1024;
// Held by the lights thread of a full-screen saver for as long as it sends: the machine's lights have
// one owner at a time, and a preview in the Screen Saver settings gives them up while it is held.
const char kFullScreenLightsName[] = "Zovi room lights of a full-screen saver";
constexpr DWORD kTakeOverWaitMs = 1000;  // a preview holds the name only for a look

CRITICAL_SECTION outputLock;
LARGE_INTEGER ticksPerSecond;

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(size, 0)), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring wide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    if (size > 0) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size);
    return out;
}

std::string eventName(const char* prefix) { return prefix + std::to_string(GetCurrentProcessId()); }
}  // namespace

struct LightsLink {
    SOCKET socket = INVALID_SOCKET;
    sockaddr_in to{};
    HANDLE stop = nullptr;
    HANDLE thread = nullptr;
    HANDLE ending = nullptr, atRest = nullptr;  // the saver's last word (effects_last_word.h)
    HANDLE fullScreenLights = nullptr;
    bool owned = false;
    void (*body)(void*) = nullptr;
    void* argument = nullptr;
};

const char kStatusLineEnd[] = "\r\n";

std::int64_t lightsNowUs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<std::int64_t>(now.QuadPart / ticksPerSecond.QuadPart * 1000000 +
                                     now.QuadPart % ticksPerSecond.QuadPart * 1000000 / ticksPerSecond.QuadPart);
}

std::string lightsLocalTimeText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[32];
    wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
              now.wSecond);
    return text;
}

// ZOVI_ROOM_CONFIG when set; otherwise "Zovi Room.txt" beside the saver's settings file.
std::string lightsConfigPath() {
    wchar_t named[MAX_PATH + 1];
    const DWORD length = GetEnvironmentVariableW(L"ZOVI_ROOM_CONFIG", named, MAX_PATH + 1);
    if (length > 0 && length <= MAX_PATH) return utf8(std::wstring(named, length));
    const std::wstring folder = roamingAppDataFolder();
    return folder.empty() ? std::string() : utf8(folder + L"\\Zovi Room.txt");
}

// "Zovi Room status.txt" beside the configuration: what this run made of it, for a person whose
// lights stay dark; the journal, in a temporary folder, is no place to send them.
std::string lightsStatusPath(const std::string& config) {
    const std::size_t slash = config.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : config.substr(0, slash + 1)) + "Zovi Room status.txt";
}

bool readLightsConfigText(const std::string& path, std::string& text, std::string& reason) {
    const HANDLE file = path.empty() ? INVALID_HANDLE_VALUE
                                     : CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
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

void writeLightsStatus(const std::string& path, const std::string& text) {
    const std::wstring target = wide(path);
    const std::wstring fresh = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".new";
    const HANDLE file = CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string bytes = "\xEF\xBB\xBF" + text;  // UTF-8, marked so that every Notepad reads it so
    DWORD written = 0;
    const bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size();
    CloseHandle(file);
    if (!whole || !MoveFileExW(fresh.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) DeleteFileW(fresh.c_str());
}

// A preview in the Screen Saver settings (/p, or /l on the oldest systems) gives the lights to a
// full-screen run; any other host of the engine counts as a full-screen run.
bool lightsPreviewProcess() {
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

// A preview and a full-screen saver on one computer are two sources to a receiver, each with its own
// sequence.
E131Source lightsSourceOfThisProcess() {
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

void makeLightsLock() {
    InitializeCriticalSection(&outputLock);
    QueryPerformanceFrequency(&ticksPerSecond);
}

void takeLightsLock() { EnterCriticalSection(&outputLock); }
void leaveLightsLock() { LeaveCriticalSection(&outputLock); }

namespace {
void freeLink(LightsLink* link) {
    for (HANDLE handle : {link->thread, link->stop, link->ending, link->atRest, link->fullScreenLights})
        if (handle) CloseHandle(handle);
    delete link;
    WSACleanup();
}

DWORD WINAPI runBody(LPVOID parameter) {
    const LightsLink& link = *static_cast<LightsLink*>(parameter);
    link.body(link.argument);
    return 0;
}
}  // namespace

LightsLink* openLightsLink(std::uint32_t address, std::uint16_t port, bool& opened, std::string& why) {
    WSADATA winsock;
    if (const int failed = WSAStartup(MAKEWORD(2, 2), &winsock)) {
        why = "Winsock did not start (error " + std::to_string(failed) + ")";
        return nullptr;
    }
    LightsLink* link = new LightsLink;
    link->to.sin_family = AF_INET;
    link->to.sin_port = htons(port);
    link->to.sin_addr.s_addr = htonl(address);
    link->socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    opened = link->socket != INVALID_SOCKET;
    u_long nonBlocking = 1;
    if (opened) {
        ioctlsocket(link->socket, FIONBIO, &nonBlocking);  // a full buffer is a counted error, never a wait
        link->stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        link->ending = CreateEventA(nullptr, TRUE, FALSE, eventName(kEffectsEndingEventPrefix).c_str());
        link->atRest = CreateEventA(nullptr, TRUE, FALSE, eventName(kEffectsEndedEventPrefix).c_str());
    }
    if (opened && link->stop) return link;
    const int error = opened ? static_cast<int>(GetLastError()) : WSAGetLastError();
    if (opened) closesocket(link->socket);
    freeLink(link);
    why = "the output could not start (error " + std::to_string(error) + ")";
    return nullptr;
}

bool runLightsThread(LightsLink* link, void (*body)(void*), void* argument, std::string& why) {
    link->body = body;
    link->argument = argument;
    link->fullScreenLights = CreateMutexA(nullptr, FALSE, kFullScreenLightsName);
    link->thread = CreateThread(nullptr, 0, runBody, link, 0, nullptr);
    if (link->thread) return true;
    const int error = static_cast<int>(GetLastError());
    closesocket(link->socket);
    freeLink(link);
    why = "the output could not start (error " + std::to_string(error) + ")";
    return false;
}

bool sendLightsPacket(LightsLink* link, const std::vector<std::uint8_t>& packet, int& error) {
    const int sent = sendto(link->socket, reinterpret_cast<const char*>(packet.data()), static_cast<int>(packet.size()),
                            0, reinterpret_cast<const sockaddr*>(&link->to), sizeof link->to);
    if (sent == static_cast<int>(packet.size())) return true;
    error = sent == SOCKET_ERROR ? WSAGetLastError() : 0;
    return false;
}

bool waitLightsTick(LightsLink* link, std::int64_t waitUs) {
    const HANDLE wake[] = {link->stop, link->ending};
    const DWORD wakes = link->ending ? 2 : 1;
    return WaitForMultipleObjects(wakes, wake, FALSE, static_cast<DWORD>((waitUs + 999) / 1000)) != WAIT_TIMEOUT;
}

bool lightsStopAsked(LightsLink* link) { return WaitForSingleObject(link->stop, 0) == WAIT_OBJECT_0; }

void claimLights(LightsLink* link) {
    if (!link->fullScreenLights) return;
    const DWORD taken = WaitForSingleObject(link->fullScreenLights, kTakeOverWaitMs);
    link->owned = taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED;
}

bool lightsHeldElsewhere(LightsLink* link) {
    if (!link->fullScreenLights) return false;
    const DWORD look = WaitForSingleObject(link->fullScreenLights, 0);
    if (look == WAIT_OBJECT_0 || look == WAIT_ABANDONED) ReleaseMutex(link->fullScreenLights);
    return look == WAIT_TIMEOUT;
}

void closeLightsLink(LightsLink* link) {
    if (link->owned) ReleaseMutex(link->fullScreenLights);
    if (link->fullScreenLights) CloseHandle(link->fullScreenLights);
    link->fullScreenLights = nullptr;
    closesocket(link->socket);
}

void lightsAtRest(LightsLink* link) {
    if (link->atRest) SetEvent(link->atRest);
}

bool stopLightsThread(LightsLink* link, unsigned ms) {
    SetEvent(link->stop);
    if (WaitForSingleObject(link->thread, ms) != WAIT_OBJECT_0) return false;
    freeLink(link);
    return true;
}
