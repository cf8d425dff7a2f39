#pragma once
#include <windows.h>

// Asks for a double-buffered 32-bit RGBA window format with a 16-bit depth buffer and sets the
// closest one the platform offers on the device context. Failure leaves the context as it was.
void setUpPixelFormat(HDC deviceContext);
