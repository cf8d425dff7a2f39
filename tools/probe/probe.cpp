// zovi-probe: a small Windows tool that looks at and talks to a running saver from outside, the way
// the desktop and the Control Panel do. Used by the end-to-end tests, the run command and the soak.
//
//   zovi-probe find CLASS TITLE           the window's handle in decimal (0: none)
//   zovi-probe rect HWND                  window rectangle in screen coordinates, or "none"
//   zovi-probe client HWND                client area in screen coordinates, or "none"
//   zovi-probe item HWND ID               the handle of dialog HWND's control ID in decimal (0: none)
//   zovi-probe send HWND MSG WPARAM LPARAM [TEXT]
//                                         SendMessage (TEXT as lParam when given); prints the result
//   zovi-probe post HWND MSG WPARAM LPARAM [COUNT]
//                                         PostMessage, COUNT times in a row (default once)
//   zovi-probe message-number NAME        the number RegisterWindowMessage gives NAME
//   zovi-probe pid NAME                   the Windows process id of the running program NAME (0: none)
//   zovi-probe stats PID                  handles, private bytes and threads of a Windows process
//   zovi-probe saver-running              1 while the system is told a password-protected saver runs
//   zovi-probe preview SCR [WIDTH HEIGHT] a top-level window standing in for the Control Panel's
//                                         preview box: starts "SCR /p HANDLE" inside it and takes
//                                         commands on standard input (help, contextmenu, close)
#include <windows.h>
#include <winternl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
HWND handleFrom(const char* text) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text, nullptr, 0)));
}
UINT_PTR numberFrom(const char* text) { return static_cast<UINT_PTR>(std::strtoull(text, nullptr, 0)); }

int findWindow(const char* className, const char* title) {
    std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(FindWindowA(className, title))));
    return 0;
}

int printRect(HWND window, bool clientArea) {
    RECT r;
    if (!IsWindow(window)) {
        std::printf("none\n");
        return 1;
    }
    if (clientArea) {
        GetClientRect(window, &r);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    } else {
        GetWindowRect(window, &r);
    }
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
}

// What a soak watches: handles, private bytes (the page-file commit) and threads of a process, on
// one line. The system's process list has them for every process.
int printProcessStats(DWORD pid) {
    using QueryFn = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    static char buffer[1 << 20];
    ULONG length = 0;
    if (!query || query(SystemProcessInformation, buffer, sizeof buffer, &length) != 0) {
        std::printf("none\n");
        return 1;
    }
    for (const char* entry = buffer;;) {
        const auto* process = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(entry);
        if (reinterpret_cast<UINT_PTR>(process->UniqueProcessId) == pid) {
            std::printf("handles=%lu private=%lu threads=%lu\n", process->HandleCount,
                        static_cast<unsigned long>(process->VirtualMemoryCounters.PagefileUsage), process->NumberOfThreads);
            return 0;
        }
        if (!process->NextEntryOffset) break;
        entry += process->NextEntryOffset;
    }
    std::printf("none\n");
    return 1;
}

// The Windows process id of the program whose image is name, 0 when none runs.
int printProcessId(const char* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
        if (!lstrcmpiA(entry.szExeFile, name)) found = entry.th32ProcessID;
    CloseHandle(snapshot);
    std::printf("%lu\n", found);
    return 0;
}

int sendMessage(int argc, char** argv) {
    const LPARAM lParam = argc > 6 ? reinterpret_cast<LPARAM>(argv[6]) : static_cast<LPARAM>(numberFrom(argv[5]));
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(handleFrom(argv[2]), static_cast<UINT>(numberFrom(argv[3])), numberFrom(argv[4]),
                             lParam, SMTO_ABORTIFHUNG, 5000, &result)) {
        std::printf("failed\n");
        return 1;
    }
    std::printf("%ld\n", static_cast<long>(result));
    return 0;
}

// The preview host.
constexpr UINT kCommandMessage = WM_APP + 1;
enum Command : WPARAM { kHelp = 1, kContextMenu, kClose };
HWND hostWindow;
HWND previewChild;

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        std::printf("received %s wparam-is-host=%d lparam=%ld\n", message == WM_HELP ? "help" : "contextmenu",
                    reinterpret_cast<HWND>(wParam) == window ? 1 : 0, static_cast<long>(lParam));
        std::fflush(stdout);
        return 0;
    case kCommandMessage:
        if (wParam == kHelp) {
            // WM_HELP carries a pointer, so it can only be sent, never posted.
            HELPINFO help = {};
            help.cbSize = sizeof help;
            help.iContextType = HELPINFO_WINDOW;
            DWORD_PTR answer = 0;
            SendMessageTimeoutA(previewChild, WM_HELP, 0, reinterpret_cast<LPARAM>(&help),
                                SMTO_ABORTIFHUNG, 5000, &answer);
            std::printf("help answered %ld\n", static_cast<long>(answer));
            std::fflush(stdout);
        }
        if (wParam == kContextMenu) PostMessageA(previewChild, WM_CONTEXTMENU, 0, 5678);
        if (wParam == kClose) PostMessageA(previewChild, WM_CLOSE, 0, 0);
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

DWORD WINAPI readCommands(LPVOID) {
    char line[256];
    while (std::fgets(line, sizeof line, stdin)) {
        WPARAM command = 0;
        if (!std::strncmp(line, "help", 4)) command = kHelp;
        if (!std::strncmp(line, "contextmenu", 11)) command = kContextMenu;
        if (!std::strncmp(line, "close", 5)) command = kClose;
        if (command) PostMessageA(hostWindow, kCommandMessage, command, 0);
    }
    return 0;
}

int previewHost(const char* scr, int width, int height) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = hostProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = "ZoviPreviewHost";
    RegisterClassA(&windowClass);
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    hostWindow = CreateWindowExA(0, "ZoviPreviewHost", "Zovi preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 40, 40, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                 windowClass.hInstance, nullptr);
    std::string commandLine = std::string("\"") + scr + "\" /p " +
                              std::to_string(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hostWindow)));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION saver = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &saver)) {
        std::printf("saver-not-started\n");
        return 1;
    }
    std::printf("host %lu\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hostWindow)));
    // Commands wait until the saver's child is there (or has had ten seconds to appear).
    for (int waited = 0; waited < 1000 && !previewChild; ++waited) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        previewChild = FindWindowExA(hostWindow, nullptr, "WindowsScreenSaverClass", "Preview");
        if (!previewChild && WaitForSingleObject(saver.hProcess, 10) == WAIT_OBJECT_0) break;
    }
    std::printf("child %lu\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(previewChild)));
    std::fflush(stdout);
    CreateThread(nullptr, 0, readCommands, nullptr, 0, nullptr);
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &saver.hProcess, FALSE, INFINITE, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0) break;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(saver.hProcess, &exitCode);
    std::printf("saver-exit %ld\n", static_cast<long>(static_cast<LONG>(exitCode)));
    std::fflush(stdout);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    const std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "find" && argc == 4) return findWindow(argv[2], argv[3]);
    if (verb == "rect" && argc == 3) return printRect(handleFrom(argv[2]), false);
    if (verb == "client" && argc == 3) return printRect(handleFrom(argv[2]), true);
    if (verb == "item" && argc == 4) {
        HWND item = GetDlgItem(handleFrom(argv[2]), static_cast<int>(std::strtol(argv[3], nullptr, 0)));
        std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(item)));
        return 0;
    }
    if (verb == "send" && argc >= 6) return sendMessage(argc, argv);
    if (verb == "post" && argc >= 6) {
        const int count = argc > 6 ? std::atoi(argv[6]) : 1;
        for (int i = 0; i < count; ++i)
            if (!PostMessageA(handleFrom(argv[2]), static_cast<UINT>(numberFrom(argv[3])), numberFrom(argv[4]),
                              static_cast<LPARAM>(numberFrom(argv[5]))))
                return 1;
        return 0;
    }
    if (verb == "message-number" && argc == 3) {
        std::printf("%u\n", RegisterWindowMessageA(argv[2]));
        return 0;
    }
    if (verb == "stats" && argc == 3) return printProcessStats(static_cast<DWORD>(numberFrom(argv[2])));
    if (verb == "pid" && argc == 3) return printProcessId(argv[2]);
    if (verb == "saver-running") {
        BOOL running = FALSE;
        SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
        std::printf("%d\n", running ? 1 : 0);
        return 0;
    }
    if (verb == "preview" && argc >= 3)
        return previewHost(argv[2], argc > 4 ? std::atoi(argv[3]) : 152, argc > 4 ? std::atoi(argv[4]) : 112);
    std::fprintf(stderr, "usage: see the comment at the top of tools/probe/probe.cpp\n");
    return 2;
}
