#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>

#include "resources/resource_ids.h"

// What the desktop and the settings dialog take from the built zovi.scr itself: the resource
// compiler's output is what a user gets.
TEST(BuiltResources, DialogNameIconsVersionAndManifestAreInTheProgram) {
    HMODULE saver = LoadLibraryExA(ZOVI_SCR_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(saver) << ZOVI_SCR_PATH;
    const WORD ukEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK);
    EXPECT_TRUE(FindResourceExA(saver, RT_DIALOG, MAKEINTRESOURCEA(IDD_SETTINGS), ukEnglish));
    char name[64] = {};
    LoadStringA(saver, IDS_DESCRIPTION, name, sizeof name);
    EXPECT_STREQ(name, "Zovi Logo Screensaver") << "the name the desktop lists";

    // Twelve icon images: 48, 32 and 16 pixels, each at 1, 4, 8 and 32 bits.
    HRSRC group = FindResourceExA(saver, RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_ZOVI), ukEnglish);
    ASSERT_TRUE(group);
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(saver, group)));
    std::set<std::pair<int, int>> found, designed;
    WORD count = 0;
    std::memcpy(&count, bytes + 4, sizeof count);
    for (int i = 0; i < count; ++i) {
        const unsigned char* entry = bytes + 6 + 14 * i;
        WORD bits = 0;
        std::memcpy(&bits, entry + 6, sizeof bits);
        found.insert({entry[0], bits});
    }
    for (int width : {48, 32, 16})
        for (int bits : {1, 4, 8, 32}) designed.insert({width, bits});
    EXPECT_EQ(found, designed);

    HRSRC manifest = FindResourceA(saver, MAKEINTRESOURCEA(1), RT_MANIFEST);
    ASSERT_TRUE(manifest);
    const std::string text(static_cast<const char*>(LockResource(LoadResource(saver, manifest))),
                           SizeofResource(saver, manifest));
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    FreeLibrary(saver);

    DWORD ignored = 0;
    EXPECT_GT(GetFileVersionInfoSizeA(ZOVI_SCR_PATH, &ignored), 0u) << "version information";
}

TEST(BuiltResources, TheManifestBringsCommonControlsSix) {
    // This test program carries the same resources, so the platform acts on the same manifest:
    // common controls 6 come from the side-by-side store, not from the system folder.
    char path[MAX_PATH] = {};
    GetModuleFileNameA(LoadLibraryA("comctl32.dll"), path, sizeof path);
    CharLowerA(path);
    EXPECT_NE(std::string(path).find("common-controls_6595b64144ccf1df_6.0."), std::string::npos) << path;
}
