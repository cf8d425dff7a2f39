#pragma once
#include <cstdint>

// The platform's message, command and power-event numbers the saver's rules are written in, for the pure core
// that does not include the platform's headers.
namespace msg {
constexpr std::uint32_t WM_CREATE_ = 0x0001, WM_DESTROY_ = 0x0002, WM_SETTEXT_ = 0x000C,
                        WM_PAINT_ = 0x000F, WM_CLOSE_ = 0x0010, WM_SHOWWINDOW_ = 0x0018,
                        WM_ACTIVATEAPP_ = 0x001C, WM_SETCURSOR_ = 0x0020, WM_POWER_ = 0x0048,
                        WM_HELP_ = 0x0053, WM_CONTEXTMENU_ = 0x007B, WM_NCHITTEST_ = 0x0084,
                        WM_KEYDOWN_ = 0x0100, WM_SYSKEYDOWN_ = 0x0104, WM_SYSCOMMAND_ = 0x0112,
                        WM_TIMER_ = 0x0113, WM_MOUSEMOVE_ = 0x0200, WM_LBUTTONDOWN_ = 0x0201,
                        WM_RBUTTONDOWN_ = 0x0204, WM_MBUTTONDOWN_ = 0x0207,
                        WM_POWERBROADCAST_ = 0x0218;
// WM_POWER's critical resume; WM_POWERBROADCAST's events and its resumed-from-failure flag.
constexpr std::uintptr_t PWR_CRITICALRESUME_ = 3;
constexpr std::uintptr_t PBT_APMRESUMECRITICAL_ = 0x0006, PBT_APMRESUMESUSPEND_ = 0x0007,
                         PBT_APMRESUMESTANDBY_ = 0x0008, PBT_APMPOWERSTATUSCHANGE_ = 0x000A,
                         PBT_APMRESUMEAUTOMATIC_ = 0x0012;
constexpr std::intptr_t PBTF_APMRESUMEFROMFAILURE_ = 1;
constexpr std::uintptr_t SC_NEXTWINDOW_ = 0xF040, SC_PREVWINDOW_ = 0xF050, SC_SCREENSAVE_ = 0xF140,
                         SC_MONITORPOWER_ = 0xF170;
}  // namespace msg
