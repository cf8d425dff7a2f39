#include <gtest/gtest.h>

#include <string>

#include "settings/settings_store.h"
#include "support/settings_files.h"

namespace {
std::string letters(const SaverSettings& s) {
    return {s.fadeToBackground ? 'T' : 'F', s.lightsEnabled ? 'T' : 'F', s.fansEnabled ? 'T' : 'F', s.rumblesEnabled ? 'T' : 'F'};
}

const std::string kAllFalseFile = "false\r\r\nfalse\r\r\nfalse\r\r\nfalse\r\r\n";
const SaverSettings kAllTrue = {true, true, true, true};
}  // namespace

TEST(SettingsFile, LivesInTheRoamingApplicationDataFolderAndIsReadInPiecesSharedWithOthers) {
    wchar_t folder[MAX_PATH] = {};  // as the environment names it to every program of the user
    GetEnvironmentVariableW(L"APPDATA", folder, MAX_PATH);
    EXPECT_EQ(settingsFilePath(), std::wstring(folder) + L"\\Zovi Logo Screensaver.txt");
    SettingsFileScope scope;
    EXPECT_EQ(letters(loadSettings()), "FTTF") << "no file: the defaults";
    // Past the first 512-byte piece of the file, a long first line shifts nothing.
    writeFileBytes(settingsFile(), std::string(1000, 'x') + "\r\r\ntrue\r\r\nfalse\r\r\ntrue\r");
    HANDLE other = CreateFileW(settingsFile().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(letters(loadSettings()), "FTFT");
    CloseHandle(other);
    EXPECT_TRUE(saveSettings(SaverSettings{true, false, true, false}));
    EXPECT_EQ(fileBytes(settingsFile()), "true\r\r\nfalse\r\r\ntrue\r\r\nfalse\r\r\n");
    // A file that cannot be opened gives the defaults, cannot be replaced, is whole afterwards, and
    // the save says it failed.
    HANDLE locked = CreateFileW(settingsFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(letters(loadSettings()), "FTTF");
    EXPECT_FALSE(saveSettings(kAllTrue));
    CloseHandle(locked);
    EXPECT_EQ(letters(loadSettings()), "TFTF");
}

TEST(SettingsFile, NoFolderOrAPathBeyondThePlatformLimitIsNoPath) {
    SettingsFileScope scope;
    writeFileBytes(settingsFile(), kAllFalseFile);
    // The file name and its backslash take 26 characters; a path holds 259 and the terminator.
    for (const std::wstring& folder : {std::wstring(L"C:\\no such folder\\for zovi"),
                                      L"C:\\" + std::wstring(259 - 26 - 3, L'z'), L"C:\\" + std::wstring(259 - 25 - 3, L'z')}) {
        if (folder.size() > 100) CreateDirectoryW(folder.c_str(), nullptr);
        AppDataFolderScope moved(folder);
        const bool fits = folder.size() == 259 - 26;
        EXPECT_EQ(settingsFilePath().has_value(), fits) << folder.size();
        if (!fits) {
            EXPECT_EQ(letters(loadSettings()), "FTTF");
            EXPECT_FALSE(saveSettings(kAllTrue));
        }
        RemoveDirectoryW(folder.c_str());
    }
    EXPECT_EQ(fileBytes(settingsFile()), kAllFalseFile);
}

TEST(SettingsFile, LivesInAFolderNamedOutsideTheAnsiCodePage) {
    const std::wstring folder = L"C:\\users\\Zo\u00eb \u03a9\u03bc\u03ad\u03b3\u03b1";
    CreateDirectoryW(folder.c_str(), nullptr);
    {
        AppDataFolderScope moved(folder);
        EXPECT_EQ(settingsFilePath(), folder + L"\\Zovi Logo Screensaver.txt");
        EXPECT_TRUE(saveSettings(kAllTrue));
        EXPECT_EQ(letters(loadSettings()), "TTTT");
        DeleteFileW(settingsFile().c_str());
    }
    RemoveDirectoryW(folder.c_str());
}
