#include "lights_platform.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {
constexpr std::size_t kLongestConfigBytes = 64 * 1024;

std::mutex outputLock;

std::string environmentPath(const char* name) {
    const char* value = std::getenv(name);
    return value && *value == '/' ? value : "";  // XDG: a relative path is to be ignored
}
}  // namespace

// The thread is woken through a pipe: a poll on it is the tick's wait, and its write end is closed to
// ask for the end. Nothing outside the program asks this program's devices to rest: it ends its run
// by releasing the engine's objects.
struct LightsLink {
    int socket = -1;
    sockaddr_in to{};
    int wakeRead = -1, wakeWrite = -1;
    std::atomic<bool> stopAsked{false};
    pthread_t thread{};
    void (*body)(void*) = nullptr;
    void* argument = nullptr;
};

const char kStatusLineEnd[] = "\n";

std::int64_t lightsNowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string lightsLocalTimeText() {
    const time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

// ZOVI_ROOM_CONFIG when set; otherwise zovi/room.txt in the user's configuration folder (XDG).
std::string lightsConfigPath() {
    const char* named = std::getenv("ZOVI_ROOM_CONFIG");
    if (named && *named) return named;
    const std::string config = environmentPath("XDG_CONFIG_HOME");
    if (!config.empty()) return config + "/zovi/room.txt";
    const std::string home = environmentPath("HOME");
    return home.empty() ? std::string() : home + "/.config/zovi/room.txt";
}

// room-status.txt beside the configuration: what this run made of it, for a person whose lights
// stay dark.
std::string lightsStatusPath(const std::string& config) {
    const std::size_t slash = config.find_last_of('/');
    return (slash == std::string::npos ? std::string() : config.substr(0, slash + 1)) + "room-status.txt";
}

bool readLightsConfigText(const std::string& path, std::string& text, std::string& reason) {
    const int file = path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        const int error = errno;
        reason = path.empty() || error == ENOENT || error == ENOTDIR
                     ? "no configuration"
                     : "the configuration could not be opened (error " + std::to_string(error) + ")";
        return false;
    }
    text.assign(kLongestConfigBytes + 1, '\0');
    std::size_t read = 0;
    bool ok = true;
    while (read < text.size()) {
        const ssize_t got = ::read(file, &text[read], text.size() - read);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        read += static_cast<std::size_t>(got);
    }
    close(file);
    text.resize(read);
    if (!ok) reason = "the configuration could not be read";
    else if (read > kLongestConfigBytes) reason = "the configuration is larger than 64 KB";
    return reason.empty();
}

void writeLightsStatus(const std::string& path, const std::string& text) {
    const std::string fresh = path + "." + std::to_string(getpid()) + ".new";
    const int file = open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0) return;
    const bool whole = write(file, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(file);
    if (!whole || rename(fresh.c_str(), path.c_str()) != 0) unlink(fresh.c_str());
}

// The X11 daemons run one program at a time for the screen; a settings dialog's preview is a run
// of its own, with its own source, and takes nothing from another.
bool lightsPreviewProcess() { return false; }

E131Source lightsSourceOfThisProcess() {
    char name[256] = {};
    const std::string computer = gethostname(name, sizeof name - 1) == 0 ? name : "";
    timespec started{};
    clock_gettime(CLOCK_REALTIME, &started);  // first asked as the output starts, once a process
    static const std::string process = std::to_string(getpid()) + "@" + std::to_string(started.tv_sec) + "." +
                                       std::to_string(started.tv_nsec);
    return {stableCid(computer + "/" + process),
            computer.empty() ? "Zovi Logo Screensaver" : "Zovi Logo Screensaver (" + computer + ")"};
}

void makeLightsLock() {}
void takeLightsLock() { outputLock.lock(); }
void leaveLightsLock() { outputLock.unlock(); }

namespace {
void freeLink(LightsLink* link) {
    for (int file : {link->wakeRead, link->wakeWrite})
        if (file >= 0) close(file);
    delete link;
}

// Signals are the program's to take, on its own threads.
void* runBody(void* parameter) {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);
    const LightsLink& link = *static_cast<LightsLink*>(parameter);
    link.body(link.argument);
    return nullptr;
}
}  // namespace

LightsLink* openLightsLink(std::uint32_t address, std::uint16_t port, bool& opened, std::string& why) {
    LightsLink* link = new LightsLink;
    link->to.sin_family = AF_INET;
    link->to.sin_port = htons(port);
    link->to.sin_addr.s_addr = htonl(address);
    // Non-blocking: a full buffer is a counted error, never a wait.
    link->socket = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
    opened = link->socket >= 0;
    int wake[2] = {-1, -1};
    if (opened && pipe2(wake, O_CLOEXEC) == 0) {
        link->wakeRead = wake[0];
        link->wakeWrite = wake[1];
        return link;
    }
    const int error = errno;
    if (opened) close(link->socket);
    freeLink(link);
    why = "the output could not start (error " + std::to_string(error) + ")";
    return nullptr;
}

bool runLightsThread(LightsLink* link, void (*body)(void*), void* argument, std::string& why) {
    link->body = body;
    link->argument = argument;
    const int failed = pthread_create(&link->thread, nullptr, runBody, link);
    if (!failed) return true;
    close(link->socket);
    freeLink(link);
    why = "the output could not start (error " + std::to_string(failed) + ")";
    return false;
}

bool sendLightsPacket(LightsLink* link, const std::vector<std::uint8_t>& packet, int& error) {
    const ssize_t sent = sendto(link->socket, packet.data(), packet.size(), MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&link->to), sizeof link->to);
    if (sent == static_cast<ssize_t>(packet.size())) return true;
    error = sent < 0 ? errno : 0;
    return false;
}

bool waitLightsTick(LightsLink* link, std::int64_t waitUs) {
    pollfd wake{link->wakeRead, POLLIN, 0};
    const int waitMs = static_cast<int>((waitUs + 999) / 1000);
    return poll(&wake, 1, waitMs) > 0 || link->stopAsked;
}

bool lightsStopAsked(LightsLink* link) { return link->stopAsked; }

void claimLights(LightsLink*) {}
bool lightsHeldElsewhere(LightsLink*) { return false; }

void closeLightsLink(LightsLink* link) { close(link->socket); }

void lightsAtRest(LightsLink*) {}

bool stopLightsThread(LightsLink* link, unsigned ms) {
    link->stopAsked = true;
    close(link->wakeWrite);  // the thread's poll sees the pipe's end
    link->wakeWrite = -1;
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += ms / 1000;
    deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000;
    if (deadline.tv_nsec >= 1000000000) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000;
    }
    if (pthread_timedjoin_np(link->thread, nullptr, &deadline) != 0) return false;
    freeLink(link);
    return true;
}
