#include "render/pixel_format.h"

#include "process/failed_step.h"

bool setUpPixelFormat(HDC deviceContext) {
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.cDepthBits = 16;
    format.iLayerType = PFD_MAIN_PLANE;
    const int chosen = ChoosePixelFormat(deviceContext, &format);
    if (chosen == 0) {
        reportFailedStep("ChoosePixelFormat");
        return false;
    }
    if (SetPixelFormat(deviceContext, chosen, &format)) return true;
    reportFailedStep("SetPixelFormat");
    return false;
}

static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "the descriptor's size field is 40");
