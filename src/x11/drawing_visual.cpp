#include "x11/drawing_visual.h"

XVisualInfo* chooseDrawingVisual(Display* display) {
    int errorBase = 0, eventBase = 0;
    if (!glXQueryExtension(display, &errorBase, &eventBase)) return nullptr;
    int wanted[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                    GLX_DEPTH_SIZE, 16, None};
    return glXChooseVisual(display, DefaultScreen(display), wanted);
}
