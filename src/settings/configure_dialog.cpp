#include "settings/configure_dialog.h"

#include "resources/resource_ids.h"
#include "settings/settings_store.h"

namespace {
void check(HWND dialog, int control) {
    SendDlgItemMessageA(dialog, control, BM_SETCHECK, BST_CHECKED, 0);
}

bool isChecked(HWND dialog, int control) {
    return SendDlgItemMessageA(dialog, control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The controls of false settings are left alone: they start unchecked.
void showSettings(HWND dialog) {
    const SaverSettings settings = loadSettings();
    check(dialog, settings.fadeToBackground ? IDC_FADE_TO_BACKGROUND : IDC_FADE_TO_BLACK);
    if (settings.lightsEnabled) check(dialog, IDC_LIGHTS);
    if (settings.fansEnabled) check(dialog, IDC_FANS);
    if (settings.rumblesEnabled) check(dialog, IDC_RUMBLES);
}

// Ends with 1 only once the choices are in the file. A save that failed leaves the old file whole,
// as Cancel does, and so ends with Cancel's 0: whoever started the dialog is never told the choices
// were kept when they were not.
void acceptSettings(HWND dialog) {
    SaverSettings chosen;
    chosen.fadeToBackground = isChecked(dialog, IDC_FADE_TO_BACKGROUND);
    chosen.lightsEnabled = isChecked(dialog, IDC_LIGHTS);
    chosen.fansEnabled = isChecked(dialog, IDC_FANS);
    chosen.rumblesEnabled = isChecked(dialog, IDC_RUMBLES);
    EndDialog(dialog, saveSettings(chosen) ? 1 : 0);
}
}  // namespace

BOOL dialogClassHook(HINSTANCE) { return TRUE; }

INT_PTR CALLBACK configureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        showSettings(dialog);
        return FALSE;  // no focus is set: the dialog opens with none
    case WM_COMMAND:
        // Buttons send their own notifications here as well; only OK and Cancel act.
        if (LOWORD(wParam) == IDOK) acceptSettings(dialog);
        if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    case WM_DESTROY: return TRUE;
    default: return FALSE;
    }
}

INT_PTR showConfigureDialog(HINSTANCE instance, HWND owner) {
    if (!dialogClassHook(instance)) return 0;
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), owner, configureDialogProc, 0);
}
