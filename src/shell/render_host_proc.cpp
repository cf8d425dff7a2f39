#include "effects/effects_client.h"
#include "settings/settings_store.h"
#include "shell/saver_window.h"

LRESULT renderHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SaverWindow* saver = saverWindowOf(window);
    if (!saver) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        createRenderSession(saver->render, window, loadSettings(), kEngineEffectsClient);
        return 0;
    case WM_TIMER: renderTick(saver->render); return 0;
    case WM_DESTROY: destroyRenderSession(saver->render, window); return 0;
    default: return defaultSaverProc(window, message, wParam, lParam);
    }
}
