#pragma once
#include <GL/glx.h>

#include "x11/draw_window.h"

// A GLX context drawing into the target window. The daemon makes its window with a visual fit for
// GL when the program is listed as a GL one; a window whose visual is not (a plain preview box, a
// root window on an odd server) gets a child window of a fitting visual that covers it.
struct GlxSurface {
    GLXContext context = nullptr;
    Window drawable = 0;      // the target window, or the covering child
    bool coveringChild = false;
};

// Makes the context current on this thread; false when the display offers no fitting visual, and
// then nothing is drawn while everything else runs.
bool startGlxSurface(DrawWindow& target, GlxSurface& surface);

// Follows a new size of the target window.
void resizeGlxSurface(DrawWindow& target, GlxSurface& surface, int width, int height);

void swapGlxSurface(DrawWindow& target, GlxSurface& surface);

void stopGlxSurface(DrawWindow& target, GlxSurface& surface);
