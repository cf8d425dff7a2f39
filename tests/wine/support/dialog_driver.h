#pragma once
#include <windows.h>

#include <functional>

// Shows the settings dialog the way the shell does (showConfigureDialog with no owner) and, from a
// second thread, runs script on it once it is on screen: input reaches the dialog from outside its
// modal loop, as a user's does. A script that leaves the dialog open gets it cancelled after a
// while, and the run reports that, so a broken dialog fails a test instead of hanging it.
struct DialogRun {
    INT_PTR result = -2;
    bool appeared = false;      // the dialog came up and the script ran
    bool endedByScript = true;  // false: the script left it open and it had to be cancelled
};
DialogRun runSettingsDialog(const std::function<void(HWND dialog)>& script);

// The state of one of the dialog's buttons (BST_CHECKED or BST_UNCHECKED), asked from outside.
LRESULT buttonState(HWND dialog, int control);

// Clicks a button as a mouse click does: it changes its state and notifies the dialog.
void clickButton(HWND dialog, int control);

// A key pressed and released in the dialog's thread: the modal loop hands it to the dialog
// manager, which moves the focus, presses the default button or cancels.
void pressKey(HWND dialog, UINT key);

// The control that has the keyboard focus in the dialog's thread.
HWND focusedWindow(HWND dialog);
