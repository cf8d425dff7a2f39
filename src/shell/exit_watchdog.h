#pragma once

// Once the saver window is being destroyed the process must end within a few seconds, whatever
// another component does: an engine call that never returns on the animation thread, or a server
// thread that never ends, would otherwise hold the window's destruction forever, and a window that
// still exists makes every later full-screen start bring it to the front and leave. The watchdog
// armed at WM_DESTROY ends the process if the orderly way has not by then; the logo it leaves
// behind is never destroyed while its thread may still use it. There is one watchdog per process,
// armed at most once, by the window the process ends with; it lives until the process ends.
void armExitWatchdog(bool win9xPlatform);

// How long the orderly end may take before the watchdog ends the process.
constexpr unsigned kExitWatchdogMs = 3000;
