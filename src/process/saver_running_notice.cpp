#include "process/saver_running_notice.h"

void setSaverRunning(bool win9xPlatform, BOOL on) {
    if (!win9xPlatform) return;
    UINT previous = 0;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, static_cast<UINT>(on), &previous, 0);
}
