#include "process/saver_running_notice.h"

void setSaverRunning(bool olderFamily, BOOL on) {
    if (!olderFamily) return;
    UINT previous = 0;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, static_cast<UINT>(on), &previous, 0);
}
