#include <windows.h>

#include "shell/entry.h"

// The runtime's start-up lands here; the entry reads the command line itself.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { saverEntry(); }
