#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "render/render_host.h"
#include "render/render_state.h"
#include "settings/settings_store.h"
#include "support/message_pump.h"
#include "support/settings_files.h"

namespace {
bool sameSettings(const SaverSettings& a, const SaverSettings& b) {
    return a.fadeToBackground == b.fadeToBackground && a.lightsEnabled == b.lightsEnabled &&
           a.fansEnabled == b.fansEnabled && a.rumblesEnabled == b.rumblesEnabled;
}

SaverSettings settingsOf(bool fadeToBackground, bool lights, bool fans, bool rumbles) {
    SaverSettings s;
    s.fadeToBackground = fadeToBackground;
    s.lightsEnabled = lights;
    s.fansEnabled = fans;
    s.rumblesEnabled = rumbles;
    return s;
}

const SaverSettings kDefaults = settingsOf(false, true, true, false);
const SaverSettings kAllFalse = settingsOf(false, false, false, false);

// The folder as the environment names it to every program of the user.
std::string roamingAppDataFolder() {
    char folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("APPDATA", folder, sizeof folder);
    return length > 0 && length < sizeof folder ? folder : "";
}

// A folder whose path is length characters long, made under C:\ for the test and removed after.
class FolderOfLength {
public:
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
    const std::string folder = roamingAppDataFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(settingsFilePath(), folder + "\\Zovi Logo Screensaver.txt");
}

TEST(SettingsFile, MissingGivesTheDefaultsAndEmptyGivesAllFalse) {
    SettingsFileScope scope;
    EXPECT_TRUE(sameSettings(loadSettings(), kDefaults));
    writeFileBytes(settingsFile(), "");
    EXPECT_TRUE(sameSettings(loadSettings(), kAllFalse));
}

TEST(SettingsFile, SavesEachLineWithCrCrLfAndReadsItBack) {
    SettingsFileScope scope;
    for (unsigned bits = 0; bits < 16; ++bits) {
        const SaverSettings saved = settingsOf(bits & 8, bits & 4, bits & 2, bits & 1);
        saveSettings(saved);
        std::string expected;
        for (bool value : {saved.fadeToBackground, saved.lightsEnabled, saved.fansEnabled, saved.rumblesEnabled})
            expected += value ? "true\r\r\n" : "false\r\r\n";
        EXPECT_EQ(fileBytes(settingsFile()), expected) << bits;
        EXPECT_TRUE(sameSettings(loadSettings(), saved)) << bits;
    }
}

TEST(SettingsFile, ReadsHandEditedFilesAsATextModeStreamDoes) {
    SettingsFileScope scope;
    writeFileBytes(settingsFile(), "false\r\r\ntrue\r");
    EXPECT_TRUE(sameSettings(loadSettings(), settingsOf(false, true, true, true)));
    writeFileBytes(settingsFile(), "true\r\ntrue\r\r\n\x1atrue\r\r\ntrue\r\r\n");
    EXPECT_TRUE(sameSettings(loadSettings(), settingsOf(false, true, false, false)));
    // The file is read in pieces of 512 bytes: a CR at the end of one piece and its LF at the start
    // of the next still make one line end, and a long first line shifts nothing.
    writeFileBytes(settingsFile(), std::string(505, 'x') + "\r\ntrue\r\r\ntrue\r\r\nfalse\r\r\n");
    EXPECT_TRUE(sameSettings(loadSettings(), settingsOf(false, true, true, false)));
    writeFileBytes(settingsFile(), std::string(1000, 'x') + "\r\r\ntrue\r\r\nfalse\r\r\ntrue\r\r\n");
    EXPECT_TRUE(sameSettings(loadSettings(), settingsOf(false, true, false, true)));
}

TEST(SettingsFile, IsReadAndWrittenWhileAnotherProgramHasItOpen) {
    SettingsFileScope scope;
    saveSettings(kAllFalse);
    HANDLE other = CreateFileA(settingsFile().c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(sameSettings(loadSettings(), kAllFalse));
    saveSettings(kDefaults);
    EXPECT_TRUE(sameSettings(loadSettings(), kDefaults));
    CloseHandle(other);
}

TEST(SettingsFile, AFileThatCannotBeOpenedGivesTheDefaults) {
    SettingsFileScope scope;
    saveSettings(kAllFalse);
    HANDLE locked = CreateFileA(settingsFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(sameSettings(loadSettings(), kDefaults));
    saveSettings(settingsOf(true, true, true, true));  // cannot be written either: nothing happens
    CloseHandle(locked);
    EXPECT_EQ(fileBytes(settingsFile()), "false\r\r\nfalse\r\r\nfalse\r\r\nfalse\r\r\n");

    DeleteFileA(settingsFile().c_str());
    ASSERT_TRUE(CreateDirectoryA(settingsFile().c_str(), nullptr));  // a folder where the file should be
    EXPECT_TRUE(sameSettings(loadSettings(), kDefaults));
    RemoveDirectoryA(settingsFile().c_str());
}

TEST(SettingsFile, WithoutAnApplicationDataFolderThereIsNoPathAndNothingIsWritten) {
    SettingsFileScope scope;
    saveSettings(kAllFalse);
    {
        AppDataFolderScope gone("C:\\no such folder\\for zovi");
        EXPECT_EQ(settingsFilePath(), std::nullopt);
        EXPECT_TRUE(sameSettings(loadSettings(), kDefaults));
        saveSettings(settingsOf(true, true, true, true));
    }
    EXPECT_EQ(fileBytes(settingsFile()), "false\r\r\nfalse\r\r\nfalse\r\r\nfalse\r\r\n");
}

TEST(SettingsFile, APathBeyondThePlatformLimitIsNoPath) {
    // The file name and its backslash take 26 characters; the limit is 259 plus the terminator.
    {
        FolderOfLength longest(259 - 26);
        AppDataFolderScope folder(longest.path);
        ASSERT_EQ(settingsFilePath(), longest.path + "\\Zovi Logo Screensaver.txt");
        saveSettings(kAllFalse);
        EXPECT_TRUE(sameSettings(loadSettings(), kAllFalse));
    }
    {
        FolderOfLength tooLong(259 - 25);
        AppDataFolderScope folder(tooLong.path);
        EXPECT_EQ(settingsFilePath(), std::nullopt);
        EXPECT_TRUE(sameSettings(loadSettings(), kDefaults));
    }
}

TEST(SettingsFile, TheSaverWindowTakesItsSettingsFromTheFileWhenItIsCreated) {
    SettingsFileScope scope;
    writeFileBytes(settingsFile(), "true\r\r\nfalse\r\r\ntrue\r\r\ntrue\r\r\n");
    {
        TestSaverWindow saver;
        ASSERT_TRUE(saver.handle());
        const LogoAnimation& logo = *renderHostState()->logo;
        EXPECT_TRUE(logo.fadeToBackground);
        EXPECT_FALSE(logo.lightsEnabled);
        EXPECT_TRUE(logo.fansEnabled);
        EXPECT_TRUE(logo.rumblesEnabled);
    }
    DeleteFileA(settingsFile().c_str());
    TestSaverWindow saver;
    ASSERT_TRUE(saver.handle());
    const LogoAnimation& logo = *renderHostState()->logo;
    EXPECT_FALSE(logo.fadeToBackground);
    EXPECT_TRUE(logo.lightsEnabled);
    EXPECT_TRUE(logo.fansEnabled);
    EXPECT_FALSE(logo.rumblesEnabled);
}
