#pragma once
#include <GL/glx.h>

// The visual of the Windows saver's pixel format: RGBA, double-buffered, a 16-bit depth buffer. An
// own window is made with it; so is the covering child of a window whose visual GL cannot draw
// into. A packed 24-bit depth and 8-bit stencil buffer, which a server's default visual often has,
// costs a software rasteriser a third more per frame to clear. Null when the display has none.
XVisualInfo* chooseDrawingVisual(Display* display);
