#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "resources/resource_ids.h"

// What the desktop and the settings dialog take from the built zovi.scr itself: the resource
// compiler's output is what a user gets. Its version is the install suite's part.
TEST(BuiltResources, DialogNameIconAndManifestAreInTheProgram) {
    HMODULE saver = LoadLibraryExA(ZOVI_SCR_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const WORD ukEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK);
    EXPECT_TRUE(FindResourceExA(saver, RT_DIALOG, MAKEINTRESOURCEA(IDD_SETTINGS), ukEnglish));
    char name[64] = {};
    LoadStringA(saver, IDS_DESCRIPTION, name, sizeof name);
    EXPECT_STREQ(name, "Zovi Logo Screensaver") << "the name the desktop lists";
    EXPECT_TRUE(FindResourceExA(saver, RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_ZOVI), ukEnglish));
    // This test program carries the same resources, so the platform acts on the same manifest:
    // common controls 6 come from the side-by-side store, not from the system folder.
    char path[MAX_PATH] = {};
    GetModuleFileNameA(LoadLibraryA("comctl32.dll"), path, sizeof path);
    CharLowerA(path);
    EXPECT_NE(std::string(path).find("common-controls_6595b64144ccf1df_6.0."), std::string::npos) << path;
}
