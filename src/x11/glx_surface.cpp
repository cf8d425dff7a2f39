#include "x11/glx_surface.h"

#include <X11/Xutil.h>

#include "x11/drawing_visual.h"

namespace {
bool drawsWithGl(Display* display, XVisualInfo* visual) {
    int useGl = 0, doubleBuffered = 0, rgba = 0;
    return glXGetConfig(display, visual, GLX_USE_GL, &useGl) == 0 && useGl &&
           glXGetConfig(display, visual, GLX_DOUBLEBUFFER, &doubleBuffered) == 0 && doubleBuffered &&
           glXGetConfig(display, visual, GLX_RGBA, &rgba) == 0 && rgba;
}

XVisualInfo* visualOfWindow(Display* display, Window window) {
    XWindowAttributes attributes = {};
    if (!XGetWindowAttributes(display, window, &attributes)) return nullptr;
    XVisualInfo wanted = {};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    return XGetVisualInfo(display, VisualIDMask, &wanted, &count);
}

Window makeCoveringChild(DrawWindow& target, XVisualInfo* visual) {
    XSetWindowAttributes attributes = {};
    attributes.colormap = XCreateColormap(target.display, target.window, visual->visual, AllocNone);
    attributes.background_pixel = BlackPixel(target.display, DefaultScreen(target.display));
    attributes.border_pixel = 0;
    const Window child = XCreateWindow(target.display, target.window, 0, 0, static_cast<unsigned>(target.width),
                                       static_cast<unsigned>(target.height), 0, visual->depth, InputOutput,
                                       visual->visual, CWColormap | CWBackPixel | CWBorderPixel, &attributes);
    XMapWindow(target.display, child);
    return child;
}
}  // namespace

bool startGlxSurface(DrawWindow& target, GlxSurface& surface) {
    int errorBase = 0, eventBase = 0;
    if (!glXQueryExtension(target.display, &errorBase, &eventBase)) return false;
    XVisualInfo* visual = visualOfWindow(target.display, target.window);
    surface.drawable = target.window;
    if (!visual || !drawsWithGl(target.display, visual)) {
        if (visual) XFree(visual);
        visual = chooseDrawingVisual(target.display);
        if (!visual) return false;
        surface.drawable = makeCoveringChild(target, visual);
        surface.coveringChild = true;
    }
    surface.context = glXCreateContext(target.display, visual, nullptr, True);
    XFree(visual);
    if (!surface.context) return false;
    if (glXMakeCurrent(target.display, surface.drawable, surface.context)) return true;
    glXDestroyContext(target.display, surface.context);
    surface.context = nullptr;
    return false;
}

void resizeGlxSurface(DrawWindow& target, GlxSurface& surface, int width, int height) {
    target.width = width;
    target.height = height;
    if (surface.coveringChild)
        XResizeWindow(target.display, surface.drawable, static_cast<unsigned>(width), static_cast<unsigned>(height));
}

void swapGlxSurface(DrawWindow& target, GlxSurface& surface) { glXSwapBuffers(target.display, surface.drawable); }

void stopGlxSurface(DrawWindow& target, GlxSurface& surface) {
    if (!surface.context) return;
    glXMakeCurrent(target.display, None, nullptr);
    glXDestroyContext(target.display, surface.context);
    surface.context = nullptr;
}
