#pragma once
#include <X11/Xlib.h>

#include <string>

#include "x11/program_options.h"

// The X window the program draws for: one another program gave it (the screen-saver daemon's, a
// settings dialog's preview), the root window, or a full-screen window of its own. Everything the
// program keeps of the X side lives here.
struct DrawWindow {
    Display* display = nullptr;
    Window window = 0;       // the window drawn for; its destruction ends the program
    bool own = false;        // made here: it closes on a key, a button or mouse travel
    int width = 0;
    int height = 0;
    Atom deleteRequest = 0;  // own window: the window manager's close button
    int pointerX = 0;        // own window: where the pointer stood when it appeared
    int pointerY = 0;
    unsigned dotsPerInch = 96;
};

// Connects, installs the error handlers, and finds or makes the window. False with a message when
// there is no display or the given window does not exist.
bool openDrawWindow(const ProgramOptions& options, DrawWindow& target, std::string& error);

// Shows an own window, once its first frame can follow at once: not a black screen while GL loads.
// Ends the set-up: errors count from here on.
void showDrawWindow(DrawWindow& target);

// Destroys an own window and closes the connection.
void closeDrawWindow(DrawWindow& target);

// Whether the X server reported an error, as it does once the window drawn for was destroyed
// before the program noticed; the program then ends quietly instead of printing and exiting.
bool drawWindowFailed();
