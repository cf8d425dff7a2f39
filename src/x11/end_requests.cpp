#include "x11/end_requests.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <initializer_list>

namespace {
int endPipe[2] = {-1, -1};
std::atomic<bool> signalled{false};

void noteEndSignal(int) {
    signalled = true;
    const char byte = 1;
    // A full pipe already holds a wake-up; nothing more to do when the write fails.
    [[maybe_unused]] const ssize_t written = write(endPipe[1], &byte, 1);
}
}  // namespace

int watchEndSignals() {
    if (pipe2(endPipe, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    struct sigaction action = {};
    action.sa_handler = noteEndSignal;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) sigaction(signalNumber, &action, nullptr);
    return endPipe[0];
}

bool endSignalled() { return signalled; }

bool endWithParent() {
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    return getppid() == parent;
}
