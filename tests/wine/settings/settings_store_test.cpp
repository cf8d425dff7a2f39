#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

#include "settings/settings_store.h"
#include "support/message_pump.h"
#include "support/settings_files.h"

namespace {
// fadeToBackground, lights, fans, rumbles
using Values = std::array<bool, 4>;

Values values(const SaverSettings& s) { return {s.fadeToBackground, s.lightsEnabled, s.fansEnabled, s.rumblesEnabled}; }

SaverSettings settingsOf(const Values& v) {
    SaverSettings s;
    s.fadeToBackground = v[0];
    s.lightsEnabled = v[1];
    s.fansEnabled = v[2];
    s.rumblesEnabled = v[3];
    return s;
}

const Values kDefaults = {false, true, true, false};
const std::string kAllFalseFile = "false\r\r\nfalse\r\r\nfalse\r\r\nfalse\r\r\n";

// A folder whose path is length characters long, made under C:\ for the test and removed after.
struct FolderOfLength {
    explicit FolderOfLength(std::size_t length) : path("C:\\" + std::string(length - 3, 'z')) {
        CreateDirectoryA(path.c_str(), nullptr);
    }
    ~FolderOfLength() {
        DeleteFileA((path + "\\Zovi Logo Screensaver.txt").c_str());
        RemoveDirectoryA(path.c_str());
    }
    const std::string path;
};
}  // namespace

TEST(SettingsFile, LivesInTheUsersRoamingApplicationDataFolder) {
    char folder[MAX_PATH] = {};  // as the environment names it to every program of the user
    ASSERT_GT(GetEnvironmentVariableA("APPDATA", folder, sizeof folder), 0u);
    EXPECT_EQ(settingsFilePath(), std::string(folder) + "\\Zovi Logo Screensaver.txt");
}

TEST(SettingsFile, WritesCrCrLfLinesAndReadsThemInPiecesAsATextModeStreamDoes) {
    SettingsFileScope scope;
    saveSettings(settingsOf({true, false, true, false}));
    EXPECT_EQ(fileBytes(settingsFile()), "true\r\r\nfalse\r\r\ntrue\r\r\nfalse\r\r\n");
    EXPECT_EQ(values(loadSettings()), (Values{true, false, true, false}));
    // The file is read 512 bytes at a time: a CR that ends one piece and the LF that starts the
    // next still make one line end, and a long first line shifts nothing.
    writeFileBytes(settingsFile(), std::string(505, 'x') + "\r\ntrue\r\r\ntrue\r\r\nfalse\r\r\n");
    EXPECT_EQ(values(loadSettings()), (Values{false, true, true, false}));
    writeFileBytes(settingsFile(), std::string(1000, 'x') + "\r\r\ntrue\r\r\nfalse\r\r\ntrue\r");
    EXPECT_EQ(values(loadSettings()), (Values{false, true, false, true}));
}

TEST(SettingsFile, IsSharedForReadingAndWritingWithOtherPrograms) {
    SettingsFileScope scope;
    writeFileBytes(settingsFile(), kAllFalseFile);
    HANDLE other = CreateFileA(settingsFile().c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(values(loadSettings()), (Values{false, false, false, false}));
    saveSettings(settingsOf(kDefaults));
    EXPECT_EQ(values(loadSettings()), kDefaults);
    CloseHandle(other);
}

TEST(SettingsFile, AFileThatCannotBeOpenedGivesTheDefaultsAndIsNotWritten) {
    SettingsFileScope scope;
    writeFileBytes(settingsFile(), kAllFalseFile);
    HANDLE locked = CreateFileA(settingsFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_EQ(values(loadSettings()), kDefaults);
    saveSettings(settingsOf({true, true, true, true}));
    CloseHandle(locked);
    EXPECT_EQ(fileBytes(settingsFile()), kAllFalseFile);

    DeleteFileA(settingsFile().c_str());
    ASSERT_TRUE(CreateDirectoryA(settingsFile().c_str(), nullptr));  // a folder where the file should be
    EXPECT_EQ(values(loadSettings()), kDefaults);
    RemoveDirectoryA(settingsFile().c_str());
}

TEST(SettingsFile, WithoutAnApplicationDataFolderThereIsNoPathAndNothingIsWritten) {
    SettingsFileScope scope;
    writeFileBytes(settingsFile(), kAllFalseFile);
    {
        AppDataFolderScope gone("C:\\no such folder\\for zovi");
        EXPECT_EQ(settingsFilePath(), std::nullopt);
        EXPECT_EQ(values(loadSettings()), kDefaults);
        saveSettings(settingsOf({true, true, true, true}));
    }
    EXPECT_EQ(fileBytes(settingsFile()), kAllFalseFile);
}

TEST(SettingsFile, APathBeyondThePlatformLimitIsNoPath) {
    // The file name and its backslash take 26 characters; a path holds 259 and the terminator.
    {
        FolderOfLength longest(259 - 26);
        AppDataFolderScope folder(longest.path);
        ASSERT_EQ(settingsFilePath(), longest.path + "\\Zovi Logo Screensaver.txt");
        saveSettings(settingsOf({false, false, false, false}));
        EXPECT_EQ(values(loadSettings()), (Values{false, false, false, false}));
    }
    FolderOfLength tooLong(259 - 25);
    AppDataFolderScope folder(tooLong.path);
    EXPECT_EQ(settingsFilePath(), std::nullopt);
    EXPECT_EQ(values(loadSettings()), kDefaults);
}

TEST(SettingsFile, TheSaverWindowTakesItsSettingsFromTheFileWhenItIsCreated) {
    SettingsFileScope scope;
    writeFileBytes(settingsFile(), "true\r\r\nfalse\r\r\ntrue\r\r\ntrue\r\r\n");
    for (const Values expected : {Values{true, false, true, true}, kDefaults}) {
        TestSaverWindow saver;
        ASSERT_TRUE(saver.handle());
        EXPECT_EQ(values(saver.saver().render.renderState.logo->effects.settings), expected);
        DeleteFileA(settingsFile().c_str());  // the next window finds no file
    }
}
