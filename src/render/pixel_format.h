#pragma once
#include <windows.h>

// Asks for a double-buffered 32-bit RGBA window format with a 16-bit depth buffer and sets the
// closest one the platform offers on the device context. False when none fits or it cannot be set;
// the context is then left as it was.
bool setUpPixelFormat(HDC deviceContext);
