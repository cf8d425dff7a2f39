#pragma once

// SIGTERM, SIGINT and SIGHUP become a byte on a pipe that the frame loop waits on beside the X
// connection, so an end request wakes it at once and the program ends through its ordinary
// teardown rather than inside a signal handler. Gives the pipe's reading end, or -1.
int watchEndSignals();

// Whether an end signal has arrived.
bool endSignalled();

// A program drawing into a window that another process gave it belongs to that process: when the
// parent dies (a settings dialog's preview closed by force) it is sent SIGTERM. False when the
// parent had already gone before this was set.
bool endWithParent();
