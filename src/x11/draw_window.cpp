#include "x11/draw_window.h"

#include <X11/Xatom.h>
#include <unistd.h>

#include "x11/drawing_visual.h"

namespace {
bool xErrorSeen = false;

int noteXError(Display*, XErrorEvent*) {
    xErrorSeen = true;
    return 0;
}

// The connection itself is gone: nothing is left to draw for or to tear down.
int endOnLostDisplay(Display*) { _exit(1); }

// A window as the Windows saver's full screen is: covering the screen, black, no cursor.
Window makeOwnWindow(DrawWindow& target) {
    Display* display = target.display;
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    target.width = DisplayWidth(display, screen);
    target.height = DisplayHeight(display, screen);
    XSetWindowAttributes attributes = {};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.border_pixel = 0;
    attributes.event_mask = KeyPressMask | ButtonPressMask | PointerMotionMask | StructureNotifyMask;
    unsigned long chosen = CWBackPixel | CWBorderPixel | CWEventMask;
    int depth = CopyFromParent;
    Visual* visual = CopyFromParent;
    // Without GLX the window is made all the same: it stays black while the logo runs undrawn.
    if (XVisualInfo* drawing = chooseDrawingVisual(display)) {
        depth = drawing->depth;
        visual = drawing->visual;
        attributes.colormap = XCreateColormap(display, root, visual, AllocNone);
        chosen |= CWColormap;
        XFree(drawing);
    }
    const Window window = XCreateWindow(display, root, 0, 0, static_cast<unsigned>(target.width),
                                        static_cast<unsigned>(target.height), 0, depth, InputOutput, visual,
                                        chosen, &attributes);
    XStoreName(display, window, "Zovi Logo Screensaver");
    target.deleteRequest = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &target.deleteRequest, 1);
    Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&fullScreen), 1);
    static char noBits[1] = {0};
    const Pixmap blank = XCreateBitmapFromData(display, window, noBits, 1, 1);
    XColor black = {};
    const Cursor hidden = XCreatePixmapCursor(display, blank, blank, &black, &black, 0, 0);
    XDefineCursor(display, window, hidden);
    XFreePixmap(display, blank);
    Window ignoredWindow;
    int ignored;
    unsigned ignoredMask;
    XQueryPointer(display, root, &ignoredWindow, &ignoredWindow, &target.pointerX, &target.pointerY, &ignored,
                  &ignored, &ignoredMask);
    const int widthMm = DisplayWidthMM(display, screen);
    if (widthMm > 0) target.dotsPerInch = static_cast<unsigned>(target.width * 254 / (widthMm * 10));
    return window;
}
}  // namespace

bool openDrawWindow(const ProgramOptions& options, DrawWindow& target, std::string& error) {
    target.display = XOpenDisplay(nullptr);
    if (!target.display) {
        error = "cannot open the display";
        return false;
    }
    XSetErrorHandler(noteXError);
    XSetIOErrorHandler(endOnLostDisplay);
    if (options.target == DrawTargetKind::OwnWindow) {
        target.own = true;
        target.window = makeOwnWindow(target);
        return true;
    }
    target.window = options.target == DrawTargetKind::RootWindow ? DefaultRootWindow(target.display)
                                                                  : static_cast<Window>(options.windowId);
    XWindowAttributes attributes = {};
    if (!XGetWindowAttributes(target.display, target.window, &attributes)) {
        error = "no such window";
        return false;
    }
    target.width = attributes.width;
    target.height = attributes.height;
    // Only the window's own changes: size and destruction. Input is the daemon's to judge.
    XSelectInput(target.display, target.window, StructureNotifyMask);
    XSync(target.display, False);
    if (xErrorSeen) error = "no such window";  // gone between the look and the selection
    return !xErrorSeen;
}

void showDrawWindow(DrawWindow& target) {
    if (target.own) XMapRaised(target.display, target.window);
    // What the GL set-up met while it probed the server is not the window's end; from here on an
    // error is. A window destroyed meanwhile still sends its DestroyNotify.
    XSync(target.display, False);
    xErrorSeen = false;
}

void closeDrawWindow(DrawWindow& target) {
    if (!target.display) return;
    if (target.own) XDestroyWindow(target.display, target.window);
    XCloseDisplay(target.display);
    target.display = nullptr;
}

bool drawWindowFailed() { return xErrorSeen; }
